// The skinned controls in their states, to look at: buttons inactive, active,
// hovered, pressed and pressed-hovered, the ticker, a volume and a position
// slider.
#include "support/viewrows.h"
#include "ui/controls/btngraph.h"
#include "ui/controls/scrolllabel.h"
#include "ui/player/cadcurseur.h"

#include <QApplication>
#include <QEnterEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QTimer>

using zv::test::hover;

namespace {

QPixmap face(const QColor& top, const QColor& bottom, QSize size = QSize(51, 51), int radius = 8)
{
    QPixmap p(size);
    p.fill(Qt::transparent);
    QPainter painter(&p);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, size.height());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    painter.setBrush(g);
    painter.setPen(QPen(bottom.darker(160), 1));
    painter.drawRoundedRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), radius, radius);
    return p;
}

TBtnGraph* button(QWidget* parent, const QString& caption, int x)
{
    auto* b = new TBtnGraph(parent);
    b->setImageInactif(face(QColor(150, 150, 150), QColor(90, 90, 90)));
    b->setImageActif(face(QColor(90, 160, 230), QColor(20, 70, 140)));
    b->setImageSurvol(face(QColor(140, 210, 255), QColor(40, 110, 190)));
    b->setImageEnfonce(face(QColor(240, 150, 40), QColor(160, 70, 0)));
    b->setImageEnfonceSurvol(face(QColor(255, 200, 90), QColor(200, 110, 10)));
    b->setRedimensionnement(true);
    b->setCaption(caption);
    QPalette pal = b->palette();
    pal.setColor(QPalette::WindowText, Qt::white);
    b->setPalette(pal);
    QFont f = b->font();
    f.setPixelSize(11);
    f.setBold(true);
    b->setFont(f);
    b->move(x, 30);
    return b;
}

QLabel* caption(QWidget* parent, const QString& text, int x, int y)
{
    auto* l = new QLabel(text, parent);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, QColor(220, 220, 220));
    l->setPalette(pal);
    l->move(x, y);
    return l;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget w;
    w.setWindowTitle(QStringLiteral("Zevalo Multimédia — contrôles"));
    w.resize(420, 230);
    w.setAutoFillBackground(true);
    QPalette pal = w.palette();
    pal.setColor(QPalette::Window, QColor(30, 34, 40));
    w.setPalette(pal);

    caption(&w, QStringLiteral("Inactif    Actif     Survol    Enfoncé   Enf.+Survol"), 12, 8);
    TBtnGraph* inactive = button(&w, QStringLiteral("Lecture"), 10);
    inactive->setActif(false);
    button(&w, QStringLiteral("Lecture"), 90);
    TBtnGraph* hovered = button(&w, QStringLiteral("Pause"), 170);
    TBtnGraph* pressed = button(&w, QStringLiteral("Muet"), 250);
    pressed->setEnfonce(true);
    TBtnGraph* both = button(&w, QStringLiteral("P.Ecran"), 330);
    both->setEnfonce(true);

    auto* ticker = new TScrollLabel(&w);
    ticker->setGeometry(10, 100, 400, 25);
    QPalette tp = ticker->palette();
    tp.setColor(QPalette::WindowText, QColor(255, 220, 120));
    ticker->setPalette(tp);
    QFont tf = ticker->font();
    tf.setPixelSize(14);
    ticker->setFont(tf);
    ticker->setPas(5);
    ticker->setPeriodicite(150);
    ticker->setCaption(QStringLiteral(
        "Bienvenue sur Zevalo Multimédia : télévision, radios, jeux et vidéos à la demande !"));

    caption(&w, QStringLiteral("Son"), 12, 142);
    auto* volume = new TfrmCurseur(&w);
    volume->SetupVolume();
    volume->move(50, 138);
    volume->btnGlissiere->setCaption(QString());
    volume->btnCurseur->setCaption(QString());
    volume->btnGlissiere->setImageActif(face(QColor(200, 200, 200), QColor(120, 120, 120), QSize(81, 4), 2));
    volume->btnCurseur->setImageActif(face(QColor(90, 160, 230), QColor(20, 70, 140), QSize(11, 21), 3));
    volume->SetFraction(0.7);

    caption(&w, QStringLiteral("Position"), 12, 180);
    auto* position = new TfrmCurseur(&w);
    position->SetupPosition(340);
    position->move(70, 176);
    position->btnGlissiere->setCaption(QString());
    position->btnCurseur->setCaption(QString());
    position->btnGlissiere->setImageActif(face(QColor(70, 70, 80), QColor(45, 45, 55), QSize(340, 21), 4));
    position->btnCurseur->setImageActif(face(QColor(240, 150, 40), QColor(160, 70, 0), QSize(20, 21), 4));
    position->btnCurseur->setRedimensionnement(true);
    position->SetFraction(0.35);

    w.show();
    // Hover states need the window on screen first.
    QTimer::singleShot(0, [=] {
        hover(hovered, true);
        hover(both, true);
    });
    return app.exec();
}
