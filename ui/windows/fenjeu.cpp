#include "ui/windows/fenjeu.h"

#include "base/errors.h"
#include "portal/cp1252.h"
#include "portal/portalhost.h"
#include "portal/textutil.h"
#include "ui/browser/shockwaveflash.h"
#include "ui/browser/webbrowser.h"
#include "ui/controls/btngraph.h"
#include "ui/themes/focusmarks.h"
#include "ui/themes/looks.h"
#include "ui/themes/pictures.h"

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>
#include <QWindow>

namespace {

enum class Glyph { Close, Maximise, Restore };

// Without a theme the button pictures are drawn, in the title's colours:
// plain, hovered, pressed.
QPixmap buttonPicture(QSize size, Glyph glyph, const QColor& face, const QColor& ink, int state)
{
    return zv::themes::DrawnPicture(size, [&](QPainter& p) {
        const QRectF box(0.5, 0.5, size.width() - 1.0, size.height() - 1.0);
        QColor back = face;
        if (state == 1)
            back = face.lightness() > 128 ? face.darker(115) : face.lighter(150);
        else if (state == 2)
            back = face.lightness() > 128 ? face.darker(135) : face.lighter(190);
        if (glyph == Glyph::Close && state > 0)
            back = state == 1 ? QColor(0xD9, 0x3A, 0x2E) : QColor(0xA8, 0x22, 0x18);
        p.setPen(Qt::NoPen);
        p.setBrush(back);
        p.drawRoundedRect(box, 2, 2);

        const QColor pen = (glyph == Glyph::Close && state > 0) ? QColor(Qt::white) : ink;
        const qreal side = qMax<qreal>(4.0, qMin(size.width(), size.height()) * 0.5);
        const QRectF g((size.width() - side) / 2.0, (size.height() - side) / 2.0, side, side);
        p.setPen(QPen(pen, qMax<qreal>(1.2, side / 6.0), Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        switch (glyph) {
        case Glyph::Close:
            p.drawLine(g.topLeft(), g.bottomRight());
            p.drawLine(g.topRight(), g.bottomLeft());
            break;
        case Glyph::Maximise:
            p.drawRect(g);
            p.drawLine(g.topLeft() + QPointF(0, 1), g.topRight() + QPointF(0, 1));
            break;
        case Glyph::Restore: {
            const qreal d = side / 3.0;
            p.drawRect(QRectF(g.left(), g.top() + d, side - d, side - d));
            p.drawPolyline(QPolygonF({QPointF(g.left() + d, g.top() + d), QPointF(g.left() + d, g.top()),
                g.topRight(), QPointF(g.right(), g.bottom() - d), QPointF(g.right() - d, g.bottom() - d)}));
            break;
        }
        }
    });
}

QFont titleFont(const QString& family, int pixels, bool bold)
{
    QFont f(family);
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

} // namespace

TfmJeu::Look TfmJeu::baseLook()
{
    const QColor face = QApplication::palette().color(QPalette::Window); // clBtnFace
    return {25, face, face, QApplication::font(), QApplication::palette().color(QPalette::WindowText), 0,
        QSize(33, 25), 0};
}

TfmJeu::Look TfmJeu::themeLook(int theme)
{
    const zv::themes::GameLook& g = zv::themes::LookOf(theme).game;
    const QColor face = baseLook().window;
    const auto colour = [&](unsigned v) { return v == zv::themes::Face ? face : QColor::fromRgb(v); };
    return {g.titleHeight, colour(g.title), colour(g.window),
        titleFont(QLatin1String(g.family), g.pixels, true), QColor::fromRgb(g.text), g.border,
        QSize(g.buttonWidth, g.buttonHeight), theme};
}

TfmJeu::TfmJeu(QWidget* owner, const QString& name, const QByteArray& url, int width, int height)
    : TfmJeu(baseLook(), owner, name, url, width, height)
{
}

TfmJeu::TfmJeu(
    const Look& look, QWidget* owner, const QString& name, const QByteArray& url, int width, int height)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint)
    , look_(look)
{
    // 1. The form and its theme.
    setObjectName(QStringLiteral("fmJeu"));
    setModal(true);
    setAttribute(Qt::WA_DeleteOnClose, false);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, look_.window);
    setPalette(pal);
    setAutoFillBackground(true);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(look_.border, look_.border, look_.border, look_.border);
    column->setSpacing(0);

    panTitre = new QLabel(this);
    panTitre->setObjectName(QStringLiteral("panTitre"));
    panTitre->setFixedHeight(look_.titleHeight);
    panTitre->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    panTitre->setFont(look_.titleFont);
    panTitre->setAutoFillBackground(true);
    QPalette tp = panTitre->palette();
    tp.setColor(QPalette::Window, look_.title);
    tp.setColor(QPalette::WindowText, look_.titleText);
    panTitre->setPalette(tp);
    panTitre->installEventFilter(this);

    // In the order they are seen, for the keyboard and assistive technology.
    BtnAgrandir = new TBtnGraph(panTitre);
    BtnAgrandir->setObjectName(QStringLiteral("BtnAgrandir"));
    BtnAgrandir->setHint(QStringLiteral("Agrandir"));
    btnFermer = new TBtnGraph(panTitre);
    btnFermer->setObjectName(QStringLiteral("btnFermer"));
    btnFermer->setHint(QStringLiteral("Fermer"));
    for (TBtnGraph* b : {btnFermer, BtnAgrandir}) {
        b->resize(look_.buttons);
        b->setCursor(Qt::PointingHandCursor);
        if (look_.theme > 0)
            b->setFocusMark(zv::themes::FocusMarkOf(look_.theme));
    }
    paintButtons();

    panJeu = new QFrame(this);
    panJeu->setObjectName(QStringLiteral("panJeu"));
    panJeu->setFrameShape(QFrame::NoFrame);
    auto* inside = new QVBoxLayout(panJeu);
    inside->setContentsMargins(0, 0, 0, 0);
    swJeu = new TShockwaveFlash(panJeu);
    swJeu->setObjectName(QStringLiteral("swJeu"));
    swJeu->hide();
    wbJeu = new TWebBrowser(panJeu);
    wbJeu->setObjectName(QStringLiteral("wbJeu"));
    column->addWidget(panTitre);
    column->addWidget(panJeu, 1);

    // The keys go to the game; Tab and Shift+Tab reach the title bar's buttons.
    // A game may keep Tab (and Escape) for itself: Ctrl+W closes the window
    // and F6 goes between the game and its title bar.
    setTabOrder(btnFermer, swJeu);
    setTabOrder(swJeu, wbJeu);
    auto* closeKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_W), this);
    connect(closeKey, &QShortcut::activated, this, [this] { zv::guarded([this] { btnFermerClick(); }); });
    auto* paneKey = new QShortcut(QKeySequence(Qt::Key_F6), this);
    connect(paneKey, &QShortcut::activated, this, [this] {
        QWidget* game = swJeu->isHidden() ? static_cast<QWidget*>(wbJeu) : swJeu;
        if (panTitre->isAncestorOf(focusWidget()))
            game->setFocus(Qt::ShortcutFocusReason);
        else
            BtnAgrandir->setFocus(Qt::ShortcutFocusReason);
    });

    connect(btnFermer, &TBtnGraph::clicked, this, [this] { zv::guarded([this] { btnFermerClick(); }); });
    connect(BtnAgrandir, &TBtnGraph::clicked, this, [this] { zv::guarded([this] { BtnAgrandirClick(); }); });
    connect(wbJeu, &TWebBrowser::DocumentComplete, this,
        [this] { zv::guarded([this] { wbJeuDocumentComplete(); }); });

    // 2.
    panTitre->setText(QLatin1Char(' ') + name);
    setWindowTitle(name);

    // 3. The game area is the game's size below the title bar, inside the border.
    // A game larger than the screen is kept on it, so the title bar stays reachable.
    int w = qMax(0, width);
    int h = qMax(0, height);
    const QScreen* screen = owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        const QRect avail = screen->availableGeometry();
        w = qMin(w, qMax(0, avail.width() - 2 * look_.border));
        h = qMin(h, qMax(0, avail.height() - look_.titleHeight - 2 * look_.border));
    }
    resize(w + 2 * look_.border, look_.titleHeight + h + 2 * look_.border);
    if (screen)
        move(screen->availableGeometry().center() - rect().center());

    // 4.
    wbJeu->hide();
    if (url.contains(".swf")) {
        // 5.
        swJeu->setFillParent(true);
        swJeu->setMovie(zv::fromCp1252(url));
        swJeu->show();
        swJeu->setFocus();
    } else {
        // 6.
        inside->addWidget(wbJeu);
        wbJeu->Navigate(GamePageAddress(look_.window, name));
        wbJeu->show();
        wbJeu->setFocus();
    }
}

TfmJeu::~TfmJeu() = default;

QString TfmJeu::GamePageAddress(const QColor& background, const QString& name)
{
    // The name goes as displayed, in Windows-1252 like every portal request:
    // left to the browser, its accents would travel as UTF-8. So the address
    // is written encoded: its percent signs too, as the browser would send them.
    static const char digits[] = "0123456789ABCDEF";
    QByteArray jeu;
    for (const char c : zv::toCp1252(name)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80 && c != '%')
            jeu += c;
        else
            jeu.append('%').append(digits[byte >> 4]).append(digits[byte & 15]);
    }
    return zv::fromCp1252(zv::portalHost()
        + "/exe/dir.php?w=100%25&h=100%25&bgcolor=" + ColorToHtml(background) + "&jeu=" + jeu);
}

void TfmJeu::paintButtons()
{
    const TBtnGraph::Picture which[]
        = {TBtnGraph::Picture::Actif, TBtnGraph::Picture::Survol, TBtnGraph::Picture::Enfonce};
    const char* states[] = {"actif", "survol", "enfonce"};
    for (int state = 0; state < 3; ++state) {
        if (look_.theme > 0) {
            const QString grow = isMaximized() ? QStringLiteral("restaurer") : QStringLiteral("agrandir");
            btnFermer->setPicture(which[state],
                zv::themes::Picture(
                    look_.theme, QStringLiteral("jeu_fermer_%1.png").arg(QLatin1String(states[state]))));
            BtnAgrandir->setPicture(which[state],
                zv::themes::Picture(
                    look_.theme, QStringLiteral("jeu_%1_%2.png").arg(grow, QLatin1String(states[state]))));
            continue;
        }
        btnFermer->setPicture(
            which[state], buttonPicture(look_.buttons, Glyph::Close, look_.title, look_.titleText, state));
        BtnAgrandir->setPicture(which[state],
            buttonPicture(look_.buttons, isMaximized() ? Glyph::Restore : Glyph::Maximise, look_.title,
                look_.titleText, state));
    }
}

void TfmJeu::placeButtons()
{
    // Top right, the maximise button left of the close button.
    const int top = qMax(0, (panTitre->height() - look_.buttons.height()) / 2);
    const int gap = look_.border > 0 || look_.buttons.width() < 30 ? 2 : 0;
    btnFermer->move(panTitre->width() - look_.buttons.width() - gap, top);
    BtnAgrandir->move(btnFermer->x() - look_.buttons.width() - gap, top);
}

bool TfmJeu::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == panTitre) {
        switch (event->type()) {
        case QEvent::Resize: placeButtons(); break;
        case QEvent::MouseButtonPress:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
                zv::guarded([this] { panTitreMouseDown(); });
            return true;
        case QEvent::MouseButtonDblClick:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
                zv::guarded([this] { panTitreDblClick(); });
            return true;
        default: break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfmJeu::keyPressEvent(QKeyEvent* event)
{
    // Escape belongs to the game: only the close button ends the window.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfmJeu::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        paintButtons();
        BtnAgrandir->setHint(isMaximized() ? QStringLiteral("Restaurer") : QStringLiteral("Agrandir"));
    }
}

void TfmJeu::btnFermerClick()
{
    done(QDialog::Accepted);
}

void TfmJeu::BtnAgrandirClick()
{
    // 1.
    if (isMaximized())
        showNormal();
    else
        showMaximized();
    // 2. The Flash control follows the new size.
    const bool visible = !swJeu->isHidden();
    swJeu->setFillParent(false);
    swJeu->setParent(nullptr);
    swJeu->setParent(panJeu);
    swJeu->setFillParent(true);
    swJeu->setVisible(visible);
}

void TfmJeu::panTitreMouseDown()
{
    if (QWidget* grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
    if (QWindow* w = windowHandle())
        w->startSystemMove();
}

void TfmJeu::panTitreDblClick()
{
    BtnAgrandirClick();
}

void TfmJeu::wbJeuDocumentComplete()
{
    if (!wbJeu->HasDocument())
        return;
    wbJeu->SetBodyStyle(QStringLiteral("borderstyle"), QStringLiteral("none"));
    wbJeu->SetBodyStyle(QStringLiteral("overflow"), QStringLiteral("hidden"));
}

std::unique_ptr<QDialog> CreateGameWindow(
    int theme, QWidget* owner, const QString& name, const QByteArray& url, int width, int height)
{
    switch (theme) {
    case 1: return std::make_unique<TfmJeuTheme1>(owner, name, url, width, height);
    case 2: return std::make_unique<TfmJeuTheme2>(owner, name, url, width, height);
    case 3: return std::make_unique<TfmJeuTheme3>(owner, name, url, width, height);
    case 4: return std::make_unique<TfmJeuTheme4>(owner, name, url, width, height);
    case 5: return std::make_unique<TfmJeuTheme5>(owner, name, url, width, height);
    default: return std::make_unique<TfmJeu>(owner, name, url, width, height);
    }
}
