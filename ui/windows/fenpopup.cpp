#include "ui/windows/fenpopup.h"

#include "base/errors.h"
#include "ui/browser/webbrowser.h"
#include "ui/controls/btngraph.h"
#include "ui/themes/pictures.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QTimer>

namespace {

QPixmap closePicture()
{
    return zv::themes::DrawnPicture(QSize(12, 12), [](QPainter& p) {
        p.fillRect(QRectF(0, 0, 12, 12), QColor(50, 61, 67));
        p.setPen(QPen(QColor(0x9A, 0xA6, 0xAD), 1));
        p.drawRect(QRectF(0.5, 0.5, 11, 11));
        p.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(3.5, 3.5), QPointF(8.5, 8.5));
        p.drawLine(QPointF(8.5, 3.5), QPointF(3.5, 8.5));
    });
}

QRect screenArea()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

// A popup larger than the screen would leave its close button out of reach:
// it keeps the margins on every side.
QSize fitted(QSize wanted)
{
    const QRect area = screenArea();
    return {qMax(1, qMin(wanted.width(), area.width() - 2 * TfmPopup::Margin)),
        qMax(TfmPopup::TitleHeight, qMin(wanted.height(), area.height() - 2 * TfmPopup::Margin))};
}

} // namespace

TfmPopup::TfmPopup(QWidget* owner, int height, int width, const QString& url)
    : QWidget(owner, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("fmPopup"));
    setWindowTitle(QStringLiteral("InfZevalo"));
    setAttribute(Qt::WA_DeleteOnClose);
    // An ad must not take the keyboard from what the user is doing.
    setAttribute(Qt::WA_ShowWithoutActivating);
    resize(214, 168);

    panTitre = new QLabel(QStringLiteral("  InfZevalo"), this);
    panTitre->setObjectName(QStringLiteral("panTitre"));
    panTitre->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    panTitre->setAutoFillBackground(true);
    QPalette pal = panTitre->palette();
    pal.setColor(QPalette::Window, QColor(50, 61, 67));
    pal.setColor(QPalette::WindowText, Qt::white);
    panTitre->setPalette(pal);
    QFont font(QStringLiteral("Arial"));
    font.setBold(true);
    font.setPixelSize(11);
    panTitre->setFont(font);

    btnFermer = new TBtnGraph(panTitre);
    btnFermer->setObjectName(QStringLiteral("btnFermer"));
    btnFermer->setRedimensionnement(true);
    btnFermer->setImageActif(closePicture());
    btnFermer->setCursor(Qt::PointingHandCursor);
    btnFermer->setHint(QStringLiteral("Fermer"));

    wbPub = new TWebBrowser(this);
    wbPub->setObjectName(QStringLiteral("wbPub"));

    timTimeOut = new QTimer(this);
    timTimeOut->setInterval(30000);
    timTimeOut->setSingleShot(true);
    timAnimation = new QTimer(this);
    timAnimation->setInterval(10);

    // The agent runs unattended: an error ends its handler and shows nothing.
    wbPub->SetErrorsSwallowed(true);
    connect(wbPub, &TWebBrowser::DownloadComplete, this,
        [this] { zv::swallowed([this] { wbPubDownloadComplete(); }); });
    connect(wbPub, &TWebBrowser::NewWindow2, this, [this] { zv::swallowed([this] { wbPubNewWindow2(); }); });
    connect(btnFermer, &TBtnGraph::clicked, this, [this] { zv::swallowed([this] { btnFermerClick(); }); });
    connect(timAnimation, &QTimer::timeout, this, [this] { zv::swallowed([this] { timAnimationTimer(); }); });
    connect(timTimeOut, &QTimer::timeout, this, [this] { zv::swallowed([this] { timTimeOutTimer(); }); });

    resize(fitted(QSize(width, TitleHeight + height)));
    placeControls(); // a hidden window gets its resize event only when shown
    timTimeOut->start();
    wbPub->Navigate(url);
}

TfmPopup::~TfmPopup() = default;

void TfmPopup::keyPressEvent(QKeyEvent* event)
{
    // Once the user has come to the popup, Escape closes it as its button does.
    if (event->key() == Qt::Key_Escape && !(event->modifiers() & ~Qt::KeypadModifier)) {
        event->accept();
        zv::guarded([this] { btnFermerClick(); });
        return;
    }
    QWidget::keyPressEvent(event);
}

void TfmPopup::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeControls();
}

void TfmPopup::placeControls()
{
    panTitre->setGeometry(0, 0, this->width(), TitleHeight);
    btnFermer->move(panTitre->width() - btnFermer->width() - 4, (TitleHeight - btnFermer->height()) / 2);
    wbPub->setGeometry(0, TitleHeight, this->width(), qMax(0, this->height() - TitleHeight));
}

int TfmPopup::finalTop() const
{
    const QRect area = screenArea();
    return area.y() + area.height() - height() - Margin;
}

void TfmPopup::wbPubDownloadComplete()
{
    // Pages that load more parts complete again: only the first one counts.
    if (!timTimeOut->isActive())
        return;
    timTimeOut->stop();
    // A page that did not load (unreachable, error status) is never shown.
    if (wbPub->LoadFailed()) {
        close();
        return;
    }
    const QRect area = screenArea();
    move(area.x() + area.width() - width() - Margin, area.y() + area.height());
    show();
    timAnimation->start();
}

void TfmPopup::timAnimationTimer()
{
    const int target = finalTop();
    if (y() > target)
        move(x(), qMax(target, y() - SlideStep)); // the last step stops on the mark
    if (y() <= target)
        timAnimation->stop();
}

void TfmPopup::timTimeOutTimer()
{
    close();
}

void TfmPopup::wbPubNewWindow2()
{
    // The browser opens the requested page itself; the ad has done its job.
    close();
}

void TfmPopup::btnFermerClick()
{
    close();
}
