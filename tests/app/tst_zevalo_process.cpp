// The real program as a process, copied into a folder of its own so that its
// config.ini lands there; its instance locks go to a folder of each test.
#include "inifile.h"
#include "portalprocess.h"
#include "sessionmanager.h"
#include "support/folderlock.h"
#include "support/table.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

using namespace Qt::StringLiterals;

class TestZevaloProcess : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString program_;
    QString config_;
    std::unique_ptr<QTemporaryDir> runtime_;
    QByteArray portalHost_ = "127.0.0.1:9";

    void start(QProcess& process, const QStringList& arguments, const QStringList& extraEnv = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        env.insert(u"ZEVALO_PORTAL_HOST"_s, QString::fromLatin1(portalHost_));
        env.insert(u"XDG_RUNTIME_DIR"_s, runtime_->path());
        // No session bus: the program runs without the desktop's player controls.
        env.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, u"unix:path=/nonexistent/bus"_s);
        for (const QString& pair : extraEnv)
            env.insert(pair.section(u'=', 0, 0), pair.section(u'=', 1));
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start(program_, arguments);
        QVERIFY(process.waitForStarted());
    }

private slots:
    void initTestCase()
    {
        program_ = dir_.filePath(u"zevalo"_s);
        config_ = dir_.filePath(u"config.ini"_s);
        QVERIFY(QFile::copy(QStringLiteral(ZEVALO_BINARY), program_));
        QVERIFY(QFile::setPermissions(program_, QFile::permissions(QStringLiteral(ZEVALO_BINARY))));
    }
    void init() { runtime_ = std::make_unique<QTemporaryDir>(); }

    // The lock files of a mode, once its first copy holds them.
    QString lockOf(const char* mode) const
    {
        return runtime_->filePath(u"zevalo-%1-%2.lock"_s.arg(::getuid()).arg(QLatin1String(mode)));
    }

    static void stop(QProcess& process)
    {
        if (process.state() == QProcess::NotRunning)
            return;
        ::kill(pid_t(process.processId()), SIGTERM);
        if (!process.waitForFinished(20000))
            process.kill();
        process.waitForFinished();
    }

    // A later start of a running mode hands over and ends; another mode runs.
    void oneCopyPerMode_data()
    {
        zv::test::columns<QStringList, QStringList, bool>("first", "second", "handedOver");
        zv::test::row("portal twice, with arguments", QStringList{}, QStringList{u"/autre"_s}, true);
        zv::test::row("agent twice", QStringList{u"/info"_s}, QStringList{u"/INFO"_s, u"/test"_s}, true);
        zv::test::row("agent while the portal runs", QStringList{}, QStringList{u"/info"_s}, false);
    }
    void oneCopyPerMode()
    {
        QFETCH(QStringList, first);
        QFETCH(QStringList, second);
        QFETCH(bool, handedOver);
        QProcess one, two;
        start(one, first);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(lockOf(first.isEmpty() ? "portal" : "agent")), 20000);
        start(two, second);
        if (handedOver) {
            QVERIFY(two.waitForFinished(20000));
            QCOMPARE(two.exitStatus(), QProcess::NormalExit);
            QCOMPARE(two.exitCode(), 0);
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(lockOf("agent")), 20000);
            QCOMPARE(two.state(), QProcess::Running);
        }
        QCOMPARE(one.state(), QProcess::Running);
        stop(two);
        stop(one);
        QCOMPARE(one.exitCode(), 0);
    }

    // What a killed copy leaves behind does not keep the next one from running.
    void staleLockTakenOver_data()
    {
        zv::test::flagRows("emptyLock", "lock and socket of a killed copy", "empty lock file");
    }
    void staleLockTakenOver()
    {
        QFETCH(bool, emptyLock);
        const QString lock = lockOf("agent");
        if (emptyLock) {
            QFile file(lock);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.close();
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(
                QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime));
        } else {
            QProcess killed;
            start(killed, {u"/info"_s});
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(lock), 20000);
            killed.kill();
            QVERIFY(killed.waitForFinished());
        }
        QProcess next;
        start(next, {u"/info"_s});
        // Once the lock names it, a further start hands over to it.
        QTRY_COMPARE_WITH_TIMEOUT(
            testini::bytes(lock).split('\n').value(0), QByteArray::number(next.processId()), 20000);
        QProcess further;
        start(further, {u"/info"_s});
        QVERIFY(further.waitForFinished(20000));
        QCOMPARE(further.exitCode(), 0);
        QCOMPARE(next.state(), QProcess::Running);
        stop(next);
    }

    // Where no lock can be made, the program runs unguarded rather than not at all.
    void unwritableLockFolder()
    {
        if (!lockFolder(runtime_->path(), true))
            QSKIP("cannot make a folder read-only here");
        QProcess process;
        start(process, {u"/info"_s});
        const bool ended = process.waitForFinished(3000);
        lockFolder(runtime_->path(), false);
        QVERIFY(!ended);
        stop(process);
        QCOMPARE(process.exitCode(), 0);
    }

    // Log-off (SIGTERM), a hang-up, or the session manager's end of session
    // closes the main window as its close button does: the favourites are
    // written back, stale keys gone.
    void favoritesSurviveSessionEnd_data()
    {
        QTest::addColumn<int>("signal"); // 0: the session manager asks
        zv::test::row("SIGTERM", int(SIGTERM));
        zv::test::row("SIGHUP", int(SIGHUP));
        zv::test::row("session manager", 0);
    }
    void favoritesSurviveSessionEnd()
    {
        QFETCH(int, signal);
        SessionManager session;
        QStringList env;
        if (signal == 0) {
            // The session protocol goes through the X connection's platform.
            if (qEnvironmentVariableIsEmpty("DISPLAY"))
                QSKIP("no X display");
            QVERIFY(session.listening());
            env = {u"QT_QPA_PLATFORM=xcb"_s, u"SESSION_MANAGER="_s + session.address()};
        }
        PortalProcess portal;
        QVERIFY(portal.started());
        portalHost_ = portal.host();
        testini::write(config_,
            "[FAVORIS]\nNombre=2\nTitre1=Premi\xe8re\nURL1=http://h/1.mp3\nTitre2=Deux\nURL2=http://h/2.mp3\n"
            "Titre7=vieux\n"_ba);
        QProcess process;
        start(process, {}, env);
        portalHost_ = "127.0.0.1:9";
        // The version check comes after the connection test: the favourites are read.
        QTRY_VERIFY_WITH_TIMEOUT(testini::bytes(portal.logFile()).contains("c=version"), 60000);
        if (signal == 0) {
            QTRY_VERIFY_WITH_TIMEOUT(session.hasClient(), 20000);
            session.endSession();
        } else {
            ::kill(pid_t(process.processId()), signal);
        }
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        const QList<QPair<QByteArray, QByteArray>> expected = {{"Nombre", "2"}, {"Titre1", "Premi\xe8re"},
            {"URL1", "http://h/1.mp3"}, {"Titre2", "Deux"}, {"URL2", "http://h/2.mp3"}};
        QCOMPARE(testini::section(config_, "FAVORIS"), expected);
        QVERIFY(testini::bytes(config_).contains("\r\n"));
        QFile::remove(config_);
    }

    // The agent stays until stopped, reads and writes no settings, and a SIGTERM
    // ends it cleanly.
    void agent_data()
    {
        QTest::addColumn<QStringList>("arguments");
        zv::test::row("/info", QStringList{u"/info"_s});
        zv::test::row("/INFO second", QStringList{u"autre"_s, u"/INFO"_s});
    }
    void agent()
    {
        QFETCH(QStringList, arguments);
        QFile::remove(config_);
        QProcess process;
        start(process, arguments);
        QVERIFY(!process.waitForFinished(3000));
        QCOMPARE(process.state(), QProcess::Running);
        QVERIFY(!QFile::exists(config_));
        ::kill(pid_t(process.processId()), SIGTERM);
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        QVERIFY(!QFile::exists(config_));
    }

    void agentEndsOnHangUp()
    {
        QProcess process;
        start(process, {u"/info"_s});
        QVERIFY(!process.waitForFinished(1500));
        ::kill(pid_t(process.processId()), SIGHUP);
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
    }

    // A bad theme is written back as 2 before the message shows.
    void themeRepaired()
    {
        testini::write(config_, "[GENERAL]\nTheme=0\n"_ba);
        QProcess process;
        start(process, {u"-info"_s});
        QTRY_COMPARE_WITH_TIMEOUT(testini::section(config_, "GENERAL").value(0).second, "2"_ba, 20000);
        process.kill();
        process.waitForFinished();
    }
};

QTEST_GUILESS_MAIN(TestZevaloProcess)
#include "tst_zevalo_process.moc"
