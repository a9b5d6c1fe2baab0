// The running main window as a screen reader meets it: against the demo
// portal, with the real players, its tree read over the real AT-SPI bus and
// its buttons pressed through it.
#include "atspisession.h"
#include "portalprocess.h"
#include "support/table.h"
#include "ui/controls/btngraph.h"
#include "ui/main/fenprinc.h"
#include "ui/player/cadplayer.h"
#include "ui/themes/themes.h"

#include <QAbstractItemModel>
#include <QLabel>
#include <QListView>

using zv::test::AtSpiSession;

class TestAtSpiMain : public QObject {
    Q_OBJECT
    AtSpiSession atspi{QStringLiteral("zevalo-principale")};
    std::unique_ptr<PortalProcess> portal;
    std::unique_ptr<TfmPrinc> w;

private slots:
    void initTestCase()
    {
        QVERIFY(atspi.start());
        portal = startPortalForClient();
        QVERIFY2(portal->started(), "zevalo-portal did not start");
        w = CreateThemeWindow(2);
        QVERIFY(w->FormCreate());
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    }

    void cleanupTestCase()
    {
        w.reset();
        portal.reset();
    }

    // What the reader finds in the window at start.
    void tree_data()
    {
        // state: one it has
        // action: one it offers
        zv::test::columns<QString, QString, QString, QString>("name", "role", "state", "action");
        zv::test::row("section button", "Télévision", "check box", "focusable", "Press");
        zv::test::row("play", "Lecture", "check box", "focusable", "Press");
        zv::test::row("settings, a menu", "Configuration", "push button", "focusable", "Press");
        zv::test::row("close", "Fermer", "push button", "enabled", "Press");
        zv::test::row("volume", "Volume", "slider", "focusable", "Increase");
        zv::test::row("position", "Position", "slider", "focusable", "Increase");
    }

    void tree()
    {
        QFETCH(QString, name);
        QFETCH(QString, role);
        QFETCH(QString, state);
        QFETCH(QString, action);
        const QJsonObject node = AtSpiSession::findNode(atspi.tree(), name);
        QVERIFY2(!node.isEmpty(), qPrintable(name));
        QCOMPARE(node.value(QLatin1String("role")).toString(), role);
        QVERIFY2(
            AtSpiSession::states(node).contains(state), qPrintable(AtSpiSession::states(node).join(u',')));
        QVERIFY(AtSpiSession::strings(node.value(QLatin1String("actions"))).contains(action));
    }

    // "Télévision" shows the channels, "Lecture" plays the first one; the
    // reader then finds both down, and the status line saying so.
    void pressTelevisionThenPlay()
    {
        QVERIFY(atspi.act(QStringLiteral("Télévision"), QStringLiteral("Press")));
        QTRY_VERIFY(w->btnFctTele->Enfonce());
        QTRY_VERIFY_WITH_TIMEOUT(w->lvListeCanaux->model()->rowCount() > 0, 20000);
        QVERIFY(w->lvListeCanaux->isVisible());

        QVERIFY(atspi.act(QStringLiteral("Lecture"), QStringLiteral("Press")));
        QTRY_VERIFY_WITH_TIMEOUT(w->frmPlayer->IsPlaying(), 30000);
        // The reader hears of the change a moment after it is made.
        const auto down = [this](const char* name) {
            const QJsonObject node
                = AtSpiSession::findNode(atspi.tree(), QString::fromUtf8(name), QStringLiteral("check box"));
            return AtSpiSession::states(node).contains(QLatin1String("checked"));
        };
        for (const char* name : {"Télévision", "Lecture"})
            QTRY_VERIFY2_WITH_TIMEOUT(down(name), name, 20000);
        // The status line is read as one, with what it shows (which may
        // change while the tree is read).
        const auto statusRead = [this] {
            const QString shown = w->lblStatutPlayer->text();
            const QJsonObject node = AtSpiSession::findNode(atspi.tree(), shown);
            return !shown.isEmpty()
                && node.value(QLatin1String("role")).toString() == QLatin1String("status bar");
        };
        QTRY_VERIFY_WITH_TIMEOUT(statusRead(), 20000);
        w->StopPlaying();
    }
};

QTEST_MAIN(TestAtSpiMain)
#include "tst_atspimain.moc"
