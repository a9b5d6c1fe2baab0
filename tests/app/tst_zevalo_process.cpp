// The real program as a process, copied into a folder of its own so that its
// config.ini lands there.
#include "inifile.h"

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

    void start(QProcess& process, const QStringList& arguments)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        env.insert(u"ZEVALO_PORTAL_HOST"_s, u"127.0.0.1:9"_s);
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

    // The agent stays until stopped, reads and writes no settings, and a SIGTERM
    // ends it cleanly.
    void agent_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("/info") << QStringList{u"/info"_s};
        QTest::newRow("/INFO second") << QStringList{u"autre"_s, u"/INFO"_s};
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
