#include "app/autostart.h"
#include "support/table.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

static QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class TestAutostart : public QObject {
    Q_OBJECT

    QTemporaryDir home_;
    QString entry_;

private slots:
    void init()
    {
        QDir(home_.path()).removeRecursively();
        QDir().mkpath(home_.path());
        qputenv("XDG_CONFIG_HOME", home_.path().toUtf8());
        entry_ = home_.path() + u"/autostart/Zevalo Multimedia V3.desktop"_s;
        QCOMPARE(AutostartFilePath(), entry_);
    }

    void onOffOffAgain()
    {
        QVERIFY(!IsAutostartOn());
        SetAutostart(true); // the autostart folder does not exist yet
        QVERIFY(IsAutostartOn());
        const QByteArray entry = contents(entry_);
        QVERIFY(entry.startsWith("[Desktop Entry]\n"));
        QVERIFY(entry.contains("\nType=Application\n"));
        QVERIFY(entry.contains("\nName=" + u"Zevalo Multimédia"_s.toUtf8() + "\n"));
        QVERIFY(entry.contains("\nExec=\"" + QCoreApplication::applicationFilePath().toUtf8() + "\"\n"));

        SetAutostart(false);
        QVERIFY(!IsAutostartOn());
        QVERIFY(!QFile::exists(entry_));
        SetAutostart(false);
        QVERIFY(!IsAutostartOn());
        QVERIFY(QDir(home_.path() + u"/autostart"_s).isEmpty());
    }

    void onReplacesEarlierData()
    {
        QDir().mkpath(home_.path() + u"/autostart"_s);
        QFile file(entry_);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Desktop Entry]\nExec=/old/program --flag\nHidden=true\n");
        file.close();
        QVERIFY(IsAutostartOn());
        SetAutostart(true);
        QCOMPARE(contents(entry_), AutostartEntry(QCoreApplication::applicationFilePath()));
    }

    void otherEntriesUntouched()
    {
        QDir().mkpath(home_.path() + u"/autostart"_s);
        QFile other(home_.path() + u"/autostart/autre.desktop"_s);
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.close();
        SetAutostart(true);
        SetAutostart(false);
        QVERIFY(other.exists());
    }

    // A config home that is a plain file: nothing can be written, nothing is reported.
    void unwritableIsSwallowed()
    {
        QTemporaryDir dir;
        const QString notADir = dir.filePath(u"file"_s);
        QFile file(notADir);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        qputenv("XDG_CONFIG_HOME", notADir.toUtf8());
        SetAutostart(true);
        QVERIFY(!IsAutostartOn());
        SetAutostart(false);
        QVERIFY(!IsAutostartOn());
    }

    void relativeConfigHomeIsIgnored()
    {
        qputenv("XDG_CONFIG_HOME", "relative/dir");
        QCOMPARE(
            AutostartFilePath(), QDir::homePath() + u"/.config/autostart/Zevalo Multimedia V3.desktop"_s);
        qunsetenv("XDG_CONFIG_HOME");
        QCOMPARE(
            AutostartFilePath(), QDir::homePath() + u"/.config/autostart/Zevalo Multimedia V3.desktop"_s);
    }

    void execQuoting_data()
    {
        zv::test::columns<QString, QByteArray>("program", "exec");
        zv::test::row("plain", u"/usr/bin/zevalo"_s, "Exec=\"/usr/bin/zevalo\"\n"_ba);
        zv::test::row("space", u"/opt/Zevalo Multimédia/zevalo"_s,
            "Exec=\"/opt/Zevalo Multim\xC3\xA9"
            "dia/zevalo\"\n"_ba);
        zv::test::row("specials", u"/a\"b`c$d\\e%f"_s, "Exec=\"/a\\\\\"b\\\\`c\\\\$d\\\\\\\\e%%f\"\n"_ba);
    }
    void execQuoting()
    {
        QFETCH(QString, program);
        QFETCH(QByteArray, exec);
        QVERIFY(AutostartEntry(program).endsWith(exec));
    }
};

QTEST_GUILESS_MAIN(TestAutostart)
#include "tst_autostart.moc"
