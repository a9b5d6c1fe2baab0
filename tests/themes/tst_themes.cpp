// The themes' own rules: Tagada's hover highlight, how each theme draws the
// games and podcast trees, which controls are bold and which fields have no
// border, the game window a theme opens, and the pictures:
// every theme its own, each at 1x and at twice the size at 2x.
#include "contrast.h"
#include "support/mainwindowrig.h"
#include "support/table.h"
#include "support/viewrows.h"
#include "ui/controls/btngraph.h"
#include "ui/main/entrymodel.h"
#include "ui/themes/looks.h"
#include "ui/themes/themes.h"
#include "ui/windows/fenjeu.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QEnterEvent>
#include <QFrame>
#include <QImageReader>
#include <QLabel>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTest>
#include <QTreeView>
#include <map>
#include <tuple>

using namespace zv::test;

namespace {

// Styles added to a tree's own font, which the theme's drawing must override
// where it wants its own.
struct Styles {
    bool bold = false;
    bool italic = false;
    bool underline = false;
};
void restyle(QWidget* tree, Styles added)
{
    QFont f = tree->font();
    if (added.bold)
        f.setBold(true);
    if (added.italic)
        f.setItalic(true);
    if (added.underline)
        f.setUnderline(true);
    tree->setFont(f);
}

// The option an item of tree is drawn with.
QStyleOptionViewItem drawnWith(QAbstractItemView* tree, const QModelIndex& item)
{
    QStyleOptionViewItem option;
    option.initFrom(tree);
    option.font = tree->font();
    auto* delegate = static_cast<QStyledItemDelegate*>(tree->itemDelegate());
    struct Opened : QStyledItemDelegate {
        using QStyledItemDelegate::initStyleOption;
    };
    // A member of QStyledItemDelegate reached through Opened: no cast to a type the delegate is not.
    const auto initStyleOption = &Opened::initStyleOption;
    (delegate->*initStyleOption)(&option, item);
    return option;
}

// A group, a subgroup and a podcast in the podcast tree.
std::tuple<QModelIndex, QModelIndex, QModelIndex> podcastBranch(TfmPrinc* w)
{
    TEntryModel* m = w->tvMODPodcastModel;
    const QModelIndex group
        = m->append({.kind = zv::EntryKind::PodcastGroup, .caption = QStringLiteral("Actualités")});
    const QModelIndex sub
        = m->append({.kind = zv::EntryKind::PodcastSubgroup, .caption = QStringLiteral("Info")}, group);
    const QModelIndex leaf
        = m->append({.kind = zv::EntryKind::Podcast, .caption = QStringLiteral("Le journal")}, sub);
    return {group, sub, leaf};
}

// name -> hash of the bytes of every picture of the resource under folder.
QMap<QString, QByteArray> pictures(const QString& folder)
{
    QMap<QString, QByteArray> out;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        if (f.open(QIODevice::ReadOnly))
            out[path.mid(folder.size() + 1)]
                = QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1);
    }
    return out;
}

} // namespace

class TestThemes : public QObject {
    Q_OBJECT

    MainWindowRig rig;
    std::map<int, std::unique_ptr<TfmPrinc>> themeWindows;

private slots:
    void initTestCase()
    {
        CreateThemeWindow(2); // registers the pictures
    }

    void tagadaHighlightsTheHoveredSection()
    {
        TfmPrincTheme1 w;
        const QList<QPair<TBtnGraph*, QLabel*>> pairs
            = {{w.btnFctTele, w.imgSurligneTele}, {w.btnFctClipVideo, w.imgSurligneVideo},
                {w.btnFctRadio, w.imgSurligneRadio}, {w.btnFctJeux, w.imgSurligneJeux},
                {w.btnFctChat, w.imgSurligneChat}, {w.btnFctSexo, w.imgSurligneSexo},
                {w.btnFctVideo, w.imgSurligneSexo}, {w.btnFctMOD, w.imgSurligneMOD}};
        QList<QLabel*> images;
        for (const auto& p : pairs) {
            if (!images.contains(p.second))
                images << p.second;
        }
        // The rest state, which the handler never changes.
        const bool homeImage = w.imgSurligneAccueil->isVisibleTo(&w);
        const bool homeShape = w.shpSurligneAccueil->isVisibleTo(&w);
        QVERIFY(!w.shpSurligne->isVisibleTo(&w));
        for (const auto& [button, image] : pairs) {
            hover(button, true);
            QVERIFY(w.shpSurligne->isVisibleTo(&w));
            for (QLabel* other : images)
                QCOMPARE(other->isVisibleTo(&w), other == image);
            // Pressing or activating while hovered keeps the highlight.
            button->setEnfonce(true);
            QVERIFY(image->isVisibleTo(&w));
            button->setEnfonce(false);
            hover(button, false);
            QVERIFY(!w.shpSurligne->isVisibleTo(&w));
            QVERIFY(!image->isVisibleTo(&w));
            QCOMPARE(w.imgSurligneAccueil->isVisibleTo(&w), homeImage);
            QCOMPARE(w.shpSurligneAccueil->isVisibleTo(&w), homeShape);
        }
        // The home button raises nothing.
        hover(w.btnFctAccueil, true);
        QVERIFY(!w.shpSurligne->isVisibleTo(&w));
        hover(w.btnFctAccueil, false);
        // The other themes have no such controls.
        auto basic = CreateThemeWindow(2);
        QVERIFY(!basic->findChild<QLabel*>(QStringLiteral("imgSurligneTele")));
    }

    void treesDrawnByTheme_data() { zv::test::themeRows(); }
    void treesDrawnByTheme()
    {
        QFETCH(int, theme);
        auto w = CreateThemeWindow(theme);
        const QModelIndex category = w->tvListeJeuxModel->append(
            {.kind = zv::EntryKind::GameCategory, .caption = QStringLiteral("Réflexion")});
        const QModelIndex game = w->tvListeJeuxModel->append(
            {.kind = zv::EntryKind::Game, .caption = QStringLiteral("Pong")}, category);
        restyle(w->tvListeJeux, {.bold = true, .italic = true});
        const QStyleOptionViewItem cat = drawnWith(w->tvListeJeux, category);
        const QStyleOptionViewItem play = drawnWith(w->tvListeJeux, game);
        if (theme == 1) {
            QCOMPARE(cat.palette.color(QPalette::Text), QColor(0xFF, 0xFF, 0x00));
            QVERIFY(!play.font.bold() && !play.font.italic());
        } else {
            QVERIFY(cat.font.bold());
            QVERIFY(!play.font.bold());
        }

        const auto [group, sub, leaf] = podcastBranch(w.get());
        restyle(w->tvMODPodcast, {.bold = true, .underline = true});
        const QStyleOptionViewItem top = drawnWith(w->tvMODPodcast, group);
        const QStyleOptionViewItem middle = drawnWith(w->tvMODPodcast, sub);
        const QStyleOptionViewItem podcast = drawnWith(w->tvMODPodcast, leaf);
        if (theme == 1) {
            QCOMPARE(podcast.palette.color(QPalette::Text), QColor(Qt::white));
            // The groups keep the tree's colour: yellow.
            QCOMPARE(top.palette.color(QPalette::Text), QColor(0xFF, 0xFF, 0x00));
            QCOMPARE(middle.palette.color(QPalette::Text), QColor(0xFF, 0xFF, 0x00));
        } else {
            QVERIFY(top.font.bold() && middle.font.bold());
            QVERIFY(!podcast.font.bold());
            QVERIFY(podcast.font.underline()); // the other style bits are kept
        }
    }

    // The chosen node's mark runs unbroken from the indent into the text: no
    // pill end, stem or frame side where the indent stops.
    void treeMarkUnbrokenAtTheIndent_data() { treesDrawnByTheme_data(); }
    void treeMarkUnbrokenAtTheIndent()
    {
        QFETCH(int, theme);
        auto w = CreateThemeWindow(theme);
        QTreeView* tree = w->tvMODPodcast;
        const QModelIndex leaf = std::get<2>(podcastBranch(w.get()));
        tree->expandAll();
        tree->setCurrentIndex(leaf);
        const QRect node = tree->visualRect(leaf);
        const QImage shot = tree->viewport()->grab().toImage();
        const int edge = node.left();
        QVERIFY(edge > 4);
        for (const int y : {node.top() + 1, node.center().y()}) {
            for (int x = edge - 2; x <= edge + 1; ++x)
                QVERIFY2(shot.pixel(x, y) == shot.pixel(edge - 3, y),
                    qPrintable(QStringLiteral("x %1, y %2").arg(x).arg(y)));
        }
    }

    void controlsAsDesigned_data()
    {
        zv::test::columns<int, QString, QString>("theme", "control", "look");
        const QList<std::pair<const char*, const char*>> controls = {{"edtMODRecherche", "borderless"},
            {"edtVideoRecherche", "borderless"}, {"btnMODFichierOuvrir", "plain"},
            {"btnMODFichierOuvrirURL", "plain"}, {"btnMODRecherche", "bold"},
            {"btnMODRechercheSuite", "bold"}, {"btnMODRechercheFavoris", "bold"},
            {"btnMODRechercheTelecharger", "bold"}, {"btnMODFavorisTelecharger", "bold"},
            {"btnMODFavorisSupprimer", "bold"}, {"btnVideoRecherche", "bold"}, {"btnVideoSuite", "bold"},
            {"btnJouer", "bold"}, {"lblVideoDureeTitre", "bold"}};
        for (const zv::themes::Look& look : zv::themes::Looks) {
            for (const auto& [control, kind] : controls)
                QTest::addRow("theme %d, %s", look.number, control)
                    << look.number << QString::fromLatin1(control) << QString::fromLatin1(kind);
        }
    }
    void controlsAsDesigned()
    {
        QFETCH(int, theme);
        QFETCH(QString, control);
        QFETCH(QString, look);
        auto& w = themeWindows[theme];
        if (!w)
            w = CreateThemeWindow(theme);
        auto* c = w->findChild<QWidget*>(control);
        QVERIFY(c);
        // Shown as in its section, its tab in front.
        for (QWidget* p = c; p != w.get(); p = p->parentWidget()) {
            if (w->pcMOD->indexOf(p) >= 0)
                w->pcMOD->setCurrentWidget(p);
            p->show();
        }
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QTRY_VERIFY(c->isVisible() && c->height() > 10);
        if (look == QLatin1String("borderless")) {
            // At rest, the fill reaches the edges: nothing is drawn round it
            // (the focus mark shows only while it has the keyboard).
            c->clearFocus();
            const QImage shot = c->grab().toImage();
            const int x = shot.width() / 2, y = shot.height() / 2;
            const QColor fill(shot.pixel(x, y));
            for (const QPoint edge :
                {QPoint(x, 0), QPoint(x, shot.height() - 1), QPoint(0, y), QPoint(shot.width() - 1, y)})
                QCOMPARE(QColor(shot.pixel(edge)).name(), fill.name());
        } else {
            QCOMPARE(c->font().bold(), look == QLatin1String("bold"));
        }
    }

    void gameWindowOfTheme4ReadsItsTitle()
    {
        auto w = CreateThemeWindow(4);
        std::unique_ptr<QDialog> game = w->GameWindowClass()(
            w.get(), QStringLiteral("Planète mémoire"), "http://h.invalid/a.swf", 300, 200);
        QCOMPARE(QString::fromLatin1(game->metaObject()->className()), QStringLiteral("TfmJeuTheme4"));
        auto* jeu = static_cast<TfmJeu*>(game.get());
        game->show();
        QVERIFY(QTest::qWaitForWindowExposed(game.get()));
        const QList<TextReading> readings = ReadTexts(game.get());
        const auto title = std::find_if(readings.cbegin(), readings.cend(),
            [](const TextReading& r) { return r.where.endsWith(QLatin1String("panTitre")); });
        QVERIFY(title != readings.cend());
        QCOMPARE(title->text, QStringLiteral(" Planète mémoire"));
        QVERIFY2(title->readable(), qPrintable(Unreadable(readings)));
        // White on the tabled title colour.
        QCOMPARE(jeu->panTitre->palette().color(QPalette::Window), QColor(0x00, 0x40, 0x00));
        QCOMPARE(jeu->panTitre->palette().color(QPalette::WindowText), QColor(Qt::white));
    }

    void everyThemeHasPicturesOfItsOwn()
    {
        QMap<int, QMap<QString, QByteArray>> sets;
        for (const zv::themes::Look& look : zv::themes::Looks)
            sets[look.number] = pictures(QStringLiteral(":/themes/theme%1").arg(look.number));
        const QStringList names = sets[2].keys();
        QVERIFY(names.contains(QStringLiteral("fond.jpg")));
        for (const zv::themes::Look& look : zv::themes::Looks) {
            const auto& mine = sets[look.number];
            // The same pictures by name (Tagada has its highlights besides)...
            for (const QString& name : names)
                QVERIFY2(mine.contains(name),
                    qPrintable(QStringLiteral("theme %1 lacks %2").arg(look.number).arg(name)));
            // ...and none of them the same bytes as another theme's.
            for (const zv::themes::Look& other : zv::themes::Looks) {
                if (other.number <= look.number)
                    continue;
                QSet<QByteArray> theirs;
                for (const QByteArray& h : sets[other.number])
                    theirs.insert(h);
                for (auto it = mine.cbegin(); it != mine.cend(); ++it) {
                    QVERIFY2(!theirs.contains(it.value()),
                        qPrintable(QStringLiteral("theme %1's %2 is also in theme %3")
                                       .arg(look.number)
                                       .arg(it.key())
                                       .arg(other.number)));
                }
            }
        }
    }

    void everyPictureAt1xAnd2x()
    {
        int pairs = 0;
        QDirIterator it(QStringLiteral(":/themes"), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (path.contains(QLatin1String("@2x")) || path.endsWith(QLatin1String(".qrc")))
                continue;
            const QFileInfo info(path);
            const QString dense = info.path() + QLatin1Char('/') + info.completeBaseName()
                + QStringLiteral("@2x.") + info.suffix();
            const QSize one = QImageReader(path).size();
            QVERIFY2(QFile::exists(dense), qPrintable(dense));
            QCOMPARE(QImageReader(dense).size(), one * 2);
            ++pairs;
        }
        QVERIFY(pairs > 5 * 60);
    }

    // Run once as is and once with QT_SCALE_FACTOR=2: the pictures follow the
    // screen's density, the layout stays in logical pixels.
    void picturesFollowTheScreenDensity()
    {
        const qreal k = qApp->devicePixelRatio() > 1 ? 2 : 1;
        auto w = CreateThemeWindow(5);
        QVERIFY(w->FormCreate());
        QCOMPARE(w->size(), QSize(800, 600));
        const QPixmap fond = w->imgFond->pixmap();
        QCOMPARE(fond.devicePixelRatio(), k);
        QCOMPARE(fond.size(), QSize(800, 600) * k);
        for (TBtnGraph* b : w->sectionButtons()) {
            QCOMPARE(b->ImageActif().devicePixelRatio(), k);
            QCOMPARE(b->size(), QSize(81, 25));
        }
        QCOMPARE(w->ilTele.first().devicePixelRatio(), k);
        QCOMPARE(w->panPlayer->geometry(), QRect(QPoint(37, 194), QPoint(408 + 16, 503 + 16)));
        std::unique_ptr<QDialog> game
            = w->GameWindowClass()(w.get(), QStringLiteral("Jeu"), "a.swf", 100, 100);
        QCOMPARE(static_cast<TfmJeu*>(game.get())->btnFermer->ImageActif().devicePixelRatio(), k);
        QCOMPARE(static_cast<TfmJeu*>(game.get())->btnFermer->size(), QSize(12, 12));
    }
};

QTEST_MAIN(TestThemes)
#include "tst_themes.moc"
