#include "ui/windows/fenconnexion.h"

#include "base/errors.h"
#include "portal/nmhttp.h"
#include "portal/portalhost.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

TfmConnexion::TfmConnexion(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("fmConnexion"));
    setWindowTitle(QStringLiteral("Connexion"));
    setModal(true);
    setFixedSize(258, 105);
    setStyleSheet(QStringLiteral(
        "TfmConnexion { background: #1b2130; }"
        "#panCadre { border: 1px solid #3a4558; border-top-color: #55627a; border-left-color: #55627a;"
        " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #232a3a, stop:1 #181d28); }"
        "#lblConnexion { color: #f2f5fa; font-size: 12px; font-weight: bold; }"
        "#shpLigne { background: #2f9cf0; border: none; }"
        "#btnAnnuler { color: #f2f5fa; background: #2a3242; border: 1px solid #3f4a5e; border-radius: 4px;"
        " padding: 3px 14px; }"
        "#btnAnnuler:hover { border-color: #2f9cf0; }"
        "#btnAnnuler:pressed { background: #1f6fc0; }"
        "#btnAnnuler:focus { border: 2px solid #8cc8ff; padding: 2px 13px; outline: none; }"));

    panCadre = new QFrame(this);
    panCadre->setObjectName(QStringLiteral("panCadre"));
    panCadre->setFrameShape(QFrame::Panel);
    panCadre->setFrameShadow(QFrame::Raised);
    panCadre->setGeometry(0, 0, 258, 105);

    lblConnexion = new QLabel(QStringLiteral("Connexion en cours..."), panCadre);
    lblConnexion->setObjectName(QStringLiteral("lblConnexion"));
    lblConnexion->setAlignment(Qt::AlignCenter);
    lblConnexion->setGeometry(8, 16, 242, 22);

    shpLigne = new QFrame(panCadre);
    shpLigne->setObjectName(QStringLiteral("shpLigne"));
    shpLigne->setGeometry(40, 44, 178, 3);

    btnAnnuler = new QPushButton(QStringLiteral("Annuler"), panCadre);
    btnAnnuler->setObjectName(QStringLiteral("btnAnnuler"));
    btnAnnuler->setGeometry(89, 64, 80, 26);
    btnAnnuler->setAutoDefault(false);
    connect(btnAnnuler, &QPushButton::clicked, this, &QDialog::reject);
    // Escape cancels as the button does; the focus waits on it.
    btnAnnuler->setFocus();

    nmhTest = new TNMHTTP(this);
    nmhTest->setObjectName(QStringLiteral("nmhTest"));
    nmhTest->TimeOut = 5000;
    nmhTest->OnSuccess = [this](int cmd) { nmhTestSuccess(cmd); };

    timConnexion = new QTimer(this);
    timConnexion->setObjectName(QStringLiteral("timConnexion"));
    timConnexion->setInterval(500);
    connect(timConnexion, &QTimer::timeout, this, [this] { zv::guarded([this] { timConnexionTimer(); }); });
    timConnexion->start();
}

TfmConnexion::~TfmConnexion() = default;

void TfmConnexion::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The owner is not shown yet: centre on the screen instead.
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TfmConnexion::timConnexionTimer()
{
    if (busy_)
        return;
    busy_ = true;
    ++attempts_;
    zv::swallowed([this] { nmhTest->Get(zv::portalHost() + "/exe/test_connexion.php"); });
    // Two seconds after this attempt ended, unless the window has its answer.
    if (!decided_)
        timConnexion->start(2000);
    busy_ = false;
}

void TfmConnexion::nmhTestSuccess(int)
{
    if (nmhTest->Body != "ok")
        return;
    timConnexion->stop();
    accept();
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(255, 0, 0));
    setPalette(p);
}

void TfmConnexion::done(int result)
{
    decided_ = true;
    timConnexion->stop();
    // A test request may be waiting in its own loop under this window's: it
    // must end for the modal loop to return.
    if (nmhTest->Busy())
        nmhTest->Abort();
    QDialog::done(result);
}
