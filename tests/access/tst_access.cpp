// What assistive technology and the keyboard get of the skinned controls and of
// the auxiliary windows, in every theme, read through Qt's accessibility
// interfaces: each element a person acts on has a French name, its role and
// state, and its default action does what a click does.
#include "accesstree.h"
#include "controlswindow.h"
#include "support/scriptedserver.h"
#include "support/table.h"
#include "ui/browser/webbrowser.h"
#include "ui/windows/fenconnexion.h"
#include "ui/windows/fenjeu.h"
#include "ui/windows/fenpopup.h"
#include "ui/windows/fenprincpopup.h"
#include "ui/windows/fenraccourcis.h"
#include "ui/windows/fensponsor.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleValueInterface>
#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTest>
#include <functional>
#include <memory>

using namespace zv::test;

namespace {

double percent(TfrmCurseur* s)
{
    return s->GetFraction() * 100;
}

// One knob pixel of the volume slider, in percent.
constexpr double kPixel = 100.0 / 70;

// A window of the given kind and theme, shown, with what it is expected to
// tell, and how it is seen to close.
struct Window {
    std::unique_ptr<QWidget> owned;
    QPointer<QWidget> widget;
    std::function<bool()> closed;
};

} // namespace

class TestAccess : public QObject {
    Q_OBJECT
    ScriptedServer server;

    Window open(const QString& kind, int theme)
    {
        Window w;
        if (kind == QLatin1String("jeu")) {
            auto game = CreateGameWindow(
                theme, nullptr, QStringLiteral("Casse-briques"), server.hostPort() + "/jeu.htm", 320, 200);
            QDialog* d = game.get();
            w.owned = std::move(game);
            w.closed = [d] { return !d->isVisible() && d->result() == QDialog::Accepted; };
        } else if (kind == QLatin1String("sponsor")) {
            std::unique_ptr<QDialog> d;
            switch (theme) {
            case 1: d = std::make_unique<TfmSponsorTheme1>(); break;
            case 2: d = std::make_unique<TfmSponsorTheme2>(); break;
            case 3: d = std::make_unique<TfmSponsorTheme3>(); break;
            case 4: d = std::make_unique<TfmSponsorTheme4>(); break;
            case 5: d = std::make_unique<TfmSponsorTheme5>(); break;
            default: d = std::make_unique<TfmSponsor>(); break;
            }
            QDialog* raw = d.get();
            w.owned = std::move(d);
            w.closed = [raw] { return !raw->isVisible() && raw->result() == QDialog::Rejected; };
        } else if (kind == QLatin1String("connexion")) {
            auto d = std::make_unique<TfmConnexion>();
            QDialog* raw = d.get();
            w.owned = std::move(d);
            w.closed = [raw] { return !raw->isVisible() && raw->result() == QDialog::Rejected; };
        } else if (kind == QLatin1String("raccourcis")) {
            auto d = std::make_unique<TfmRaccourcis>();
            QDialog* raw = d.get();
            w.owned = std::move(d);
            w.closed = [raw] { return !raw->isVisible(); };
        } else if (kind == QLatin1String("popup")) {
            // Freed on close: followed, not owned.
            w.widget = new TfmPopup(nullptr, 120, 200, QStringLiteral("about:blank"));
            QPointer<QWidget> alive = w.widget;
            w.closed = [alive] { return alive.isNull(); };
        } else {
            w.widget = new TfmPrincPopup(true);
            w.closed = [] { return false; };
        }
        if (w.owned)
            w.widget = w.owned.get();
        if (auto* d = qobject_cast<QDialog*>(w.widget.data()))
            d->open();
        else
            w.widget->show();
        QApplication::setActiveWindow(w.widget);
        return w;
    }

private slots:
    void initTestCase()
    {
        server.setDefault(Reply::ok("<html><body><a href='#'>Lien</a></body></html>"));
        server.on("/exe/test_connexion.php", Reply::ok("pas encore"));
        qputenv("ZEVALO_PORTAL_HOST", server.hostPort());
    }

    void controls_data()
    {
        // description: null: not looked at
        // checked: -1: not checkable
        // action: empty: none
        // clicks: after the action
        zv::test::columns<QString, QString, int, QString, int, bool, QString, int, double>(
            "object", "name", "role", "description", "checked", "disabled", "action", "clicks", "volume");

        const QString press = QAccessibleActionInterface::pressAction();
        zv::test::row("section button, by its caption", "btnFctTele", "Télévision",
            int(QAccessible::CheckBox), "", 0, false, press, 1, 50.0);
        zv::test::row("toggle, by its owner, hint told", "btnLecture", "Lecture", int(QAccessible::CheckBox),
            "Lecture / Stop", 0, false, press, 1, 50.0);
        zv::test::row("down and inactive, still pressed", "btnMuet", "Muet", int(QAccessible::CheckBox), "",
            1, true, press, 1, 50.0);
        zv::test::row("push button, by its hint", "btnFerme", "Fermer", int(QAccessible::Button), "", -1,
            false, press, 1, 50.0);
        zv::test::row("slider, increased", "frmCurseurSon", "Volume", int(QAccessible::Slider), "Volume 50 %",
            -1, false, QAccessibleActionInterface::increaseAction(), 0, 55.0);
        zv::test::row("slider, decreased", "frmCurseurSon", "Volume", int(QAccessible::Slider), QString(), -1,
            false, QAccessibleActionInterface::decreaseAction(), 0, 45.0);
        zv::test::row("ticker, its whole text", "slMessage", "Bienvenue sur Zevalo Multimédia",
            int(QAccessible::StaticText), QString(), -1, false, "", 0, 50.0);
        zv::test::row("status line", "lblStatutPlayer", "Prêt", int(QAccessible::StatusBar), QString(), -1,
            false, "", 0, 50.0);
    }

    void controls()
    {
        QFETCH(QString, object);
        QFETCH(QString, name);
        QFETCH(int, role);
        QFETCH(QString, description);
        QFETCH(int, checked);
        QFETCH(bool, disabled);
        QFETCH(QString, action);
        QFETCH(int, clicks);
        QFETCH(double, volume);

        ControlsWindow w;
        w.show();
        QWidget* control = w.findChild<QWidget*>(object);
        QVERIFY(control);
        QAccessibleInterface* i = accessible(control);
        QVERIFY(i);
        QCOMPARE(i->text(QAccessible::Name), name);
        QCOMPARE(int(i->role()), role);
        if (!description.isNull())
            QCOMPARE(i->text(QAccessible::Description), description);
        const QAccessible::State s = i->state();
        QCOMPARE(bool(s.checkable), checked >= 0);
        if (checked >= 0)
            QCOMPARE(bool(s.checked), checked == 1);
        QCOMPARE(bool(s.disabled), disabled);
        QCOMPARE(bool(s.focusable), !action.isEmpty());
        QCOMPARE(i->parent()->object(), control->parentWidget());
        if (!action.isEmpty())
            act(i, action);
        QCOMPARE(w.clicks, clicks);
        QVERIFY2(qAbs(percent(w.frmCurseurSon) - volume) <= kPixel, qPrintable(w.frmCurseurSon->valueText()));
    }

    // The slider, as assistive technology sets and reads it: a value in
    // percent, a French text, its parts hidden, each move a drag and its release.
    void sliderValue_data()
    {
        zv::test::columns<double, bool, QString, int>("set", "actif", "text", "calls");
        zv::test::row("to 60", 60.0, true, "Volume 60 %", 2);
        zv::test::row("beyond the end", 140.0, true, "Volume 100 %", 2);
        zv::test::row("below the start", -3.0, true, "Volume 0 %", 2);
        zv::test::row("where it is", 50.0, true, "Volume 50 %", 0);
        zv::test::row("inactive", 80.0, false, "Volume 50 %", 0);
    }

    void sliderValue()
    {
        QFETCH(double, set);
        QFETCH(bool, actif);
        QFETCH(QString, text);
        QFETCH(int, calls);
        ControlsWindow w;
        w.frmCurseurSon->SetActif(actif);
        QAccessibleInterface* i = accessible(w.frmCurseurSon);
        QAccessibleValueInterface* v = i->valueInterface();
        QVERIFY(v);
        QCOMPARE(v->minimumValue().toDouble(), 0.0);
        QCOMPARE(v->maximumValue().toDouble(), 100.0);
        QCOMPARE(i->childCount(), 0);
        v->setCurrentValue(set);
        QCOMPARE(i->text(QAccessible::Value), text);
        QCOMPARE(w.volumeCalls, calls);
        QCOMPARE(bool(i->state().disabled), !actif);
        QCOMPARE(v->currentValue().toDouble(), std::round(w.frmCurseurSon->GetFraction() * 1000) / 10);
    }

    // The keys a person presses on a focused control.
    void keys_data()
    {
        zv::test::columns<QString, int, int, int, double, int>(
            "object", "key", "modifiers", "clicks", "volume", "volumeCalls");

        zv::test::row("Space presses", "btnLecture", int(Qt::Key_Space), 0, 1, 50.0, 0);
        zv::test::row("Enter presses", "btnFerme", int(Qt::Key_Return), 0, 1, 50.0, 0);
        zv::test::row(
            "keypad Enter presses", "btnFctTele", int(Qt::Key_Enter), int(Qt::KeypadModifier), 1, 50.0, 0);
        zv::test::row("an inactive button still presses", "btnMuet", int(Qt::Key_Space), 0, 1, 50.0, 0);
        zv::test::row(
            "Ctrl+Space does not", "btnLecture", int(Qt::Key_Space), int(Qt::ControlModifier), 0, 50.0, 0);
        zv::test::row("a letter does not", "btnLecture", int(Qt::Key_L), 0, 0, 50.0, 0);
        zv::test::row("Right", "frmCurseurSon", int(Qt::Key_Right), 0, 0, 55.0, 2);
        zv::test::row("Up", "frmCurseurSon", int(Qt::Key_Up), 0, 0, 55.0, 2);
        zv::test::row("Left", "frmCurseurSon", int(Qt::Key_Left), 0, 0, 45.0, 2);
        zv::test::row("Down", "frmCurseurSon", int(Qt::Key_Down), 0, 0, 45.0, 2);
        zv::test::row("Page Up, a tenth", "frmCurseurSon", int(Qt::Key_PageUp), 0, 0, 60.0, 2);
        zv::test::row("Page Down, a tenth", "frmCurseurSon", int(Qt::Key_PageDown), 0, 0, 40.0, 2);
        zv::test::row("Home", "frmCurseurSon", int(Qt::Key_Home), 0, 0, 0.0, 2);
        zv::test::row("End", "frmCurseurSon", int(Qt::Key_End), 0, 0, 100.0, 2);
        zv::test::row(
            "Shift+Right does not", "frmCurseurSon", int(Qt::Key_Right), int(Qt::ShiftModifier), 0, 50.0, 0);
    }

    void keys()
    {
        QFETCH(QString, object);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, clicks);
        QFETCH(double, volume);
        QFETCH(int, volumeCalls);
        ControlsWindow w;
        QWidget* control = w.findChild<QWidget*>(object);
        QVERIFY(control);
        QTest::keyClick(control, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(w.clicks, clicks);
        QCOMPARE(w.volumeCalls, volumeCalls);
        QVERIFY2(qAbs(percent(w.frmCurseurSon) - volume) <= kPixel, qPrintable(w.frmCurseurSon->valueText()));
    }

    void keysAtTheEnds()
    {
        // A step at an end moves nothing and tells nobody; a held key presses once.
        ControlsWindow w;
        w.frmCurseurSon->SetFraction(1);
        QTest::keyClick(w.frmCurseurSon, Qt::Key_Right);
        QCOMPARE(w.volumeCalls, 0);
        QKeyEvent held(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), true);
        QApplication::sendEvent(w.btnLecture, &held);
        QCOMPARE(w.clicks, 0);
    }

    void tabReachesEachControlOnce()
    {
        ControlsWindow w;
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QStringList seen;
        for (int n = 0; n < 10; ++n) {
            if (QWidget* f = QApplication::focusWidget())
                seen << f->objectName();
            QTest::keyClick(&w, Qt::Key_Tab);
        }
        const QStringList order = {"btnFctTele", "btnLecture", "btnMuet", "btnFerme", "frmCurseurSon"};
        QCOMPARE(seen.mid(0, 5), order);
        QCOMPARE(seen.mid(5, 5), order);
    }

    void gameTitleBarByF6()
    {
        // From the game to its title bar's buttons and back, whatever the game
        // does with Tab.
        Window w = open(QStringLiteral("jeu"), 2);
        auto* game = static_cast<TfmJeu*>(w.widget.data());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
        QCOMPARE(QApplication::focusWidget(), game->BtnAgrandir);
        QTest::keyClick(game->BtnAgrandir, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), game->btnFermer);
        QTest::keyClick(game->btnFermer, Qt::Key_F6);
        QVERIFY(game->wbJeu->isAncestorOf(QApplication::focusWidget())
            || QApplication::focusWidget() == game->wbJeu);
    }

    void windows_data()
    {
        // names: of every element a person acts on
        // closer: pressed through its default action
        // focused: where the focus lands on opening
        // closeKey: where Escape does not close, if any
        zv::test::columns<QString, int, QStringList, QString, QString, bool, QString>(
            "kind", "theme", "names", "closer", "focused", "escapeCloses", "closeKey");
        for (int theme = 0; theme <= 5; ++theme) {
            // Escape and Tab may belong to the game.
            QTest::addRow("jeu %d", theme) << "jeu" << theme << QStringList{"Agrandir", "Fermer"} << "Fermer"
                                           << "wbJeu" << false << "Ctrl+W";
            // Escape must not end the program: leaving takes the button.
            QTest::addRow("sponsor %d", theme)
                << "sponsor" << theme << QStringList{"Quitter le logiciel"} << "Quitter le logiciel"
                << "wbSponsor1" << false << "";
        }
        zv::test::row("connexion", "connexion", 0, QStringList{"Annuler"}, "Annuler", "btnAnnuler", true, "");
        zv::test::row("raccourcis", "raccourcis", 0, QStringList{"Raccourcis clavier", "Fermer"}, "Fermer",
            "tvRaccourcis", true, "");
        zv::test::row("popup", "popup", 0, QStringList{"Fermer"}, "Fermer", "btnFermer", true, "");
        zv::test::row("agent", "agent", 0,
            QStringList{"Programme des informations", "TESTER", "Info suivante..."}, QString(), "memTest",
            false, "");
    }

    void windows()
    {
        QFETCH(QString, kind);
        QFETCH(int, theme);
        QFETCH(QStringList, names);
        QFETCH(QString, closer);
        QFETCH(QString, focused);
        QFETCH(bool, escapeCloses);
        QFETCH(QString, closeKey);

        for (const bool byKey : {false, true}) {
            Window w = open(kind, theme);
            QVERIFY(QTest::qWaitForWindowExposed(w.widget));
            if (!byKey) {
                QList<QAccessibleInterface*> elements;
                collect(accessible(w.widget), elements);
                QStringList seen;
                QAccessibleInterface* close = nullptr;
                for (QAccessibleInterface* i : elements) {
                    const QString name = i->text(QAccessible::Name);
                    seen << name;
                    QVERIFY2(i->state().focusable, qPrintable(name));
                    if (name == closer)
                        close = i;
                }
                QCOMPARE(seen, names);
                if (closer.isEmpty())
                    continue;
                QVERIFY(close);
                act(close, QAccessibleActionInterface::pressAction());
                QTRY_VERIFY(w.closed());
                continue;
            }
            // The keyboard: the focus lands where it is useful, and Escape closes
            // only the windows whose closing ends nothing.
            QWidget* expected = w.widget->findChild<QWidget*>(focused);
            QWidget* focus = QApplication::focusWidget();
            QVERIFY(expected);
            QVERIFY2(focus && (focus == expected || expected->isAncestorOf(focus)),
                qPrintable(focus ? focus->objectName() : QStringLiteral("nothing")));
            QTest::keyClick(focus, Qt::Key_Escape);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QCOMPARE(w.closed(), escapeCloses);
            if (!closeKey.isEmpty()) {
                const QKeyCombination key = QKeySequence(closeKey)[0];
                QTest::keyClick(QApplication::focusWidget(), key.key(), key.keyboardModifiers());
                QTRY_VERIFY(w.closed());
            }
            if (w.widget)
                w.widget->close();
        }
    }
};

QTEST_MAIN(TestAccess)
#include "tst_access.moc"
