#include "ui/themes/themes.h"

#include "portal/canaux.h"
#include "ui/controls/btngraph.h"
#include "ui/controls/scrolllabel.h"
#include "ui/player/cadcurseur.h"
#include "ui/themes/looks.h"
#include "ui/windows/fenjeu.h"
#include "ui/windows/fensponsor.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QListView>
#include <QPixmap>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTreeWidget>

static void initThemeResources()
{
    // The pictures live in a static library: their registration must be pulled in.
    Q_INIT_RESOURCE(zvthemes);
}

namespace {

using zv::themes::Look;

QPixmap picture(int theme, const QString& name)
{
    return QPixmap(QStringLiteral(":/themes/theme%1/%2").arg(theme).arg(name));
}

// Normal, hover, pressed (and pressed-hover, inactive when drawn).
void dress(TBtnGraph* b, int theme, const QString& base)
{
    b->setImageActif(picture(theme, base + QStringLiteral("_actif.png")));
    b->setImageSurvol(picture(theme, base + QStringLiteral("_survol.png")));
    b->setImageEnfonce(picture(theme, base + QStringLiteral("_enfonce.png")));
    b->setImageEnfonceSurvol(picture(theme, base + QStringLiteral("_enfoncesurvol.png")));
    b->setImageInactif(picture(theme, base + QStringLiteral("_inactif.png")));
}

QString rgb(unsigned v)
{
    return QColor::fromRgb(v).name();
}

QString styleSheet(const Look& look)
{
    const QString accent = rgb(look.accent);
    const QString accentDark = QColor::fromRgb(look.accent).darker(160).name();
    const QString listBg = rgb(look.listBackground);
    const QString listFg = rgb(look.listText);
    return QStringLiteral(R"(
QLabel { color: #dfe6f0; background: transparent; }
#lblTitre { color: #f2f5fa; font: bold 12px "DejaVu Sans"; }
#lblMarque { color: #6f7a8c; font: 10px "DejaVu Sans"; }
#lblListeCanaux, #lblListeJeux { color: %1; font: bold 11px "DejaVu Sans"; padding: 5px 0 4px 0; }
#lblStatutPlayer { color: #9aa6b8; font: 10px "DejaVu Sans"; }
#lblBouquet, #lblChatRadio { color: #b8c2d2; font: bold 10px "DejaVu Sans"; }
#lblTelechargerMusique { color: %1; font: bold 10px "DejaVu Sans"; text-decoration: underline; }
#frmPlayer { background: #000000 url(:/themes/theme%5/filigrane.png) no-repeat center; border: none; }
QHeaderView::section { background: #1c2230; color: #b8c2d2; border: none; border-right: 1px solid #2c3444;
    padding: 2px 4px; font: bold 10px "DejaVu Sans"; }
#panBouquet { background: transparent; }
QListView, QTreeView { background: %3; alternate-background-color: %3; color: %4; border: none;
    selection-background-color: %1; selection-color: #ffffff; font: 11px "DejaVu Sans"; outline: 0; }
#lvListeCanaux::item { padding: 1px 2px; }
QComboBox { background: #1c2230; color: #f2f5fa; border: 1px solid #38425a; border-radius: 4px;
    padding: 2px 6px; font: 11px "DejaVu Sans"; }
QComboBox:hover { border-color: %1; }
QComboBox::drop-down { border: none; width: 16px; }
QComboBox QAbstractItemView { background: #141923; color: #f2f5fa; selection-background-color: %1;
    border: 1px solid #38425a; }
QTabWidget::pane { border: 1px solid #2c3444; background: #0f131b; top: -1px; }
QTabBar::tab { background: #1c2230; color: #b8c2d2; padding: 4px 9px; margin-right: 2px;
    border-top-left-radius: 5px; border-top-right-radius: 5px; font: 10px "DejaVu Sans"; }
QTabBar::tab:selected { background: %1; color: #ffffff; }
QTabBar::tab:hover:!selected { background: #2a3242; }
QPushButton { color: #f2f5fa; background: #232a38; border: 1px solid #38425a; border-radius: 4px;
    padding: 3px 8px; font: bold 10px "DejaVu Sans"; }
QPushButton:hover { border-color: %1; }
QPushButton:pressed, QPushButton:checked { background: %2; border-color: %1; }
QLineEdit { background: #0b0e14; color: #ffffff; border: 1px solid #38425a; border-radius: 3px;
    padding: 2px 4px; font: 11px "DejaVu Sans"; }
QScrollBar:vertical { background: transparent; width: 10px; margin: 0; }
QScrollBar::handle:vertical { background: #384257; border-radius: 4px; min-height: 24px; margin: 1px; }
QScrollBar::handle:vertical:hover { background: %1; }
QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }
QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: transparent; }
QScrollBar:horizontal { height: 0; }
QToolTip { background: #1c2230; color: #f2f5fa; border: 1px solid %1; }
)")
        .arg(accent, accentDark, listBg, listFg, QString::number(look.number));
}

// Themes 2 to 5 draw the games categories in bold and the games plain, and
// the podcasts (third level and below) without bold.
class TreeLevelDelegate : public QStyledItemDelegate {
public:
    TreeLevelDelegate(int boldLevel, int plainFrom, QObject* parent)
        : QStyledItemDelegate(parent)
        , boldLevel_(boldLevel)
        , plainFrom_(plainFrom)
    {
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        int level = 0;
        for (QModelIndex p = index.parent(); p.isValid(); p = p.parent())
            ++level;
        if (level == boldLevel_)
            option->font.setBold(true);
        else if (plainFrom_ >= 0 && level >= plainFrom_)
            option->font.setBold(false);
    }

private:
    int boldLevel_;
    int plainFrom_;
};

} // namespace

void ApplyThemeLook(TfmPrinc* w, int theme)
{
    initThemeResources();
    const Look& look = zv::themes::LookOf(theme);
    const auto& m = look.markers;

    w->SetBackground(picture(theme, QStringLiteral("fond.jpg")));

    QWidget* markers[] = {
        w->shpPlayerHG, w->shpPlayerBD, w->shpListeCanauxHG, w->shpListeCanauxBD, w->shpPubHG, w->shpPubBD};
    for (int i = 0; i < 6; ++i)
        markers[i]->move(m[size_t(i)].left, m[size_t(i)].top);

    const int left = m[0].left;
    const int right = m[3].left + zv::themes::MarkerSize - 1;
    const int playerBottom = m[1].top + zv::themes::MarkerSize - 1;
    const int width = look.width;

    // Title bar, logo and ticker strip.
    w->lblTitre->setGeometry(14, 6, 400, 18);
    w->btnMinimise->setGeometry(width - 51, 5, 23, 21);
    w->btnFerme->setGeometry(width - 27, 5, 23, 21);
    dress(w->btnMinimise, theme, QStringLiteral("btnminimise"));
    dress(w->btnFerme, theme, QStringLiteral("btnferme"));
    w->btnMinimise->setHint(QStringLiteral("Réduire"));
    w->btnFerme->setHint(QStringLiteral("Fermer"));
    // The logo sits left of the ad band, scaled down where the band leaves less room.
    const QPixmap logo = picture(theme, QStringLiteral("logo.png"));
    const int bandTop = m[4].top;
    const int bandHeight = m[5].top + zv::themes::MarkerSize - bandTop;
    const int room = m[4].left - left - 8;
    if (!logo.isNull() && room < logo.width()) {
        const QPixmap small = logo.scaledToWidth(qMax(1, room), Qt::SmoothTransformation);
        w->imgLogo->setPixmap(small);
        w->imgLogo->setGeometry(
            left, bandTop + (bandHeight - small.height()) / 2, small.width(), small.height());
    } else {
        w->imgLogo->setGeometry(left, bandTop + (bandHeight - 60) / 2, 196, 60);
    }
    w->slMessage->setGeometry(left + 86, look.tickerY + 1, right - left - 92, 24);
    QFont tickerFont(QStringLiteral("DejaVu Sans"));
    tickerFont.setPixelSize(12);
    w->slMessage->setFont(tickerFont);
    QPalette tp = w->slMessage->palette();
    tp.setColor(QPalette::WindowText, QColor::fromRgb(look.tickerText));
    w->slMessage->setPalette(tp);

    // The section buttons, evenly along the panels' width.
    QFont captionFont(QStringLiteral("DejaVu Sans"));
    captionFont.setPixelSize(11);
    captionFont.setBold(true);
    const QList<TBtnGraph*> row = {w->btnFctAccueil, w->btnFctTele, w->btnFctClipVideo, w->btnFctMOD,
        w->btnFctRadio, w->btnFctJeux, w->btnFctChat, w->btnFctSexo};
    const int step = (right - left + 1 - 81) / (int(row.size()) - 1);
    for (int i = 0; i < row.size(); ++i)
        row[i]->setGeometry(left + i * step, look.buttonRowY, 81, 25);
    w->btnFctVideo->setGeometry(w->btnFctSexo->geometry());
    for (TBtnGraph* b : w->sectionButtons()) {
        dress(b, theme, QStringLiteral("btnfct"));
        b->setFont(captionFont);
        QPalette p = b->palette();
        p.setColor(QPalette::WindowText, QColor(0xF2, 0xF5, 0xFA));
        b->setPalette(p);
    }

    // The playback row under the player; its pictures carry their labels.
    const int rowY = playerBottom + 16;
    const QList<QPair<TBtnGraph*, QString>> playback
        = {{w->btnLecture, QStringLiteral("lecture")}, {w->btnPause, QStringLiteral("pause")},
            {w->btnMuet, QStringLiteral("muet")}, {w->btnPleinEcran, QStringLiteral("pleinecran")}};
    for (int i = 0; i < playback.size(); ++i) {
        TBtnGraph* b = playback[i].first;
        b->setGeometry(left + 8 + i * 57, rowY, 51, 51);
        dress(b, theme, playback[i].second);
        b->setCaption(QString());
    }
    w->frmCurseurSon->move(left + 8 + 4 * 57 + 12, rowY + 13);
    w->frmCurseurSon->btnGlissiere->setImageActif(picture(theme, QStringLiteral("glissiere4.png")));
    w->frmCurseurSon->btnCurseur->setImageActif(picture(theme, QStringLiteral("curseur_actif.png")));
    w->frmCurseurSon->btnCurseur->setImageSurvol(picture(theme, QStringLiteral("curseur_survol.png")));
    w->frmCurseurSon->btnCurseur->setImageInactif(picture(theme, QStringLiteral("curseur_inactif.png")));
    w->frmCurseurVideo->btnGlissiere->setImageActif(picture(theme, QStringLiteral("glissiere21.png")));
    w->frmCurseurVideo->btnCurseur->setImageActif(picture(theme, QStringLiteral("curseur_actif.png")));
    w->frmCurseurVideo->btnCurseur->setImageSurvol(picture(theme, QStringLiteral("curseur_survol.png")));
    for (TfrmCurseur* s : {w->frmCurseurSon, w->frmCurseurVideo}) {
        s->btnGlissiere->setCaption(QString());
        s->btnCurseur->setCaption(QString());
    }

    const int sideX = w->frmCurseurSon->x() + w->frmCurseurSon->width() + 18;
    w->lblChatRadio->setGeometry(sideX, rowY + 2, 230, 16);
    w->cmbChatRadio->setGeometry(sideX, rowY + 21, 230, 24);
    w->lblTelechargerMusique->setGeometry(sideX, rowY + 16, 240, 18);

    w->btnConfig->setGeometry(right - 8 - 51, rowY, 51, 51);
    w->btnContact->setGeometry(right - 8 - 51 - 57, rowY, 51, 51);
    dress(w->btnConfig, theme, QStringLiteral("config"));
    dress(w->btnContact, theme, QStringLiteral("contact"));
    w->btnConfig->setCaption(QString());
    w->btnContact->setCaption(QString());
    w->lblMarque->setGeometry(right - 420, 584, 420, 14);

    // Flags and badge.
    w->ilTele.clear();
    for (const char* code : zv::FlagCodes)
        w->ilTele.append(QPixmap(QStringLiteral(":/themes/icons/flag_%1.png").arg(QLatin1String(code))));
    w->ilVideo = {QPixmap(QStringLiteral(":/themes/icons/badge_new.png"))};

    if (theme != 1) {
        w->tvListeJeux->setItemDelegate(new TreeLevelDelegate(0, 1, w->tvListeJeux));
        w->tvMODPodcast->setItemDelegate(new TreeLevelDelegate(-1, 2, w->tvMODPodcast));
    }

    w->setStyleSheet(styleSheet(look));
    w->SetListColours(QColor::fromRgb(look.listBackground), QColor::fromRgb(look.listText));
}

template <int N>
TfmPrincThemeN<N>::TfmPrincThemeN(QWidget* parent)
    : TfmPrinc(parent)
{
    ApplyThemeLook(this, N);
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
