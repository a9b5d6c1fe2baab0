#pragma once
// A small window holding each skinned control as the main window uses it: the
// playback buttons (toggles named by their owner), a section button named by
// its caption, a close button named by its hint, the volume slider with its
// French value, the ticker and the status line.
#include "ui/controls/accessibility.h"
#include "ui/controls/btngraph.h"
#include "ui/controls/scrolllabel.h"
#include "ui/player/cadcurseur.h"

#include <QLabel>
#include <QWidget>

namespace zv::test {

struct ControlsWindow : QWidget {
    TBtnGraph* btnFctTele;
    TBtnGraph* btnLecture;
    TBtnGraph* btnMuet;
    TBtnGraph* btnFerme;
    TfrmCurseur* frmCurseurSon;
    TScrollLabel* slMessage;
    QLabel* lblStatutPlayer;
    int clicks = 0; // presses of any button
    int volumeCalls = 0; // the slider's OnChange calls

    ControlsWindow()
    {
        setObjectName(QStringLiteral("fmControles"));
        setWindowTitle(QStringLiteral("Contrôles"));
        resize(420, 160);
        const auto button = [&](const char* name, QRect place) {
            auto* b = new TBtnGraph(this);
            b->setObjectName(QLatin1String(name));
            b->setGeometry(place);
            QPixmap face(place.size());
            face.fill(QColor(0x30, 0x40, 0x60));
            b->setImageActif(face);
            connect(b, &TBtnGraph::clicked, this, [this] { ++clicks; });
            return b;
        };
        btnFctTele = button("btnFctTele", {10, 10, 81, 25});
        btnFctTele->setCaption(QStringLiteral("Télévision"));
        btnFctTele->setToggle(true);
        btnLecture = button("btnLecture", {10, 50, 51, 51});
        btnLecture->setHint(QStringLiteral("Lecture / Stop"));
        btnLecture->setAccessibleName(QStringLiteral("Lecture"));
        btnLecture->setToggle(true);
        btnMuet = button("btnMuet", {70, 50, 51, 51});
        btnMuet->setAccessibleName(QStringLiteral("Muet"));
        btnMuet->setToggle(true);
        btnMuet->setEnfonce(true);
        btnMuet->setActif(false);
        btnFerme = button("btnFerme", {380, 10, 23, 21});
        btnFerme->setHint(QStringLiteral("Fermer"));

        frmCurseurSon = new TfrmCurseur(this);
        frmCurseurSon->setObjectName(QStringLiteral("frmCurseurSon"));
        frmCurseurSon->SetupVolume();
        frmCurseurSon->move(140, 63);
        frmCurseurSon->setAccessibleName(QStringLiteral("Volume"));
        frmCurseurSon->ValueText
            = [](double f) { return QStringLiteral("Volume %1 %").arg(qRound(f * 100)); };
        frmCurseurSon->OnChange = [this](TfrmCurseur*) { ++volumeCalls; };
        frmCurseurSon->SetFraction(0.5);

        slMessage = new TScrollLabel(this);
        slMessage->setObjectName(QStringLiteral("slMessage"));
        slMessage->setGeometry(10, 115, 400, 20);
        slMessage->setPeriodicite(0);
        slMessage->setCaption(QStringLiteral("Bienvenue sur Zevalo Multimédia\r\n"));

        lblStatutPlayer = new QLabel(QStringLiteral("Prêt"), this);
        lblStatutPlayer->setObjectName(QStringLiteral("lblStatutPlayer"));
        lblStatutPlayer->setGeometry(240, 70, 170, 18);
        zv::AnnounceChanges(lblStatutPlayer);
    }
};

} // namespace zv::test
