// The skinned controls as a screen reader sees them: over the real AT-SPI bus,
// which the test starts itself, read and driven by a client process written
// with pyatspi (what Orca is built on).
#include "atspisession.h"
#include "controlswindow.h"
#include "support/table.h"

#include <QApplication>
#include <QTimer>

using zv::test::AtSpiSession;
using zv::test::ControlsWindow;

class TestAtSpi : public QObject {
    Q_OBJECT
    AtSpiSession atspi{QStringLiteral("zevalo-acces")};
    ControlsWindow* window = nullptr;

    QJsonObject tree() { return atspi.tree(); }
    static QJsonObject findNode(const QJsonObject& node, const QString& name)
    {
        return AtSpiSession::findNode(node, name);
    }

private slots:
    void initTestCase()
    {
        // The accessibility bus of this session, started here; Qt joins it.
        QVERIFY(atspi.start());
        window = new ControlsWindow;
        // Pressing the section button marks it, as the main window does.
        connect(window->btnFctTele, &TBtnGraph::clicked, window,
            [w = window] { w->btnFctTele->setEnfonce(true); });
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
    }

    void cleanupTestCase() { delete window; }

    void elements_data()
    {
        zv::test::columns<QString, QString, QStringList, QStringList, QString>(
            "name", "role", "states", "notStates", "action");
        zv::test::row("section button", "Télévision", "check box", QStringList{"focusable", "enabled"},
            QStringList{"checked"}, "Press");
        zv::test::row("toggle named by its owner", "Lecture", "check box", QStringList{"focusable"},
            QStringList{"checked"}, "Press");
        zv::test::row(
            "down, inactive", "Muet", "check box", QStringList{"checked"}, QStringList{"enabled"}, "Press");
        zv::test::row("push button", "Fermer", "push button", QStringList{"focusable", "enabled"},
            QStringList{"checkable"}, "Press");
        zv::test::row("slider", "Volume", "slider", QStringList{"focusable"}, QStringList{}, "Increase");
        zv::test::row("ticker", "Bienvenue sur Zevalo Multimédia", "label", QStringList{},
            QStringList{"focusable"}, "");
        zv::test::row("status line", "Prêt", "status bar", QStringList{}, QStringList{"focusable"}, "");
    }

    void elements()
    {
        QFETCH(QString, name);
        QFETCH(QString, role);
        QFETCH(QStringList, states);
        QFETCH(QStringList, notStates);
        QFETCH(QString, action);
        const QJsonObject node = findNode(tree(), name);
        QVERIFY2(!node.isEmpty(), qPrintable(name));
        QCOMPARE(node.value(QLatin1String("role")).toString(), role);
        const QStringList has = AtSpiSession::states(node);
        for (const QString& s : states)
            QVERIFY2(has.contains(s), qPrintable(s + QStringLiteral(" in ") + has.join(u',')));
        for (const QString& s : notStates)
            QVERIFY2(!has.contains(s), qPrintable(s + QStringLiteral(" in ") + has.join(u',')));
        if (!action.isEmpty())
            QVERIFY(AtSpiSession::strings(node.value(QLatin1String("actions"))).contains(action));
        QCOMPARE(node.value(QLatin1String("children")).toArray().size(), 0);
    }

    void sliderValue()
    {
        QCOMPARE(findNode(tree(), QStringLiteral("Volume")).value(QLatin1String("value")).toDouble(), 50.0);
        const QJsonObject volume = findNode(tree(), QStringLiteral("Volume"));
        QCOMPARE(volume.value(QLatin1String("description")).toString(), QStringLiteral("Volume 50 %"));
        QCOMPARE(
            atspi.client({QStringLiteral("set"), QStringLiteral("Volume"), QStringLiteral("70")}), "ok\n");
        QCOMPARE(window->volumeCalls, 2);
        QCOMPARE(window->frmCurseurSon->valueText(), QStringLiteral("Volume 70 %"));
        QCOMPARE(findNode(tree(), QStringLiteral("Volume")).value(QLatin1String("value")).toDouble(), 70.0);
    }

    void pressThroughTheBus()
    {
        const int before = window->clicks;
        QCOMPARE(atspi.client({QStringLiteral("do"), QStringLiteral("Télévision"), QStringLiteral("Press")}),
            "ok\n");
        QTRY_COMPARE(window->clicks, before + 1);
        QVERIFY(window->btnFctTele->Enfonce());
        QVERIFY(AtSpiSession::states(findNode(tree(), QStringLiteral("Télévision")))
                    .contains(QLatin1String("checked")));
    }

    void statusChangesAreAnnounced()
    {
        // The client listens; the status line then changes until the client has
        // heard it (it may have joined the bus a moment after saying so).
        QTimer change;
        bool flip = false;
        connect(&change, &QTimer::timeout, this, [&] {
            flip = !flip;
            window->lblStatutPlayer->setText(
                flip ? QStringLiteral("Lecture en cours...") : QStringLiteral("Connexion..."));
        });
        const QByteArray out = atspi.client(
            {QStringLiteral("listen"), QStringLiteral("Lecture en cours...")}, [&](const QByteArray& line) {
                if (line == "ready")
                    change.start(300);
            });
        change.stop();
        const QJsonObject heard = QJsonDocument::fromJson(out.mid(out.indexOf('{'))).object();
        QCOMPARE(heard.value(QLatin1String("role")).toString(), QStringLiteral("status bar"));
    }
};

QTEST_MAIN(TestAtSpi)
#include "tst_atspi.moc"
