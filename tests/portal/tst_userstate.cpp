// What the program remembers for the user: values read back as written, a
// database that cannot be opened costs nothing, and a writer killed at any
// moment leaves a sound file holding every change it had committed.
#include "portal/resumepoint.h"
#include "portal/userstate.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <cstring>

namespace {

// The child process: commits one position after another and says each one.
int writer(const QString& path)
{
    zv::UserState state(path);
    if (!state.isOpen())
        return 2;
    for (qint64 i = 1;; ++i) {
        state.setPlayback("episode", {i, 3600000, false});
        state.setValue("compteur", QByteArray::number(i));
        std::printf("%lld\n", static_cast<long long>(i));
        std::fflush(stdout);
    }
}

QString integrity(const QString& path)
{
    QString result;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(QStringLiteral("PRAGMA integrity_check")) && q.next())
                result = q.value(0).toString();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("check"));
    return result;
}

} // namespace

class TestUserState : public QObject {
    Q_OBJECT
private slots:
    void readsBackWhatWasWritten()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a/b/state.sqlite")); // folders made
        {
            zv::UserState state(path);
            QVERIFY(state.isOpen());
            QVERIFY(!state.playback("x"));
            QVERIFY(!state.partialDownload(QStringLiteral("/t/f.mp3.part")));
            state.setPlayback("x", {61000, 240000, true});
            state.setPartialDownload(QStringLiteral("/t/f.mp3.part"), {"h/f.mp3", "\"e\"", {}, 1234});
            state.setPartialDownload(QStringLiteral("/t/g.mp3.part"), {"h/g.mp3", {}, "date", -1});
            state.setValue("clé", "valeur é");
        }
        zv::UserState again(path);
        const auto p = again.playback("x");
        QVERIFY(p && p->positionMs == 61000 && p->lengthMs == 240000 && p->heard);
        const auto f = again.partialDownload(QStringLiteral("/t/f.mp3.part"));
        QVERIFY(f && f->url == "h/f.mp3" && f->etag == "\"e\"" && f->lastModified.isEmpty() && f->total == 1234);
        QCOMPARE(again.partialDownload(QStringLiteral("/t/g.mp3.part"))->total, qint64(-1));
        QCOMPARE(again.value("clé"), QByteArray("valeur é"));
        again.forgetPartialDownload(QStringLiteral("/t/f.mp3.part"));
        QVERIFY(!again.partialDownload(QStringLiteral("/t/f.mp3.part")));
    }

    // Where an item starts again, and what stopping it keeps (milliseconds).
    void resumeRules_data()
    {
        QTest::addColumn<qint64>("position");
        QTest::addColumn<qint64>("length"); // 0: not known
        QTest::addColumn<bool>("ended");
        QTest::addColumn<bool>("heardBefore");
        QTest::addColumn<qint64>("keptPosition");
        QTest::addColumn<bool>("heard");
        QTest::addColumn<qint64>("resumeAt"); // next time
        QTest::newRow("half-way") << 1800000LL << 3600000LL << false << false << 1800000LL << false << 1795000LL;
        QTest::newRow("length unknown") << 60000LL << 0LL << false << false << 60000LL << false << 55000LL;
        QTest::newRow("first seconds") << 9000LL << 3600000LL << false << false << 0LL << false << 0LL;
        QTest::newRow("last seconds") << 3590000LL << 3600000LL << false << false << 0LL << true << 0LL;
        QTest::newRow("ran to its end") << 3600000LL << 3600000LL << true << false << 0LL << true << 0LL;
        QTest::newRow("heard, heard again half-way")
            << 1200000LL << 3600000LL << false << true << 1200000LL << true << 1195000LL;
        QTest::newRow("short item ended") << 4000LL << 5000LL << true << false << 0LL << true << 0LL;
    }
    void resumeRules()
    {
        QFETCH(qint64, position);
        QFETCH(qint64, length);
        QFETCH(bool, ended);
        QFETCH(bool, heardBefore);
        std::optional<zv::UserState::Playback> before;
        if (heardBefore)
            before = zv::UserState::Playback{0, length, true};
        const zv::UserState::Playback kept = zv::PlaybackToKeep(position, length, ended, before);
        QTEST(kept.positionMs, "keptPosition");
        QTEST(kept.heard, "heard");
        QTEST(zv::ResumeFrom(kept), "resumeAt");
        QCOMPARE(zv::ResumeFrom(std::nullopt), qint64(0));
    }

    void unusableFileCostsNothing_data()
    {
        QTest::addColumn<QByteArray>("kind");
        QTest::newRow("a folder in its place") << QByteArray("folder");
        QTest::newRow("not a database") << QByteArray("garbage");
        QTest::newRow("read-only folder") << QByteArray("readonly");
    }
    void unusableFileCostsNothing()
    {
        QFETCH(QByteArray, kind);
        QTemporaryDir dir;
        QString path = dir.filePath(QStringLiteral("state.sqlite"));
        if (kind == "folder") {
            QVERIFY(QDir().mkpath(path));
        } else if (kind == "garbage") {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(8192, '\x5a'));
        } else {
            QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("ro"))));
            QFile::setPermissions(dir.filePath(QStringLiteral("ro")), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
            path = dir.filePath(QStringLiteral("ro/state.sqlite"));
            if (QFileInfo(dir.filePath(QStringLiteral("ro"))).isWritable())
                QSKIP("root writes into read-only folders");
        }
        zv::UserState state(path);
        QVERIFY(!state.isOpen());
        state.setPlayback("x", {1, 2, false});
        state.setValue("k", "v");
        QVERIFY(!state.playback("x"));
        QCOMPARE(state.value("k"), QByteArray());
        if (kind == "garbage") {
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), QByteArray(8192, '\x5a')); // the user's file is left as it was
        }
    }

    // kill -9 at random moments of a stream of commits: the file stays sound
    // and holds at least every change the writer had reported as committed.
    void killedWriterNeverCorrupts()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("state.sqlite"));
        for (int round = 0; round < 6; ++round) {
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--writer"), path});
            QVERIFY(child.waitForStarted());
            qint64 committed = 0;
            const int wanted = 20 + int(QRandomGenerator::global()->bounded(200));
            int seen = 0;
            while (seen < wanted && child.state() == QProcess::Running) {
                if (!child.canReadLine() && !child.waitForReadyRead(10000))
                    break;
                while (child.canReadLine()) {
                    committed = child.readLine().trimmed().toLongLong();
                    ++seen;
                }
            }
            QVERIFY2(seen >= wanted, qPrintable(child.readAllStandardError()));
            child.kill();
            QVERIFY(child.waitForFinished());
            QCOMPARE(integrity(path), QStringLiteral("ok"));
            zv::UserState state(path);
            QVERIFY(state.isOpen());
            const auto p = state.playback("episode");
            QVERIFY(p);
            QVERIFY2(p->positionMs >= committed,
                qPrintable(QStringLiteral("%1 < %2").arg(p->positionMs).arg(committed)));
            QVERIFY(state.value("compteur").toLongLong() >= committed);
        }
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--writer") == 0)
        return writer(QString::fromLocal8Bit(argv[2]));
    TestUserState test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_userstate.moc"
