// The main window as a keyboard user and a screen reader meet it, in every
// theme, against the scripted portal with players that play nothing. The
// controls are found by walking the window, so that new ones are read too:
// each has a French name, its role and state, Tab reaches it in the order of
// the screen, and its default action does what a click does.
#include "accesstree.h"
#include "portal/nmhttp.h"
#include "support/mainwindowrig.h"
#include "support/modalanswerer.h"
#include "support/table.h"
#include "support/viewrows.h"
#include "ui/controls/btngraph.h"
#include "ui/main/channelmodel.h"
#include "ui/main/desktopcontrols.h"
#include "ui/player/cadcurseur.h"
#include "ui/player/cadplayer.h"
#include "ui/windows/fenraccourcis.h"
#include "ui/windows/fentelechargement.h"

#include <QAbstractButton>
#include <QAccessibleTableInterface>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>

using namespace zv::test;

namespace {

const QString kPress = QAccessibleActionInterface::pressAction();

// The controls every section shows or may show, as the user knows them.
struct Known {
    const char* object;
    const char* name; // nullptr: the name follows the label beside it
    QAccessible::Role role;
};
const Known kKnown[] = {
    {"btnFctAccueil", "Accueil", QAccessible::CheckBox},
    {"btnFctTele", "Télévision", QAccessible::CheckBox},
    {"btnFctClipVideo", "Clips vidéo", QAccessible::CheckBox},
    {"btnFctMOD", "M. O. D", QAccessible::CheckBox},
    {"btnFctRadio", "Radios", QAccessible::CheckBox},
    {"btnFctJeux", "Jeux", QAccessible::CheckBox},
    {"btnFctChat", "Chat", QAccessible::CheckBox},
    {"btnFctSexo", "Sexoflux", QAccessible::CheckBox},
    {"btnFctVideo", "Vidéos", QAccessible::CheckBox},
    {"btnLecture", "Lecture", QAccessible::CheckBox},
    {"btnPause", "Pause", QAccessible::CheckBox},
    {"btnMuet", "Muet", QAccessible::CheckBox},
    {"btnPleinEcran", "Plein écran", QAccessible::Button},
    {"btnContact", "Mail", QAccessible::Button},
    {"btnConfig", "Configuration", QAccessible::Button},
    {"btnMinimise", "Réduire", QAccessible::Button},
    {"btnFerme", "Fermer", QAccessible::Button},
    {"frmCurseurSon", "Volume", QAccessible::Slider},
    {"frmCurseurVideo", "Position", QAccessible::Slider},
    {"lvListeCanaux", nullptr, QAccessible::List},
    {"tvListeJeux", "Jeux", QAccessible::Tree},
    {"lblTelechargerMusique", nullptr, QAccessible::Link},
};

// The role a control of this kind has.
QAccessible::Role roleOf(const QWidget* w)
{
    if (!w)
        return QAccessible::PageTab; // a tab has no widget of its own
    if (const auto* b = qobject_cast<const TBtnGraph*>(w))
        return b->isToggle() ? QAccessible::CheckBox : QAccessible::Button;
    if (const auto* b = qobject_cast<const QAbstractButton*>(w))
        return b->isCheckable() ? QAccessible::CheckBox : QAccessible::Button;
    const QList<QPair<const char*, QAccessible::Role>> kinds
        = {{"QComboBox", QAccessible::ComboBox}, {"QLineEdit", QAccessible::EditableText},
            {"QListView", QAccessible::List}, {"QTreeView", QAccessible::Tree},
            {"TfrmCurseur", QAccessible::Slider}, {"QLabel", QAccessible::Link}};
    for (const auto& [kind, role] : kinds) {
        if (w->inherits(kind))
            return role;
    }
    return QAccessible::NoRole;
}

QWidget* focused()
{
    return QApplication::focusWidget();
}

// A key where the user's keys go: an open menu, else the focus.
void key(int k, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget* target = QApplication::activePopupWidget();
    if (!target)
        target = focused() ? focused() : QApplication::activeWindow();
    QTest::keyClick(target, Qt::Key(k), modifiers);
}

} // namespace

class TestMainAccess : public MainWindowTest {
    Q_OBJECT

    // A theme window, shown and active, its section buttons in the order the
    // window shows them.
    std::unique_ptr<TfmPrinc> shown(int theme = 2)
    {
        auto w = rig->start(theme);
        w->move(0, 0);
        w->show();
        QApplication::setActiveWindow(w.get());
        if (!QTest::qWaitForWindowActive(w.get()))
            qWarning("the window is not active");
        return w;
    }

    static TBtnGraph* button(TfmPrinc* w, const QString& name) { return w->findChild<TBtnGraph*>(name); }

    // A file that takes its time to arrive, saved in `saved`.
    void slowDownload(const QTemporaryDir& saved)
    {
        rig->portal.set("/lent.mp3", Reply::generated(1000000).inPieces(1000, 50));
        TfmTelechargement::setSaveDialog(
            [&saved](TfmTelechargement*, const QString& name) { return saved.filePath(name); });
    }

    // Presses what assistive technology presses, and sees it done as a click.
    void pressed(TfmPrinc* w, QAccessibleInterface* i, QWidget* widget)
    {
        if (!widget) { // a tab
            act(i, kPress);
            QCOMPARE(w->pcMOD->tabText(w->pcMOD->currentIndex()), i->text(QAccessible::Name));
        } else if (auto* b = qobject_cast<TBtnGraph*>(widget)) {
            // Those that leave the section or the window have rows of their own.
            if (w->sectionButtons().contains(b) || b == w->btnContact || b == w->btnMinimise
                || b == w->btnFerme)
                return;
            QSignalSpy clicked(b, &TBtnGraph::clicked);
            act(i, kPress);
            QCOMPARE(clicked.count(), 1);
            if (b == w->btnConfig) {
                QVERIFY(i->state().hasPopup);
                QTRY_VERIFY(w->mnuConfig->isVisible());
                w->mnuConfig->hide();
            }
        } else if (auto* b = qobject_cast<QAbstractButton*>(widget); b && b->isCheckable()) {
            const bool was = b->isChecked();
            act(i, QAccessibleActionInterface::toggleAction());
            QCOMPARE(b->isChecked(), !was);
            QCOMPARE(bool(i->state().checked), !was);
        } else if (auto* b = qobject_cast<QAbstractButton*>(widget)) {
            // Pressed as a click is shown, a moment after.
            QSignalSpy clicked(b, &QAbstractButton::clicked);
            act(i, kPress);
            QTRY_COMPARE(clicked.count(), 1);
        } else if (auto* s = qobject_cast<TfrmCurseur*>(widget)) {
            const double before = s->GetFraction();
            act(i, QAccessibleActionInterface::increaseAction());
            QVERIFY(s->GetFraction() > before || before == 1.0);
        } else if (auto* c = qobject_cast<QComboBox*>(widget)) {
            act(i, QAccessibleActionInterface::showMenuAction());
            QTRY_VERIFY(c->view()->isVisible());
            c->hidePopup();
        } else if (qobject_cast<QLineEdit*>(widget)) {
            act(i, QAccessibleActionInterface::setFocusAction());
            QTRY_COMPARE(focused(), widget);
        } else if (auto* v = qobject_cast<QAbstractItemView*>(widget)) {
            // The rows as they are read: the first one's text.
            QAccessibleTableInterface* rows = i->tableInterface();
            QVERIFY(rows);
            // A tree lays its rows out a moment after they come.
            QTRY_VERIFY(rows->rowCount() >= rowCount(v));
            if (rowCount(v) > 0)
                QCOMPARE(rows->cellAt(0, 0)->text(QAccessible::Name), at(v, 0).data().toString());
        } else if (qobject_cast<QLabel*>(widget)) {
            const qsizetype before = rig->outside.size();
            act(i, kPress);
            QCOMPARE(rig->outside.size(), before + 1);
        } else {
            QFAIL(qPrintable(
                QStringLiteral("no default action known for ") + widget->metaObject()->className()));
        }
    }

private slots:
    // Every element a person acts on in each section of each theme.
    void elements_data()
    {
        // tab: of M. O. D; -1 for none
        zv::test::columns<int, QString, int>("theme", "section", "tab");
        const char* sections[] = {"btnFctAccueil", "btnFctTele", "btnFctClipVideo", "btnFctRadio",
            "btnFctJeux", "btnFctChat", "btnFctVideo", "btnContact"};
        for (int theme = 1; theme <= 5; ++theme) {
            for (const char* s : sections)
                QTest::addRow("theme %d, %s", theme, s) << theme << QString::fromLatin1(s) << -1;
            for (int tab = 0; tab < 4; ++tab)
                QTest::addRow("theme %d, M. O. D tab %d", theme, tab) << theme << "btnFctMOD" << tab;
        }
        // The download link shows while a clip plays.
        zv::test::row("clip playing", 2, "btnFctClipVideo", -2);
    }

    void elements()
    {
        QFETCH(int, theme);
        QFETCH(QString, section);
        QFETCH(int, tab);
        auto w = shown(theme);
        ModalAnswerer modals;
        modals.boxes().on<QDialog>([](QDialog* d) { d->reject(); });
        TfmPrinc::setFichierDialog([](QWidget*) { return QStringList(); });

        TBtnGraph* chosen = button(w.get(), section);
        act(accessible(chosen), kPress);
        QVERIFY(chosen->Enfonce());
        if (tab >= 0)
            w->pcMOD->setCurrentIndex(tab);
        if (tab == -2) {
            act(accessible(w->btnLecture), kPress);
            w->timLectureTimer();
            QVERIFY(w->lblTelechargerMusique->isVisible());
        }

        QList<QAccessibleInterface*> elements;
        collect(accessible(w.get()), elements);
        const QList<QWidget*> order = w->FocusOrder();
        QStringList seen;
        for (QAccessibleInterface* i : elements) {
            auto* widget = qobject_cast<QWidget*>(i->object());
            const QString name = i->text(QAccessible::Name);
            const QString where
                = (widget ? widget->objectName() : QStringLiteral("onglet")) + QLatin1Char(' ') + name;
            seen << where;
            QVERIFY2(!name.trimmed().isEmpty(), qPrintable(where));
            QVERIFY2(!widget || name != widget->objectName(), qPrintable(where));
            QCOMPARE(i->role(), roleOf(widget));
            for (const Known& k : kKnown) {
                if (widget && widget->objectName() == QLatin1String(k.object)) {
                    QCOMPARE(i->role(), k.role);
                    if (k.name)
                        QCOMPARE(name, QString::fromUtf8(k.name));
                }
            }
            // Tab reaches what can be used; toggles say whether they are down.
            const QAccessible::State state = i->state();
            if (widget && widget->isEnabled()) {
                QVERIFY2(state.focusable, qPrintable(where));
                QVERIFY2(order.contains(widget) || order.contains(widget->focusProxy()), qPrintable(where));
            }
            if (auto* b = qobject_cast<TBtnGraph*>(widget)) {
                QCOMPARE(bool(state.checked), b->isToggle() && b->Enfonce());
                QCOMPARE(bool(state.disabled), !b->Actif());
            }
            if (!widget || widget->isEnabled())
                pressed(w.get(), i, widget);
            if (QTest::currentTestFailed())
                return;
        }
        // The section's own controls are among them.
        QVERIFY2(seen.size() >= 17, qPrintable(seen.join(QLatin1Char('\n'))));
    }

    // The title bar's buttons through assistive technology.
    void titleButtons_data()
    {
        zv::test::columns<int, QString>("theme", "name");
        for (int theme = 1; theme <= 5; ++theme) {
            QTest::addRow("theme %d, Réduire", theme) << theme << "Réduire";
            QTest::addRow("theme %d, Fermer", theme) << theme << "Fermer";
        }
    }

    void titleButtons()
    {
        QFETCH(int, theme);
        QFETCH(QString, name);
        auto w = shown(theme);
        QAccessibleInterface* b = accessible(name == QLatin1String("Fermer") ? w->btnFerme : w->btnMinimise);
        QCOMPARE(b->text(QAccessible::Name), name);
        act(b, kPress);
        if (name == QLatin1String("Fermer"))
            QTRY_VERIFY(!w->isVisible());
        else
            QTRY_VERIFY(w->isMinimized());
    }

    // Tab and Shift+Tab go round every control once, in the order the window
    // shows them: the title bar, the section buttons left to right, the
    // section's panels, the playback row left to right.
    void tabOrder_data()
    {
        zv::test::columns<int, QString>("theme", "section");
        for (int theme = 1; theme <= 5; ++theme) {
            for (const char* s : {"btnFctTele", "btnFctMOD", "btnFctVideo"})
                QTest::addRow("theme %d, %s", theme, s) << theme << QString::fromLatin1(s);
        }
    }

    void tabOrder()
    {
        QFETCH(int, theme);
        QFETCH(QString, section);
        auto w = shown(theme);
        button(w.get(), section)->click();
        // A web page keeps Tab for its own links and hands the focus back
        // when its last one is left; here it hands it back at once.
        QList<QWidget*> order;
        for (QWidget* f : w->FocusOrder()) {
            if (!f->inherits("QQuickWidget"))
                order << f;
        }
        const auto walk = [&](Qt::KeyboardModifiers modifiers, QList<QWidget*>& seen) {
            order.first()->setFocus();
            for (int n = 0; n < order.size(); ++n) {
                seen << focused();
                key(Qt::Key_Tab, modifiers);
                if (focused()->inherits("QQuickWidget"))
                    w->focusNextPrevChild(!modifiers);
            }
            seen << focused(); // round to the first
        };
        const QList<QWidget*> round = order + QList<QWidget*>{order.first()};
        QList<QWidget*> ahead, back;
        walk(Qt::NoModifier, ahead);
        QCOMPARE(ahead, round);
        walk(Qt::ShiftModifier, back);
        std::reverse(back.begin(), back.end());
        QCOMPARE(back, round);

        // What the window shows, read in order.
        const auto index = [&](QWidget* c) { return order.indexOf(c); };
        QCOMPARE(qMax(index(w->btnMinimise), index(w->btnFerme)), 1);
        int x = -1;
        for (QWidget* c : order) {
            if (w->sectionButtons().contains(qobject_cast<TBtnGraph*>(c))) {
                QVERIFY(c->x() > x);
                x = c->x();
            }
        }
        QVERIFY(index(w->btnFctAccueil) == 2);
        QVERIFY(index(w->ShownList()) > index(w->btnFctVideo));
        const QList<QWidget*> row
            = {w->btnLecture, w->btnPause, w->btnMuet, w->btnPleinEcran, w->frmCurseurSon};
        for (QWidget* c : row)
            QVERIFY2(index(c) > index(w->ShownList()), qPrintable(c->objectName()));
        QVERIFY(index(w->btnConfig) > index(w->frmCurseurSon));
    }

    // From start, the keyboard alone: Tab to "Télévision", Enter, an arrow to
    // a channel, Enter, and it plays; the status line, read as one, says so.
    void keyboardWalk()
    {
        auto w = shown();
        QCOMPARE(focused(), w->btnFctAccueil);
        for (int n = 0; n < 40 && focused() != w->btnFctTele; ++n)
            key(Qt::Key_Tab);
        QCOMPARE(focused(), w->btnFctTele);
        key(Qt::Key_Return);
        QVERIFY(w->btnFctTele->Enfonce());
        QTRY_COMPARE(focused(), w->lvListeCanaux);
        key(Qt::Key_Down);
        QCOMPARE(w->ListeCanauxSelectedRow(), 1);
        key(Qt::Key_Return);
        QVERIFY(rig->engine());
        const QString channel = w->lvListeCanauxModel->index(1).data(zv::AddressRole).toString();
        QCOMPARE(rig->engines.sources(), QStringList{channel});
        QVERIFY(w->frmPlayer->IsPlaying());
        emit rig->engine()->statusChanged(QStringLiteral("Lecture en cours..."));
        QAccessibleInterface* status = accessible(w->lblStatutPlayer);
        QCOMPARE(status->role(), QAccessible::StatusBar);
        QCOMPARE(status->text(QAccessible::Name), QStringLiteral("Lecture en cours..."));
    }

    // The keys of the window act on the playback row unless the focused
    // control uses them: a button is pressed by Space, a list and a slider
    // keep their arrows, a field its letters, a menu and the windows the main
    // window opens all their keys.
    void controlsKeepTheirKeys_data()
    {
        // focus: an object, "menu" or "download"
        // plays: a channel plays afterwards
        // volume: the volume's change, in steps
        // row: the channel chosen afterwards
        zv::test::columns<QString, int, bool, int, int>("focus", "key", "plays", "volume", "row");
        zv::test::row("Space on a list plays", "lvListeCanaux", int(Qt::Key_Space), true, 0, 0);
        zv::test::row("Space presses Lecture", "btnLecture", int(Qt::Key_Space), true, 0, 0);
        zv::test::row("Space presses Muet, which plays nothing", "btnMuet", int(Qt::Key_Space), false, 0, 0);
        zv::test::row("Space on a section button shows it", "btnFctTele", int(Qt::Key_Space), false, 0, 0);
        zv::test::row("a list keeps its arrows", "lvListeCanaux", int(Qt::Key_Down), false, 0, 1);
        zv::test::row("Down on a button is the volume", "btnLecture", int(Qt::Key_Down), false, -1, 0);
        zv::test::row("Up on the volume slider moves it", "frmCurseurSon", int(Qt::Key_Up), false, 1, 0);
        zv::test::row(
            "the position slider keeps its arrows", "frmCurseurVideo", int(Qt::Key_Up), false, 0, 0);
        zv::test::row("a combo box keeps its arrows", "cmbBouquet", int(Qt::Key_Up), false, 0, 0);
        zv::test::row("M in the menu", "menu", int(Qt::Key_M), false, 0, 0);
        zv::test::row("Down in the menu", "menu", int(Qt::Key_Down), false, 0, 0);
        zv::test::row("Space in the download window", "download", int(Qt::Key_Space), false, 0, 0);
        zv::test::row("Escape in the download window", "download", int(Qt::Key_Escape), false, 0, 0);
    }

    void controlsKeepTheirKeys()
    {
        QFETCH(QString, focus);
        QFETCH(int, key);
        QFETCH(bool, plays);
        QFETCH(int, volume);
        QFETCH(int, row);
        QTemporaryDir saved;
        slowDownload(saved);
        auto w = shown();
        new TDesktopControls(w.get());
        w->btnFctTele->click();
        const double before = w->frmCurseurSon->GetFraction();
        if (focus == QLatin1String("menu")) {
            w->btnConfig->setFocus();
            ::key(Qt::Key_Space);
            QTRY_VERIFY(w->mnuConfig->isVisible());
            QCOMPARE(w->mnuConfig->activeAction(), w->mnuConfig->actions().first());
            ::key(key);
            QCOMPARE(w->mnuConfig->activeAction() != w->mnuConfig->actions().first(), key == Qt::Key_Down);
            w->mnuConfig->hide();
        } else if (focus == QLatin1String("download")) {
            auto* download = new TfmTelechargement(w.get());
            QPointer<TfmTelechargement> alive(download);
            QTimer::singleShot(200, download, [download, key] {
                QApplication::setActiveWindow(download);
                QTest::keyClick(download->btnAnnule, Qt::Key(key));
            });
            download->Start(QString::fromLatin1(rig->url("/lent.mp3")));
            QTRY_VERIFY(!alive);
        } else {
            auto* control = w->findChild<QWidget*>(focus);
            QVERIFY(control);
            control->setFocus(Qt::TabFocusReason);
            ::key(key);
        }
        QCOMPARE(w->frmPlayer->IsPlaying(), plays);
        const double step = TDesktopControls::volumeStep;
        QVERIFY2(qAbs(w->frmCurseurSon->GetFraction() - (before + volume * step)) < 0.02,
            qPrintable(w->frmCurseurSon->valueText()));
        QCOMPARE(w->ListeCanauxSelectedRow(), row);
        QVERIFY(!w->frmPlayer->IsMuted());
    }

    // The download window read while the file arrives: its one button and
    // its progress, named; "Annuler" pressed through assistive technology
    // closes it.
    void downloadWindow()
    {
        QTemporaryDir saved;
        slowDownload(saved);
        auto w = shown();
        auto* download = new TfmTelechargement(w.get());
        QPointer<TfmTelechargement> alive(download);
        QStringList names;
        QAccessibleInterface* bar = nullptr;
        QTimer::singleShot(200, download, [&names, &bar, download] {
            QList<QAccessibleInterface*> elements;
            collect(accessible(download), elements);
            for (QAccessibleInterface* i : elements)
                names << i->text(QAccessible::Name);
            bar = accessible(download->pbAvancement);
            QCOMPARE(bar->role(), QAccessible::ProgressBar);
            QCOMPARE(bar->text(QAccessible::Name), QStringLiteral("Avancement"));
            QVERIFY(bar->valueInterface());
            act(accessible(download->btnAnnule), kPress);
        });
        download->Start(QString::fromLatin1(rig->url("/lent.mp3")));
        QTRY_VERIFY(!alive);
        QVERIFY(bar);
        QCOMPARE(names, QStringList{QStringLiteral("Annuler")});
    }

    // Each dialog the window opens from the keyboard closes with Escape, and
    // the window stays.
    void escapeCloses_data()
    {
        // open: how it is opened, from the keyboard
        // window: its class
        zv::test::columns<QString, QString>("open", "window");
        zv::test::row("shortcuts by F1", "F1", "TfmRaccourcis");
        zv::test::row("shortcuts from the menu", "menu R", "TfmRaccourcis");
        zv::test::row("settings menu", "menu", "QMenu");
        zv::test::row("address", "btnMODFichierOuvrirURL", "QInputDialog");
        zv::test::row("files", "btnMODFichierOuvrir", "QFileDialog");
        zv::test::row("update offer", "version", "QMessageBox");
    }

    void escapeCloses()
    {
        QFETCH(QString, open);
        QFETCH(QString, window);
        auto w = shown();
        QStringList closed;
        ModalAnswerer modals;
        modals.on<QWidget>([&](QWidget* d) {
            // The shortcuts are all listed, a branch per window.
            if (auto* list = d->findChild<QTreeWidget*>(QStringLiteral("tvRaccourcis"))) {
                int rows = 0;
                for (int b = 0; b < list->topLevelItemCount(); ++b)
                    rows += list->topLevelItem(b)->childCount();
                QCOMPARE(rows, Raccourcis().size());
                // Where the keys go once the window is active (which may
                // come a moment after it shows).
                QCOMPARE(d->focusWidget(), list);
            }
            closed << QString::fromLatin1(d->metaObject()->className());
            QTest::keyClick(focused() && d->isAncestorOf(focused()) ? focused() : d, Qt::Key_Escape);
        });
        if (open.startsWith(QLatin1String("menu"))) {
            w->btnConfig->setFocus();
            key(Qt::Key_Space);
            QTRY_VERIFY(w->mnuConfig->isVisible());
            if (open == QLatin1String("menu")) {
                key(Qt::Key_Escape);
                QTRY_VERIFY(!w->mnuConfig->isVisible());
                closed << QStringLiteral("QMenu");
            } else {
                key(Qt::Key_R);
            }
        } else if (open == QLatin1String("F1")) {
            key(Qt::Key_F1);
        } else if (open == QLatin1String("version")) {
            w->nmhTestVersion->Body = "99";
            w->nmhTestVersionSuccess(0);
        } else {
            w->btnFctMOD->click();
            w->pcMOD->setCurrentWidget(w->tsMODFichier);
            w->findChild<QWidget*>(open)->setFocus();
            key(Qt::Key_Space);
        }
        QTRY_COMPARE(closed, QStringList{window});
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(w->isVisible());
        QVERIFY(rig->outside.isEmpty());
    }

    // Alt+F7 moves the window by the arrows: Enter leaves it there, Escape
    // puts it back, a click ends it.
    void moveWithTheKeys_data()
    {
        // keys: one letter a key: ← → ↑ ↓, c (Ctrl+→), E Enter, X Escape
        zv::test::columns<QString, QPoint, bool>("keys", "moved", "stillMoving");
        zv::test::row("right, Enter", "→E", QPoint(10, 0), false);
        zv::test::row("down twice, left", "↓↓←", QPoint(-10, 20), true);
        zv::test::row("a point with Ctrl", "cE", QPoint(1, 0), false);
        zv::test::row("Escape puts it back", "→↓X", QPoint(0, 0), false);
        zv::test::row("keys after the end are the window's", "E→", QPoint(0, 0), false);
    }

    void moveWithTheKeys()
    {
        QFETCH(QString, keys);
        QFETCH(QPoint, moved);
        QFETCH(bool, stillMoving);
        auto w = shown();
        new TDesktopControls(w.get());
        w->move(200, 150);
        const QPoint from = w->pos();
        const double volume = w->frmCurseurSon->GetFraction();
        key(Qt::Key_F7, Qt::AltModifier);
        QVERIFY(w->KeyboardMoving());
        const QHash<QChar, QPair<int, Qt::KeyboardModifiers>> table
            = {{u'←', {Qt::Key_Left, {}}}, {u'→', {Qt::Key_Right, {}}}, {u'↑', {Qt::Key_Up, {}}},
                {u'↓', {Qt::Key_Down, {}}}, {u'c', {Qt::Key_Right, Qt::ControlModifier}},
                {u'E', {Qt::Key_Return, {}}}, {u'X', {Qt::Key_Escape, {}}}};
        for (QChar c : keys)
            key(table[c].first, table[c].second);
        QTRY_COMPARE(w->pos() - from, moved);
        QCOMPARE(w->KeyboardMoving(), stillMoving);
        QCOMPARE(w->frmCurseurSon->GetFraction(), volume);
        if (stillMoving) {
            QTest::mouseClick(w->btnFctAccueil, Qt::LeftButton);
            QVERIFY(!w->KeyboardMoving());
        }
    }

    // The position slider says where the stream is, in minutes and seconds.
    void positionText_data()
    {
        // address: its extension chooses the engine
        // length: milliseconds, as every engine counts
        zv::test::columns<QString, double, double, QString>("address", "length", "fraction", "text");
        zv::test::row("VLC, minutes", "film.flv", 240000.0, 1.0 / 3, "Position 1 min 20 s sur 4 min");
        zv::test::row(
            "Windows Media, over an hour", "film.wmv", 3725000.0, 0.0, "Position 0 s sur 1 h 2 min 5 s");
        zv::test::row("at the end", "film.flv", 59000.0, 1.0, "Position 59 s sur 59 s");
        zv::test::row("no length", "direct.flv", 0.0, 0.5, "Position 50 %");
    }

    void positionText()
    {
        QFETCH(QString, address);
        QFETCH(double, length);
        QFETCH(double, fraction);
        QFETCH(QString, text);
        auto w = rig->start();
        w->frmPlayer->Load(QStringLiteral("http://media.example/") + address);
        rig->engine()->len = length;
        QCOMPARE(w->frmCurseurVideo->ValueText(fraction), text);
        // Where the knob stands, as it is read.
        w->frmCurseurVideo->SetFraction(fraction);
        QCOMPARE(
            accessible(w->frmCurseurVideo)->text(QAccessible::Description), w->frmCurseurVideo->valueText());
    }

    // The manual page lists the shortcuts the program gives, by their keys.
    void manualListsTheShortcuts()
    {
        QFile page(qEnvironmentVariable("ZV_SOURCE_DIR") + QStringLiteral("/packaging/zevalo.1"));
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(page.readAll()).remove(QLatin1Char('\\'));
        for (const TRaccourci& r : Raccourcis()) {
            for (QString keys : r.keys.split(QStringLiteral(", "))) {
                static const QRegularExpression functionKey(QStringLiteral("^F\\d+$"));
                if (!keys.contains(QLatin1Char('+')) && !functionKey.match(keys).hasMatch())
                    continue;
                keys.replace(QStringLiteral("Maj+"), QStringLiteral("Shift+"));
                QVERIFY2(text.contains(keys), qPrintable(keys));
            }
        }
    }
};

QTEST_MAIN(TestMainAccess)
#include "tst_mainaccess.moc"
