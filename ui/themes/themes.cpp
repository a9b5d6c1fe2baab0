#include "ui/themes/themes.h"

#include "base/errors.h"
#include "portal/canaux.h"
#include "ui/controls/btngraph.h"
#include "ui/controls/scrolllabel.h"
#include "ui/main/entrymodel.h"
#include "ui/player/cadcurseur.h"
#include "ui/themes/focusmarks.h"
#include "ui/themes/looks.h"
#include "ui/themes/pictures.h"
#include "ui/windows/fenjeu.h"
#include "ui/windows/fensponsor.h"

#include <QChildEvent>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <algorithm>
#include <cmath>

namespace {

using zv::themes::Box;
using zv::themes::Look;
using zv::themes::Picture;

QRect rectOf(const Box& b)
{
    return QRect(b.left, b.top, b.width, b.height);
}

// Normal, hover, pressed (and pressed-hover, inactive when drawn).
void dress(TBtnGraph* b, int theme, const QString& base)
{
    b->setImageActif(Picture(theme, base + QStringLiteral("_actif.png")));
    b->setImageSurvol(Picture(theme, base + QStringLiteral("_survol.png")));
    b->setImageEnfonce(Picture(theme, base + QStringLiteral("_enfonce.png")));
    b->setImageEnfonceSurvol(Picture(theme, base + QStringLiteral("_enfoncesurvol.png")));
    b->setImageInactif(Picture(theme, base + QStringLiteral("_inactif.png")));
}

QString rgb(unsigned v)
{
    return QColor::fromRgb(v).name();
}

// How far apart two colours are to the eye: the ratio of their relative
// luminances, from 1 (the same) to 21 (black and white).
double contrast(const QColor& a, const QColor& b)
{
    const auto luminance = [](const QColor& c) {
        const auto channel
            = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The style sheet of a theme's main window. Every text colour here sits on a
// fill this sheet sets, or on the part of the background picture drawn in the
// colour the look pairs it with.
QString styleSheet(const Look& look)
{
    const auto& k = look.ink;
    QString sheet = QStringLiteral(R"(
QLabel { color: @cardText; background: transparent; font: 11px "@family"; }
#lblTitre { color: @titleText; font: bold 12px "@family"; }
#lblMarque { color: @barText; font: 10px "@family"; }
#lblListeCanaux, #lblListeJeux { color: @heading; font: bold 12px "@family"; padding: 5px 0 4px 0; }
#lblStatutPlayer { color: @dim; font: 10px "@family"; }
#lblBouquet { color: @cardText; font: bold 11px "@family"; }
#lblChatRadio { color: @barText; font: bold 11px "@family"; }
#lblTelechargerMusique { color: @barText; font: bold 11px "@family"; text-decoration: underline;
    border: 2px solid transparent; }
#lblVideoDureeTitre { font: bold 11px "@family"; }
#frmPlayer { background: #000000 url(:/themes/theme@number/filigrane.png) no-repeat center; border: none; }
#panBouquet { background: transparent; }
QHeaderView::section { background: @tab; color: @tabText; border: none; border-right: 1px solid @cardBorder;
    padding: 2px 4px; font: bold 10px "@family"; }
QListView, QTreeView { background: @listBg; alternate-background-color: @listBg; color: @listFg;
    border: 2px solid @listBg; selection-background-color: @accent; selection-color: @onAccent;
    font: 11px "@family"; outline: 0; }
QListView:focus, QTreeView:focus { border-color: @ringList; }
#tvMODPodcast { color: @podcast; }
#lvListeCanaux::item { padding: 1px 2px; }
QComboBox { background: @field; color: @fieldText; border: 1px solid @fieldBorder; border-radius: @radiuspx;
    padding: 2px 6px; font: 11px "@family"; }
QComboBox:hover { border-color: @accentLine; }
QComboBox::drop-down { border: none; width: 16px; }
QComboBox QAbstractItemView { background: @field; color: @fieldText; selection-background-color: @accent;
    selection-color: @onAccent; border: 1px solid @fieldBorder; }
QTabWidget::pane { border: 1px solid @cardBorder; background: @card; top: -1px; }
QTabBar::tab { background: @tab; color: @tabText; padding: 4px 6px; margin-right: 2px;
    border-top-left-radius: @radiuspx; border-top-right-radius: @radiuspx; font: 11px "@family"; }
QTabBar::tab:selected { background: @accent; color: @onAccent; font-weight: bold; }
QPushButton { color: @buttonText; border: 1px solid @buttonBorder; border-radius: @radiuspx;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 @buttonHi, stop:1 @button);
    padding: 3px 5px; font: bold 10px "@family"; }
QPushButton:hover { border-color: @accentLine; }
QPushButton:pressed, QPushButton:checked { background: @accent; color: @onAccent; border-color: @accentLine; }
#btnMODFichierOuvrir, #btnMODFichierOuvrirURL { font-weight: normal; }
QLineEdit { background: @field; color: @fieldText; border: 1px solid @fieldBorder; border-radius: @radiuspx;
    padding: 2px 4px; font: 11px "@family"; selection-background-color: @accent; selection-color: @onAccent; }
#edtMODRecherche, #edtVideoRecherche { background: @keywordField; border: none; padding: 3px 5px; }
QScrollBar:vertical { background: transparent; width: 10px; margin: 0; }
QScrollBar::handle:vertical { background: @scroll; border-radius: 4px; min-height: 24px; margin: 1px; }
QScrollBar::handle:vertical:hover { background: @accentLine; }
QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }
QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: transparent; }
QScrollBar:horizontal { height: 0; }
QToolTip { background: @menu; color: @menuText; border: 1px solid @menuAccent; padding: 2px; }
QComboBox:focus { border: 2px solid @ringField; padding: 1px 5px; }
QLineEdit:focus, #edtMODRecherche:focus, #edtVideoRecherche:focus { border: 2px solid @ringField;
    padding: 1px 3px; }
QPushButton:focus { border: 2px solid @ringButton; padding: 2px 4px; outline: none; }
QTabBar:focus { outline: 0; }
QTabBar::tab:selected:focus { border: 2px solid @onAccent; padding: 2px 4px; }
#lblTelechargerMusique:focus { border-color: @ringBar; }
)");
    // The podcast groups in bold, the podcasts plain: themes 2 to 5 draw the
    // leaves without bold.
    if (look.number != 1)
        sheet += QStringLiteral("#tvMODPodcast { font: bold 11px \"@family\"; }\n");
    // The chosen row, each look its own way. The games and podcast trees paint
    // a node's indent apart from the node, with the same rule: there the mark
    // is a plain band (ruled above and below in silver), as a stem or a frame
    // would be drawn twice, once round the indent and once round the text.
    const auto inTrees = [](const char* rule) {
        return QStringLiteral("#tvListeJeux::item:selected, #tvMODPodcast::item:selected { %1 }\n")
            .arg(QLatin1String(rule));
    };
    switch (look.number) {
    case 1: // a candy pill
        sheet += QStringLiteral("QListView::item:selected, QTreeView::item:selected { background: @accent;"
                                " border-radius: 7px; }\n");
        break;
    case 3: // a hairline under the aqua blue
        sheet += QStringLiteral("QListView::item:selected, QTreeView::item:selected { background: @accent;"
                                " border-bottom: 1px solid #ffffff; }\n");
        break;
    case 4: // a leaf on its stem
        sheet += QStringLiteral("QListView::item:selected, QTreeView::item:selected { background: @accent;"
                                " border-left: 3px solid #0a3a16; border-top-right-radius: 8px; }\n"
                                "QListView::item, QTreeView::item { padding: 1px 0; }\n")
            + inTrees("border-left: none; border-top-right-radius: 0;");
        break;
    case 5: // framed in silver
        sheet += QStringLiteral("QListView::item:selected, QTreeView::item:selected { background: @accent;"
                                " border: 1px solid #c9d1de; }\n")
            + inTrees("border-left: none; border-right: none;");
        break;
    default: break;
    }
    // A line of the accent that shows on the window's art: the lighter one
    // where the accent is dark.
    // The focus mark of the styled controls: the line of the theme's mark
    // that reads on each control's fill.
    const zv::FocusMark mark = zv::themes::FocusMarkOf(look.number);
    const QColor accent = QColor::fromRgb(k.accent);
    const QColor line = accent.lightness() < 110 ? accent.lighter(170) : accent;
    // The keyword fields have no border: where the field's fill is hardly
    // told from the panel's, it takes some of the border's colour instead.
    const QColor field = QColor::fromRgb(k.field), border = QColor::fromRgb(k.fieldBorder);
    const QColor keywordField = contrast(field, QColor::fromRgb(k.card)) >= 1.4
        ? field
        : QColor::fromRgbF(field.redF() + (border.redF() - field.redF()) * 0.4,
            field.greenF() + (border.greenF() - field.greenF()) * 0.4,
            field.blueF() + (border.blueF() - field.blueF()) * 0.4);
    const QColor scroll = QColor::fromRgb(look.listBackground).lightness() > 128
        ? QColor::fromRgb(look.listBackground).darker(150)
        : QColor::fromRgb(k.cardBorder).lighter(115);
    const QList<QPair<QString, QString>> values = {{QStringLiteral("@titleText"), rgb(k.titleText)},
        {QStringLiteral("@cardText"), rgb(k.cardText)}, {QStringLiteral("@cardBorder"), rgb(k.cardBorder)},
        {QStringLiteral("@card"), rgb(k.card)}, {QStringLiteral("@heading"), rgb(k.heading)},
        {QStringLiteral("@dim"), rgb(k.dim)}, {QStringLiteral("@barText"), rgb(k.barText)},
        {QStringLiteral("@accentLine"), line.name()}, {QStringLiteral("@accent"), rgb(k.accent)},
        {QStringLiteral("@onAccent"), rgb(k.onAccent)}, {QStringLiteral("@fieldText"), rgb(k.fieldText)},
        {QStringLiteral("@fieldBorder"), rgb(k.fieldBorder)}, {QStringLiteral("@field"), rgb(k.field)},
        {QStringLiteral("@keywordField"), keywordField.name()},
        {QStringLiteral("@buttonText"), rgb(k.buttonText)},
        {QStringLiteral("@buttonBorder"), rgb(k.buttonBorder)},
        {QStringLiteral("@buttonHi"), rgb(k.buttonHi)}, {QStringLiteral("@button"), rgb(k.button)},
        {QStringLiteral("@tabText"), rgb(k.tabText)}, {QStringLiteral("@tab"), rgb(k.tab)},
        {QStringLiteral("@menuText"), rgb(k.menuText)}, {QStringLiteral("@menuAccent"), rgb(k.menuAccent)},
        {QStringLiteral("@menu"), rgb(k.menu)}, {QStringLiteral("@listBg"), rgb(look.listBackground)},
        {QStringLiteral("@listFg"), rgb(look.listText)}, {QStringLiteral("@podcast"), rgb(look.podcastText)},
        {QStringLiteral("@scroll"), scroll.name()}, {QStringLiteral("@radius"), QString::number(k.radius)},
        {QStringLiteral("@family"), QLatin1String(look.type.family)},
        {QStringLiteral("@number"), QString::number(look.number)},
        {QStringLiteral("@ringField"), mark.lineOn(QColor::fromRgb(k.field)).name()},
        {QStringLiteral("@ringButton"), mark.lineOn(QColor::fromRgb(k.button)).name()},
        {QStringLiteral("@ringList"), mark.lineOn(QColor::fromRgb(look.listBackground)).name()},
        {QStringLiteral("@ringBar"), mark.lineOn(QColor::fromRgb(k.bar)).name()}};
    for (const auto& [name, value] : values)
        sheet.replace(name, value);
    return sheet;
}

// The settings menu wears the theme too; it is a window of its own.
QString menuSheet(const Look& look)
{
    const auto& k = look.ink;
    return QStringLiteral(R"(
QMenu { background: %1; color: %2; border: 1px solid %3; padding: 4px; font: 12px "%5"; }
QMenu::item { padding: 5px 24px 5px 28px; background: transparent; }
QMenu::item:selected { background: %3; color: %4; }
QMenu::item:disabled { color: %2; font-weight: bold; }
QMenu::separator { height: 1px; background: %3; margin: 4px 8px; }
)")
        .arg(rgb(k.menu), rgb(k.menuText), rgb(k.menuAccent), rgb(k.menuAccentText),
            QLatin1String(look.type.family));
}

// Gives the non-window children of a window its sheet, now and when they are
// first polished. Windows (dialogs, menus, tool windows) keep their own look.
class OwnStyleSheet : public QObject {
public:
    OwnStyleSheet(QWidget* window, const QString& sheet)
        : QObject(window)
        , sheet_(sheet)
    {
        setObjectName(QStringLiteral("zvOwnStyleSheet"));
        window->installEventFilter(this);
        for (QObject* o : window->children()) {
            if (auto* w = qobject_cast<QWidget*>(o))
                give(w);
        }
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::ChildPolished) {
            if (auto* w = qobject_cast<QWidget*>(static_cast<QChildEvent*>(event)->child()))
                give(w);
        }
        return false;
    }

private:
    void give(QWidget* w) const
    {
        // A control with a sheet of its own keeps it.
        if (!w->isWindow() && w->styleSheet().isEmpty())
            w->setStyleSheet(sheet_);
    }

    QString sheet_;
};

// Draws a tree's items through the window's handler, before the default drawing.
class CustomDrawDelegate : public QStyledItemDelegate {
public:
    using Handler = std::function<void(const QModelIndex&, QStyleOptionViewItem&)>;
    CustomDrawDelegate(Handler handler, QObject* parent)
        : QStyledItemDelegate(parent)
        , handler_(std::move(handler))
    {
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        handler_(index, *option);
    }

private:
    Handler handler_;
};

int levelOf(const QModelIndex& node)
{
    int level = 0;
    for (QModelIndex p = node.parent(); p.isValid(); p = p.parent())
        ++level;
    return level;
}

void setFontColour(QStyleOptionViewItem& option, const QColor& colour)
{
    option.palette.setColor(QPalette::Text, colour);
    option.palette.setColor(QPalette::HighlightedText, colour);
}

QFont lookFont(const Look& look, int pixels, bool bold)
{
    QFont f(QLatin1String(look.type.family));
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

void setTextColour(QWidget* w, unsigned colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, QColor::fromRgb(colour));
    w->setPalette(p);
}

} // namespace

void ApplyOwnStyleSheet(QWidget* window, const QString& sheet)
{
    delete window->findChild<QObject*>(QStringLiteral("zvOwnStyleSheet"), Qt::FindDirectChildrenOnly);
    window->setStyleSheet(QString());
    new OwnStyleSheet(window, sheet);
}

void ApplyThemeLook(TfmPrinc* w, int theme)
{
    const Look& look = zv::themes::LookOf(theme);
    const zv::themes::Layout lay = zv::themes::LayoutOf(look);
    const auto& m = look.markers;

    w->SetBackground(Picture(theme, QStringLiteral("fond.jpg")));

    QWidget* markers[] = {
        w->shpPlayerHG, w->shpPlayerBD, w->shpListeCanauxHG, w->shpListeCanauxBD, w->shpPubHG, w->shpPubBD};
    for (int i = 0; i < 6; ++i)
        markers[i]->move(m[size_t(i)].left, m[size_t(i)].top);

    // Title bar, logo and ticker.
    w->lblTitre->setGeometry(rectOf(lay.title));
    w->lblTitre->setAlignment((look.titleCentred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter);
    w->btnMinimise->setGeometry(rectOf(lay.minimise));
    w->btnFerme->setGeometry(rectOf(lay.close));
    dress(w->btnMinimise, theme, QStringLiteral("btnminimise"));
    dress(w->btnFerme, theme, QStringLiteral("btnferme"));
    w->btnMinimise->setHint(QStringLiteral("Réduire"));
    w->btnFerme->setHint(QStringLiteral("Fermer"));
    w->imgLogo->setPixmap(Picture(theme, QStringLiteral("logo.png")));
    w->imgLogo->setGeometry(rectOf(lay.logo));
    w->slMessage->setGeometry(rectOf(lay.tickerText));
    w->slMessage->setFont(lookFont(look, 12, false));
    setTextColour(w->slMessage, look.tickerText);

    // The section buttons, evenly along the panels' width.
    QFont captionFont = lookFont(look, look.type.captionPixels, look.type.captionBold);
    if (look.type.captionSmallCaps)
        captionFont.setCapitalization(QFont::SmallCaps);
    captionFont.setLetterSpacing(QFont::AbsoluteSpacing, look.type.captionSpacing);
    const QList<TBtnGraph*> row = {w->btnFctAccueil, w->btnFctTele, w->btnFctClipVideo, w->btnFctMOD,
        w->btnFctRadio, w->btnFctJeux, w->btnFctChat, w->btnFctSexo};
    for (int i = 0; i < row.size(); ++i)
        row[i]->setGeometry(rectOf(lay.buttons[i]));
    w->btnFctVideo->setGeometry(w->btnFctSexo->geometry());
    for (TBtnGraph* b : w->sectionButtons()) {
        dress(b, theme, QStringLiteral("btnfct"));
        b->setFont(captionFont);
        setTextColour(b, look.ink.caption);
    }

    // The playback row under the player; its pictures carry their labels.
    const QList<QPair<TBtnGraph*, QString>> playback
        = {{w->btnLecture, QStringLiteral("lecture")}, {w->btnPause, QStringLiteral("pause")},
            {w->btnMuet, QStringLiteral("muet")}, {w->btnPleinEcran, QStringLiteral("pleinecran")}};
    for (int i = 0; i < playback.size(); ++i) {
        TBtnGraph* b = playback[i].first;
        b->setGeometry(rectOf(lay.playback[i]));
        dress(b, theme, playback[i].second);
        b->setCaption(QString());
    }
    w->frmCurseurSon->move(lay.volume.left, lay.volume.top);
    w->frmCurseurSon->btnGlissiere->setImageActif(Picture(theme, QStringLiteral("glissiere4.png")));
    w->frmCurseurVideo->btnGlissiere->setImageActif(Picture(theme, QStringLiteral("glissiere21.png")));
    for (TfrmCurseur* s : {w->frmCurseurSon, w->frmCurseurVideo}) {
        s->btnCurseur->setImageActif(Picture(theme, QStringLiteral("curseur_actif.png")));
        s->btnCurseur->setImageSurvol(Picture(theme, QStringLiteral("curseur_survol.png")));
        s->btnCurseur->setImageInactif(Picture(theme, QStringLiteral("curseur_inactif.png")));
        s->btnGlissiere->setCaption(QString());
        s->btnCurseur->setCaption(QString());
    }

    w->lblChatRadio->setGeometry(lay.side.left, lay.side.top + 3, lay.side.width, 16);
    w->cmbChatRadio->setGeometry(lay.side.left, lay.side.top + 22, lay.side.width, 24);
    w->lblTelechargerMusique->setGeometry(lay.side.left, lay.side.top + 9, lay.side.width, 33);

    w->btnConfig->setGeometry(rectOf(lay.config));
    w->btnContact->setGeometry(rectOf(lay.contact));
    dress(w->btnConfig, theme, QStringLiteral("config"));
    dress(w->btnContact, theme, QStringLiteral("contact"));
    w->btnConfig->setCaption(QString());
    w->btnContact->setCaption(QString());
    w->lblMarque->setGeometry(rectOf(lay.marque));

    // Flags and badge.
    w->ilTele.clear();
    for (const char* code : zv::FlagCodes)
        w->ilTele.append(zv::themes::SharedPicture(QStringLiteral("flag_%1.png").arg(QLatin1String(code))));
    w->ilVideo = {zv::themes::SharedPicture(QStringLiteral("badge_new.png"))};

    zv::themes::ApplyFocusMark(w, zv::themes::FocusMarkOf(theme));
    ApplyOwnStyleSheet(w, styleSheet(look));
    w->mnuConfig->setStyleSheet(menuSheet(look));
    w->mnuMODPodcastPerso->setStyleSheet(menuSheet(look));
    w->SetListColours(QColor::fromRgb(look.listBackground), QColor::fromRgb(look.listText));
    QPalette podcast = w->tvMODPodcast->palette();
    podcast.setColor(QPalette::Text, QColor::fromRgb(look.podcastText));
    w->tvMODPodcast->setPalette(podcast);
}

template <int N>
TfmPrincThemeN<N>::TfmPrincThemeN(QWidget* parent)
    : TfmPrinc(parent)
{
    ApplyThemeLook(this, N);
    tvListeJeux->setItemDelegate(new CustomDrawDelegate(
        [this](const QModelIndex& node, QStyleOptionViewItem& option) {
            zv::swallowed([&] { tvListeJeuxCustomDrawItem(node, option); });
        },
        tvListeJeux));
    tvMODPodcast->setItemDelegate(new CustomDrawDelegate(
        [this](const QModelIndex& node, QStyleOptionViewItem& option) {
            zv::swallowed([&] { tvMODPodcastCustomDrawItem(node, option); });
        },
        tvMODPodcast));
}

template <int N>
void TfmPrincThemeN<N>::tvListeJeuxCustomDrawItem(const QModelIndex& node, QStyleOptionViewItem& option) const
{
    const int level = levelOf(node);
    if constexpr (N == 1) {
        if (level == 0) {
            setFontColour(option, QColor(0xFF, 0xFF, 0x00));
        } else {
            option.font.setBold(false);
            option.font.setItalic(false);
            option.font.setUnderline(false);
            option.font.setStrikeOut(false);
        }
    } else {
        option.font.setBold(level == 0);
    }
}

template <int N>
void TfmPrincThemeN<N>::tvMODPodcastCustomDrawItem(
    const QModelIndex& node, QStyleOptionViewItem& option) const
{
    // The podcasts, the portal's (the third level) and the user's own (any depth
    // under "Mes podcasts"), as leaves; groups and folders as headings.
    const int kind = node.data(zv::KindRole).toInt();
    if (kind != int(zv::EntryKind::Podcast) && kind != int(zv::EntryKind::OwnPodcast))
        return;
    if constexpr (N == 1)
        setFontColour(option, QColor(0xFF, 0xFF, 0xFF));
    else
        option.font.setBold(false);
}

// The auxiliary windows of each theme.
template <int N> struct ThemeWindows;
template <> struct ThemeWindows<1> {
    using Sponsor = TfmSponsorTheme1;
};
template <> struct ThemeWindows<2> {
    using Sponsor = TfmSponsorTheme2;
};
template <> struct ThemeWindows<3> {
    using Sponsor = TfmSponsorTheme3;
};
template <> struct ThemeWindows<4> {
    using Sponsor = TfmSponsorTheme4;
};
template <> struct ThemeWindows<5> {
    using Sponsor = TfmSponsorTheme5;
};

template <int N> TSponsorWindowClass TfmPrincThemeN<N>::SponsorWindowClass() const
{
    return [](TfmPrinc* owner) -> std::unique_ptr<QDialog> {
        return std::make_unique<typename ThemeWindows<N>::Sponsor>(owner);
    };
}

template <int N> TGameWindowClass TfmPrincThemeN<N>::GameWindowClass() const
{
    return [](TfmPrinc* owner, const QString& name, const QByteArray& url, int width, int height) {
        return CreateGameWindow(N, owner, name, url, width, height);
    };
}

template class TfmPrincThemeN<1>;
template class TfmPrincThemeN<2>;
template class TfmPrincThemeN<3>;
template class TfmPrincThemeN<4>;
template class TfmPrincThemeN<5>;

TfmPrincTheme1::TfmPrincTheme1(QWidget* parent)
    : TfmPrincThemeN<1>(parent)
{
    // Right of the ad band: the home picture at rest, a section's picture
    // over it while the mouse is on the section's button, in a candy frame.
    const QRect room = rectOf(zv::themes::LayoutOf(zv::themes::LookOf(1)).showcase);
    const auto image = [&](const char* name, const char* picture) {
        auto* l = new QLabel(this);
        l->setObjectName(QLatin1String(name));
        l->setPixmap(Picture(1, QStringLiteral("surligne_%1.png").arg(QLatin1String(picture))));
        l->setGeometry(room);
        l->setAttribute(Qt::WA_TransparentForMouseEvents);
        l->hide();
        return l;
    };
    const auto shape = [&](const char* name, const QString& look) {
        auto* s = new QFrame(this);
        s->setObjectName(QLatin1String(name));
        s->setStyleSheet(QStringLiteral("#%1 { %2 }").arg(QLatin1String(name), look));
        s->setGeometry(room);
        s->setAttribute(Qt::WA_TransparentForMouseEvents);
        return s;
    };
    imgSurligneAccueil = image("imgSurligneAccueil", "accueil");
    imgSurligneAccueil->show();
    imgSurligneTele = image("imgSurligneTele", "tele");
    imgSurligneVideo = image("imgSurligneVideo", "video");
    imgSurligneRadio = image("imgSurligneRadio", "radio");
    imgSurligneJeux = image("imgSurligneJeux", "jeux");
    imgSurligneChat = image("imgSurligneChat", "chat");
    imgSurligneSexo = image("imgSurligneSexo", "sexo");
    imgSurligneMOD = image("imgSurligneMOD", "mod");
    shpSurligneAccueil = shape("shpSurligneAccueil",
        QStringLiteral(
            "border: 2px solid rgba(255, 255, 255, 200); border-radius: 16px; background: transparent;"));
    shpSurligne = shape("shpSurligne",
        QStringLiteral("border: 3px solid #ffe14d; border-radius: 16px; background: transparent;"));
    shpSurligne->hide();

    for (TBtnGraph* b : {btnFctTele, btnFctClipVideo, btnFctRadio, btnFctJeux, btnFctChat, btnFctSexo,
             btnFctVideo, btnFctMOD}) {
        connect(b, &TBtnGraph::EtatChange, this, guard([this, b] { btnFctEtatChange(b); }));
    }
}

void TfmPrincTheme1::btnFctEtatChange(TBtnGraph* sender)
{
    if (!sender)
        return;
    shpSurligne->setVisible(sender->hovered());
    imgSurligneTele->setVisible(btnFctTele->hovered());
    imgSurligneVideo->setVisible(btnFctClipVideo->hovered());
    imgSurligneRadio->setVisible(btnFctRadio->hovered());
    imgSurligneJeux->setVisible(btnFctJeux->hovered());
    imgSurligneChat->setVisible(btnFctChat->hovered());
    imgSurligneMOD->setVisible(btnFctMOD->hovered());
    // The videos button takes the adult section's place, and its picture.
    imgSurligneSexo->setVisible(btnFctSexo->hovered() || btnFctVideo->hovered());
}

TfmPrincTheme2::TfmPrincTheme2(QWidget* parent)
    : TfmPrincThemeN<2>(parent)
{
}
TfmPrincTheme3::TfmPrincTheme3(QWidget* parent)
    : TfmPrincThemeN<3>(parent)
{
}
TfmPrincTheme4::TfmPrincTheme4(QWidget* parent)
    : TfmPrincThemeN<4>(parent)
{
}
TfmPrincTheme5::TfmPrincTheme5(QWidget* parent)
    : TfmPrincThemeN<5>(parent)
{
}

std::unique_ptr<TfmPrinc> CreateThemeWindow(int theme)
{
    switch (theme) {
    case 1: return std::make_unique<TfmPrincTheme1>();
    case 2: return std::make_unique<TfmPrincTheme2>();
    case 3: return std::make_unique<TfmPrincTheme3>();
    case 4: return std::make_unique<TfmPrincTheme4>();
    case 5: return std::make_unique<TfmPrincTheme5>();
    default: return nullptr;
    }
}
