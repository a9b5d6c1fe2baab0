#include "ui/windows/fensponsor.h"

#include "base/errors.h"
#include "portal/cp1252.h"
#include "portal/nmhttp.h"
#include "portal/portalhost.h"
#include "ui/browser/webbrowser.h"
#include "ui/controls/btngraph.h"
#include "ui/themes/focusmarks.h"
#include "ui/themes/looks.h"
#include "ui/themes/pictures.h"

#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>
#include <exception>
#include <utility>

namespace {

constexpr int kWidth = 483;
constexpr int kHeight = 218;
constexpr int kBannerWidth = 468;
constexpr int kBannerHeight = 60;

QPixmap buttonFace(QSize size, const QColor& fill, const QColor& edge)
{
    return zv::themes::DrawnPicture(size, [&](QPainter& p) {
        QPainterPath path;
        path.addRoundedRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), 6, 6);
        QLinearGradient gradient(0, 0, 0, size.height());
        gradient.setColorAt(0, fill.lighter(125));
        gradient.setColorAt(1, fill.darker(115));
        p.fillPath(path, gradient);
        p.setPen(edge);
        p.drawPath(path);
    });
}

// A banner browser is larger than its panel and set at (-2, -2): the panel
// shows only the top of the banner page and hides the browser's border.
TWebBrowser* makeBanner(QFrame* panel)
{
    auto* browser = new TWebBrowser(panel);
    browser->setGeometry(-2, -2, 472, 600);
    return browser;
}

} // namespace

TfmSponsor::TfmSponsor(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("fmSponsor"));
    setWindowTitle(QStringLiteral("Zevalo Multimédia"));
    setModal(true);
    setFixedSize(kWidth, kHeight);

    lblTitre = new QLabel(
        QStringLiteral("Défendez la gratuité de Zevalo Multimédia en visitant un sponsor"), this);
    lblTitre->setObjectName(QStringLiteral("lblTitre"));
    lblTitre->setAlignment(Qt::AlignCenter);
    lblTitre->setGeometry(0, 8, kWidth, 20);

    const int left = (kWidth - kBannerWidth) / 2;
    panSponsor1 = new QFrame(this);
    panSponsor1->setGeometry(left, 36, kBannerWidth, kBannerHeight);
    panSponsor2 = new QFrame(this);
    panSponsor2->setGeometry(left, 36 + kBannerHeight + 10, kBannerWidth, kBannerHeight);
    wbSponsor1 = makeBanner(panSponsor1);
    wbSponsor2 = makeBanner(panSponsor2);
    panSponsor1->setObjectName(QStringLiteral("panSponsor1"));
    panSponsor2->setObjectName(QStringLiteral("panSponsor2"));
    wbSponsor1->setObjectName(QStringLiteral("wbSponsor1"));
    wbSponsor2->setObjectName(QStringLiteral("wbSponsor2"));

    btnQuitter = new TBtnGraph(this);
    btnQuitter->setObjectName(QStringLiteral("btnQuitter"));
    btnQuitter->setCaption(QStringLiteral("Quitter le logiciel"));
    btnQuitter->setCursor(Qt::PointingHandCursor);
    btnQuitter->setGeometry((kWidth - 150) / 2, kHeight - 40, 150, 28);

    nmhSponsor1 = new TNMHTTP(this);
    nmhSponsor1->setObjectName(QStringLiteral("nmhSponsor1"));
    nmhSponsor2 = new TNMHTTP(this);
    nmhSponsor2->setObjectName(QStringLiteral("nmhSponsor2"));
    nmhSponsor1->OnSuccess = [this](int cmd) { nmhSponsor1Success(cmd); };
    nmhSponsor2->OnSuccess = [this](int cmd) { nmhSponsor2Success(cmd); };

    connect(wbSponsor1, &TWebBrowser::NewWindow2, this,
        [this] { zv::guarded([this] { wbSponsorNewWindow2(); }); });
    connect(wbSponsor2, &TWebBrowser::NewWindow2, this,
        [this] { zv::guarded([this] { wbSponsorNewWindow2(); }); });
    connect(btnQuitter, &TBtnGraph::clicked, this, [this] { zv::guarded([this] { btnQuitterClick(); }); });
    // From the keyboard: the banners' links first, then leaving. The focus
    // starts on the first banner, never on the button that ends the program.
    setTabOrder(wbSponsor1, wbSponsor2);
    setTabOrder(wbSponsor2, btnQuitter);
    wbSponsor1->setFocus();

    applyLook({QColor(0xEC, 0xEE, 0xF2), QColor(0x20, 0x2A, 0x36), QColor(0x50, 0x5C, 0x6A),
        QColor(0x6A, 0x78, 0x88), Qt::white, QColor(0xB0, 0xB6, 0xC0), QStringLiteral("Sans Serif")});
}

TfmSponsor::~TfmSponsor() = default;

void TfmSponsor::applyLook(const Look& look)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Window, look.window);
    pal.setColor(QPalette::WindowText, look.text);
    setPalette(pal);
    setAutoFillBackground(true);

    QFont heading(look.fontFamily);
    heading.setBold(true);
    heading.setPixelSize(12);
    lblTitre->setFont(heading);
    lblTitre->setPalette(pal);

    const QSize size = btnQuitter->size();
    btnQuitter->setImageActif(buttonFace(size, look.button, look.button.darker(140)));
    btnQuitter->setImageSurvol(buttonFace(size, look.buttonHover, look.button.darker(140)));
    btnQuitter->setImageEnfonce(buttonFace(size, look.button.darker(120), look.button.darker(160)));
    QFont buttonFont(look.fontFamily);
    buttonFont.setBold(true);
    buttonFont.setPixelSize(11);
    btnQuitter->setFont(buttonFont);
    QPalette buttonPal = btnQuitter->palette();
    buttonPal.setColor(QPalette::WindowText, look.buttonText);
    btnQuitter->setPalette(buttonPal);

    frameColour_ = look.frame;
    update();
}

void TfmSponsor::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (started_)
        return;
    started_ = true;
    // Centred on the screen: the main window is not on screen yet at start-up.
    if (const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
        QRect frame = geometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    // The requests wait in nested loops: start them from the dialog's own loop.
    QTimer::singleShot(0, this, [this] { zv::guarded([this] { FormCreate(); }); });
}

void TfmSponsor::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    QPainter p(this);
    if (!background_.isNull()) {
        p.drawPixmap(0, 0, background_);
        return;
    }
    p.setPen(frameColour_);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    for (QFrame* panel : {panSponsor1, panSponsor2})
        p.drawRect(panel->geometry().adjusted(-1, -1, 0, 0));
}

void TfmSponsor::applyTheme(int theme)
{
    const zv::themes::Look& look = zv::themes::LookOf(theme);
    background_ = zv::themes::Picture(theme, QStringLiteral("sponsor_fond.png"));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor::fromRgb(look.ink.titleBand));
    pal.setColor(QPalette::WindowText, QColor::fromRgb(look.ink.titleText));
    setPalette(pal);
    lblTitre->setPalette(pal);
    QFont heading(QLatin1String(look.type.family));
    heading.setBold(true);
    heading.setPixelSize(12);
    lblTitre->setFont(heading);

    const char* states[] = {"actif", "survol", "enfonce"};
    const TBtnGraph::Picture which[]
        = {TBtnGraph::Picture::Actif, TBtnGraph::Picture::Survol, TBtnGraph::Picture::Enfonce};
    for (int i = 0; i < 3; ++i) {
        btnQuitter->setPicture(which[i],
            zv::themes::Picture(
                theme, QStringLiteral("sponsor_quitter_%1.png").arg(QLatin1String(states[i]))));
    }
    QFont buttonFont(QLatin1String(look.type.family));
    buttonFont.setBold(look.type.captionBold);
    buttonFont.setPixelSize(look.type.captionPixels);
    btnQuitter->setFont(buttonFont);
    QPalette buttonPal = btnQuitter->palette();
    buttonPal.setColor(QPalette::WindowText, QColor::fromRgb(look.ink.caption));
    btnQuitter->setPalette(buttonPal);
    btnQuitter->setFocusMark(zv::themes::FocusMarkOf(theme));
    update();
}

void TfmSponsor::keyPressEvent(QKeyEvent* event)
{
    // Escape must not quit the program by accident: leaving takes the button.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfmSponsor::FormCreate()
{
    // A banner that fails leaves its panel empty; the other one is still
    // requested so that the user can click it. The failure is shown once.
    std::exception_ptr failure;
    const std::pair<TNMHTTP*, const char*> banners[]
        = {{nmhSponsor1, "/exe/cont.php?c=urlspons1"}, {nmhSponsor2, "/exe/cont.php?c=urlspons2"}};
    for (const auto& [nmh, path] : banners) {
        if (closing_)
            return;
        try {
            nmh->Get(zv::portalHost() + path);
        } catch (const zv::Abort&) {
            throw; // the window is gone
        } catch (...) {
            // A request cut short because the user already left is no error.
            if (closing_)
                return;
            if (!failure)
                failure = std::current_exception();
        }
    }
    if (failure)
        std::rethrow_exception(failure);
}

void TfmSponsor::nmhSponsor1Success(int)
{
    wbSponsor1->Navigate(zv::fromCp1252(nmhSponsor1->Body));
}

void TfmSponsor::nmhSponsor2Success(int)
{
    wbSponsor2->Navigate(zv::fromCp1252(nmhSponsor2->Body));
}

void TfmSponsor::wbSponsorNewWindow2()
{
    // The browser opens the sponsor's page itself; the user may go on.
    if (closing_)
        return;
    leave(Accepted);
}

void TfmSponsor::btnQuitterClick()
{
    leave(Rejected);
}

void TfmSponsor::leave(DialogCode result)
{
    // No banner request still on its way may land in a window that has gone.
    closing_ = true;
    nmhSponsor1->Abort();
    nmhSponsor2->Abort();
    done(result);
}
