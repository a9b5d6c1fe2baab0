#include "app/atomicfile.h"
#include "app/config.h"
#include "base/errors.h"
#include "inifile.h"
#include "support/folderlock.h"
#include "support/table.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <unistd.h>

using namespace Qt::StringLiterals;
using Entries = QList<QPair<QByteArray, QByteArray>>;

Q_DECLARE_METATYPE(Entries)

static std::vector<Favorite> numbered(int count, const QByteArray& tag)
{
    std::vector<Favorite> list;
    for (int n = 1; n <= count; ++n)
        list.push_back({tag + " titre " + QByteArray::number(n), "http://h/" + tag + QByteArray::number(n)});
    return list;
}

class TestConfig : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString path_;

private slots:
    void init()
    {
        path_ = dir_.filePath(u"config.ini"_s);
        QFile::remove(path_);
    }
    void cleanup() { zv::setWriteFailureAfterForTests(-1); }

    void defaultsWithoutFile()
    {
        TConfig config(path_);
        QCOMPARE(config.GetTheme(), 2);
        QCOMPARE(config.GetSexoflux(), false);
        QCOMPARE(config.GetFavoriteCount(), 0);
        QCOMPARE(config.GetFavoriteTitle(1), QByteArray());
        QVERIFY(LoadFavorites(config).empty());
        QVERIFY(!QFile::exists(path_));
    }

    void integers_data()
    {
        zv::test::columns<QByteArray, int, bool>("file", "theme", "sexoflux");
        zv::test::row("plain", "[GENERAL]\r\nTheme=4\r\nSexoflux=1\r\n"_ba, 4, true);
        zv::test::row("case of keys and section", "[general]\nTHEME=3\nsexoFLUX=0\n"_ba, 3, false);
        zv::test::row("spaces around", "[GENERAL]\nTheme = 5 \nSexoflux=  7\n"_ba, 5, true);
        zv::test::row("not numbers", "[GENERAL]\nTheme=abc\nSexoflux=oui\n"_ba, 2, false);
        zv::test::row("trailing letters", "[GENERAL]\nTheme=3abc\nSexoflux=1x\n"_ba, 2, false);
        zv::test::row("hex", "[GENERAL]\nTheme=0x3\nSexoflux=$1\n"_ba, 2, false);
        zv::test::row("empty values", "[GENERAL]\nTheme=\nSexoflux=\n"_ba, 2, false);
        zv::test::row("negative", "[GENERAL]\nTheme=-1\nSexoflux=-1\n"_ba, -1, true);
        zv::test::row("too large", "[GENERAL]\nTheme=99999999999\n"_ba, 2, false);
        zv::test::row("wrong section", "[AUTRE]\nTheme=4\nSexoflux=1\n"_ba, 2, false);
        zv::test::row("zero", "[GENERAL]\nTheme=0\nSexoflux=0\n"_ba, 0, false);
    }
    void integers()
    {
        QFETCH(QByteArray, file);
        testini::write(path_, file);
        TConfig config(path_);
        QTEST(config.GetTheme(), "theme");
        QTEST(config.GetSexoflux(), "sexoflux");
        QCOMPARE(testini::bytes(path_), file); // reads never write
    }

    void writesInTheFileFormat()
    {
        TConfig config(path_);
        config.SetTheme(3);
        config.SetSexoflux(true);
        QCOMPARE(testini::bytes(path_), "[GENERAL]\r\nTheme=3\r\nSexoflux=1\r\n"_ba);
        config.SetSexoflux(false);
        QCOMPARE(TConfig(path_).GetSexoflux(), false);
        QCOMPARE(TConfig(path_).GetTheme(), 3);
    }

    void writeKeepsOtherSettingsAndKeySpelling()
    {
        testini::write(path_, "; garde\n[general]\ntheme=4\nAutre=x y\n[Perso]\ncle=valeur\n"_ba);
        TConfig(path_).SetTheme(1);
        const QByteArray after = testini::bytes(path_);
        QVERIFY(after.contains("theme=1"));
        QVERIFY(!after.contains("Theme="));
        QVERIFY(after.contains("; garde"));
        QCOMPARE(testini::section(path_, "GENERAL"), (Entries{{"theme", "1"}, {"Autre", "x y"}}));
        QCOMPARE(testini::section(path_, "Perso"), (Entries{{"cle", "valeur"}}));
    }

    void textsKeptAsGiven_data()
    {
        QTest::addColumn<QByteArray>("title");
        zv::test::row("equals signs", "a=b=c"_ba);
        zv::test::row("windows-1252", "\xE9t\xE9 \x80 \x9C\xFF"_ba);
        zv::test::row("semicolon and brackets", ";[FAVORIS] x"_ba);
        zv::test::row("empty", QByteArray());
    }
    void textsKeptAsGiven()
    {
        QFETCH(QByteArray, title);
        TConfig config(path_);
        config.SetFavoriteTitle(1, title);
        config.SetFavoriteUrl(1, "http://x/?a=1&b=2"_ba);
        QCOMPARE(TConfig(path_).GetFavoriteTitle(1), title);
        QCOMPARE(TConfig(path_).GetFavoriteUrl(1), "http://x/?a=1&b=2"_ba);
        QVERIFY(testini::bytes(path_).contains("Titre1=" + title + "\r\n"));
    }

    void lineBreaksCannotAddKeys()
    {
        TConfig config(path_);
        config.SetFavoriteTitle(1, "un\r\n[GENERAL]\r\nTheme=0"_ba);
        QCOMPARE(config.GetTheme(), 2);
        QCOMPARE(config.GetFavoriteTitle(1), "un  [GENERAL]  Theme=0"_ba);
    }

    void threeAfterFive()
    {
        TConfig config(path_);
        config.SetTheme(4);
        SaveFavorites(config, numbered(5, "a"));
        SaveFavorites(config, numbered(3, "b"));
        QCOMPARE(testini::section(path_, "FAVORIS"),
            (Entries{{"Nombre", "3"}, {"Titre1", "b titre 1"}, {"URL1", "http://h/b1"},
                {"Titre2", "b titre 2"}, {"URL2", "http://h/b2"}, {"Titre3", "b titre 3"},
                {"URL3", "http://h/b3"}}));
        QCOMPARE(LoadFavorites(config), numbered(3, "b"));
        QCOMPARE(config.GetTheme(), 4);
    }

    // The same through the single operations, as the settings menu might use them.
    void threeAfterFiveOneByOne()
    {
        TConfig config(path_);
        SaveFavorites(config, numbered(5, "a"));
        config.SetFavoriteCount(0);
        config.SetFavoriteCount(3);
        for (int n = 1; n <= 3; ++n) {
            config.SetFavoriteTitle(n, "t" + QByteArray::number(n));
            config.SetFavoriteUrl(n, "u" + QByteArray::number(n));
        }
        QCOMPARE(testini::section(path_, "FAVORIS"),
            (Entries{{"Nombre", "3"}, {"Titre1", "t1"}, {"URL1", "u1"}, {"Titre2", "t2"}, {"URL2", "u2"},
                {"Titre3", "t3"}, {"URL3", "u3"}}));
    }

    // Saving the favourites rewrites the whole file: what it does not touch reads the same after.
    void savingKeepsTheRest_data()
    {
        QTest::addColumn<QByteArray>("file");
        zv::test::row("byte order mark", "\xEF\xBB\xBF[GENERAL]\nTheme=4\nSexoflux=1\n"_ba);
        zv::test::row("byte order mark bytes starting a key before any section",
            "\n\xEF\xBB\xBF[GENERAL]=1\nSexoflux=1\nTheme=5\n[GENERAL]\nTheme=3\n"_ba);
    }
    void savingKeepsTheRest()
    {
        QFETCH(QByteArray, file);
        testini::write(path_, file);
        TConfig config(path_);
        const int theme = config.GetTheme();
        const bool adult = config.GetSexoflux();
        SaveFavorites(config, numbered(2, "a"));
        QCOMPARE(config.GetTheme(), theme);
        QCOMPARE(config.GetSexoflux(), adult);
        QCOMPARE(LoadFavorites(config), numbered(2, "a"));
    }

    void emptyListLeavesOnlyTheCount()
    {
        TConfig config(path_);
        SaveFavorites(config, numbered(4, "a"));
        SaveFavorites(config, {});
        QCOMPARE(testini::section(path_, "FAVORIS"), (Entries{{"Nombre", "0"}}));
        testini::write(path_, "[FAVORIS]\nTitre9=x\nNombre=2\n"_ba);
        config.SetFavoriteCount(0);
        QCOMPARE(testini::section(path_, "FAVORIS"), (Entries{{"Nombre", "0"}}));
    }

    void loadFavorites_data()
    {
        zv::test::columns<QByteArray, int, QByteArray, QByteArray>(
            "file", "count", "secondTitle", "secondUrl");
        zv::test::row("second title missing", "[FAVORIS]\nNombre=2\nTitre1=a\nURL1=u1\nURL2=u2\n"_ba, 2,
            QByteArray(), "u2"_ba);
        zv::test::row("count short of the keys", "[FAVORIS]\nNombre=1\nTitre1=a\nTitre2=b\n"_ba, 1,
            QByteArray(), QByteArray());
        zv::test::row("keys in any case", "[favoris]\nnombre=2\ntitre2=b\nurl2=u\n"_ba, 2, "b"_ba, "u"_ba);
        zv::test::row(
            "count not a number", "[FAVORIS]\nNombre=deux\nTitre1=a\n"_ba, 0, QByteArray(), QByteArray());
        zv::test::row("negative count", "[FAVORIS]\nNombre=-4\nTitre1=a\n"_ba, 0, QByteArray(), QByteArray());
        zv::test::row(
            "absurd count", "[FAVORIS]\nNombre=2000000000\nTitre2=b\n"_ba, 10000, "b"_ba, QByteArray());
        zv::test::row("absurd count and key number",
            "[FAVORIS]\nNombre=2147483647\nTitre2=b\nTitre2147483647=x\n"_ba, 10002, "b"_ba, QByteArray());
    }
    void loadFavorites()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, count);
        testini::write(path_, file);
        TConfig config(path_);
        const std::vector<Favorite> list = LoadFavorites(config);
        QCOMPARE(int(list.size()), count);
        if (count >= 2) {
            QTEST(list[1].title, "secondTitle");
            QTEST(list[1].url, "secondUrl");
        }
    }

    void failedWriteLeavesTheOldFile()
    {
        TConfig config(path_);
        SaveFavorites(config, numbered(5, "a"));
        const QByteArray before = testini::bytes(path_);
        for (const qint64 after : {qint64(0), qint64(1), qint64(40), before.size() - 1}) {
            zv::setWriteFailureAfterForTests(after);
            QVERIFY_THROWS_EXCEPTION(zv::Error, config.SetTheme(5));
            SaveFavorites(config, numbered(9, "b")); // swallowed
            QCOMPARE(testini::bytes(path_), before);
        }
        zv::setWriteFailureAfterForTests(-1);
        QCOMPARE(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"config.ini"_s});
        QCOMPARE(LoadFavorites(config), numbered(5, "a"));
    }

    void readOnlyFolder()
    {
        QTemporaryDir locked;
        const QString path = locked.filePath(u"config.ini"_s);
        TConfig config(path);
        SaveFavorites(config, numbered(2, "a"));
        const QByteArray before = testini::bytes(path);
        if (!lockFolder(locked.path(), true))
            QSKIP("cannot make a folder read-only here");
        QVERIFY_THROWS_EXCEPTION(zv::Error, config.SetSexoflux(true));
        SaveFavorites(config, {});
        const QByteArray after = testini::bytes(path);
        lockFolder(locked.path(), false);
        QCOMPARE(after, before);
        QCOMPARE(LoadFavorites(config), numbered(2, "a"));
    }

    // Where the file goes, from what stands in the program's folder.
    void location_data()
    {
        zv::test::columns<QString, bool>("setup", "beside");
        zv::test::row("writable folder", u""_s, true);
        zv::test::row("file there", u"file"_s, true);
        zv::test::row("unwritable folder", u"locked"_s, false);
        zv::test::row("config.ini is a folder", u"folder"_s, false);
        zv::test::row("link to a file", u"link-file"_s, true);
        zv::test::row("link to a folder", u"link-folder"_s, false);
        zv::test::row("link into a missing folder", u"link-nowhere"_s, false);
        zv::test::row("installed prefix", u"installed"_s, false);
    }
    void location()
    {
        QFETCH(QString, setup);
        QFETCH(bool, beside);
        QTemporaryDir root;
        const QString bin = root.filePath(u"bin"_s);
        const QString file = bin + u"/config.ini"_s;
        QVERIFY(QDir().mkpath(bin));
        if (setup == u"file"_s)
            testini::write(file, "[GENERAL]\nTheme=4\n");
        else if (setup == u"folder"_s)
            QVERIFY(QDir().mkpath(file));
        else if (setup == u"link-file"_s)
            QVERIFY(QFile::link(root.filePath(u"ailleurs.ini"_s), file));
        else if (setup == u"link-folder"_s)
            QVERIFY(QFile::link(root.path(), file));
        else if (setup == u"link-nowhere"_s)
            QVERIFY(QFile::link(root.filePath(u"absent/config.ini"_s), file));
        else if (setup == u"installed"_s)
            QVERIFY(QDir().mkpath(root.filePath(u"share/zevalo"_s)));
        else if (setup == u"locked"_s && !lockFolder(bin, true))
            QSKIP("cannot make a folder read-only here");

        const QString home = root.filePath(u"home"_s);
        qputenv("XDG_CONFIG_HOME", home.toLocal8Bit());
        const QString path = SettingsFilePathFor(bin);
        const QString user = home + u"/zevalo-multimedia/config.ini"_s;
        QCOMPARE(path, beside ? file : user);
        // The first write makes the user's folder; the program's folder is left alone.
        TConfig config(path);
        config.SetTheme(5);
        if (setup == u"locked"_s)
            lockFolder(bin, false);
        QCOMPARE(TConfig(path).GetTheme(), 5);
        if (!beside) {
            QVERIFY(QFileInfo(user).isFile());
            QCOMPARE(QFileInfo(file).isFile(), setup == u"file"_s);
        }
        qunsetenv("XDG_CONFIG_HOME");
    }

    static QByteArray portableSettings()
    {
        return "[GENERAL]\r\nTheme=4\r\nSexoflux=1\r\n[FAVORIS]\r\nNombre=1\r\nTitre1=Chanson\r\nURL1=http://h/c.mp3\r\n"_ba;
    }
    // A config.ini left beside a program that now keeps its settings in the
    // user's folder: taken over once, whole, and never changed itself.
    void takeOver_data()
    {
        // old: empty: no file beside the program
        // user: empty: none in the user's folder yet
        // expected: the user's file after; empty: none
        zv::test::columns<QByteArray, QByteArray, QByteArray>("old", "user", "expected");
        const QByteArray settings = portableSettings();
        zv::test::row("taken over", settings, QByteArray(), settings);
        zv::test::row(
            "user's own file wins", settings, "[GENERAL]\r\nTheme=3\r\n"_ba, "[GENERAL]\r\nTheme=3\r\n"_ba);
        zv::test::row("nothing to take", QByteArray(), QByteArray(), QByteArray());
        zv::test::row("not a settings file", QByteArray(70 * 1024 * 1024, 'x'), QByteArray(), QByteArray());
    }
    void takeOver()
    {
        QFETCH(QByteArray, old);
        QFETCH(QByteArray, user);
        QFETCH(QByteArray, expected);
        QTemporaryDir root;
        const QString bin = root.filePath(u"bin"_s);
        QVERIFY(QDir().mkpath(bin));
        const QString oldPath = bin + u"/config.ini"_s;
        const QString path = root.filePath(u"home/zevalo-multimedia/config.ini"_s);
        if (!old.isEmpty())
            testini::write(oldPath, old);
        if (!user.isEmpty()) {
            QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
            testini::write(path, user);
        }
        const bool locked = lockFolder(bin, true);
        TakeOverSettings(oldPath, path);
        TakeOverSettings(oldPath, path); // once is once
        if (locked)
            lockFolder(bin, false);
        QCOMPARE(QFileInfo::exists(path) ? testini::bytes(path) : QByteArray(), expected);
        if (!old.isEmpty())
            QVERIFY(testini::bytes(oldPath) == old);
        if (expected == portableSettings()) {
            TConfig config(path);
            QCOMPARE(config.GetTheme(), 4);
            QVERIFY(config.GetSexoflux());
            QCOMPARE(LoadFavorites(config).size(), size_t(1));
        }
    }

    // "Mes chaînes" in a section of their own: a file from before them reads
    // as it did and keeps every entry of GENERAL and FAVORIS once they are
    // written; what is written reads back whole (a 3,000-character address,
    // any script); a hand-edited Windows-1252 value reads as such.
    void favoriteChannels_data()
    {
        // titles: read from the file, in order
        zv::test::columns<QByteArray, QStringList>("file", "titles");
        const QByteArray old = "[GENERAL]\r\nTheme=4\r\nSexoflux=1\r\n[FAVORIS]\r\nNombre=2\r\n"
                               "Titre1=Chanson \xe9t\xe9\r\nURL1=http://h/c.mp3\r\nTitre2=b\r\nURL2=u\r\n"_ba;
        zv::test::row("written before them", old, QStringList());
        zv::test::row("hand-edited",
            old
                + "[CHAINES]\r\nNombre=3\r\nTitre1=T\xe9l\xe9\r\nURL1=u1\r\n"
                  "Titre2=sans adresse\r\nTitre3=M\xc3\xa9t\xc3\xa9o\r\nurl3=u3\r\n"_ba,
            QStringList{u"Télé"_s, u"Météo"_s});
        zv::test::row(
            "count far beyond", "[CHAINES]\nNombre=2000000000\nTitre2=b\nURL2=u\n"_ba, QStringList{u"b"_s});
    }
    void favoriteChannels()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, titles);
        testini::write(path_, file);
        TConfig config(path_);
        QStringList read;
        for (const FavoriteChannel& channel : LoadFavoriteChannels(config))
            read << channel.title;
        QCOMPARE(read, titles);
        const Entries general = testini::section(path_, "GENERAL");
        const Entries favorites = testini::section(path_, "FAVORIS");
        const std::vector<FavoriteChannel> channels = {
            {u"Zevalo Météo, \"la\" chaîne"_s, u"vlc:http://h/"_s + QString(3000, u'x'), u"meteo.fr"_s,
                u"http://h/logo.png"_s, u"liste:3"_s},
            {u"Россия 1"_s, u"http://h/r1.m3u8"_s, u"\uFEFFrossia1.ru"_s, {}, u"tele:1"_s},
            {u"deux\r\nlignes"_s, u"http://h/2"_s, {}, {}, {}},
        };
        SaveFavoriteChannels(config, channels);
        std::vector<FavoriteChannel> expected = channels;
        expected[2].title = u"deux  lignes"_s;
        QCOMPARE(LoadFavoriteChannels(config), expected);
        QCOMPARE(testini::section(path_, "GENERAL"), general);
        QCOMPARE(testini::section(path_, "FAVORIS"), favorites);
        QCOMPARE(LoadFavorites(config).size(), size_t(file.contains("FAVORIS") ? 2 : 0));
        SaveFavorites(config, LoadFavorites(config));
        QCOMPARE(LoadFavoriteChannels(config), expected);
    }

    // Whatever config.ini holds, reading it neither crashes nor changes it.
    void damagedFilesAreOnlyRead()
    {
        QRandomGenerator rng(42);
        const QList<QByteArray> pieces = {"[", "]", "=", "\n", "\r\n", "GENERAL", "FAVORIS", "Theme",
            "Nombre", "Titre1", "<<<", ";", "#", " ", "\xEF\xBB\xBF", QByteArray(1, '\0'), "\xFF", "9"};
        for (int round = 0; round < 300; ++round) {
            QByteArray file;
            for (int i = rng.bounded(60); i > 0; --i)
                file += rng.bounded(3) ? pieces[rng.bounded(int(pieces.size()))]
                                       : QByteArray(1, char(rng.bounded(256)));
            testini::write(path_, file);
            TConfig config(path_);
            config.GetTheme();
            config.GetSexoflux();
            LoadFavorites(config);
            config.GetFavoriteUrl(1);
            QCOMPARE(testini::bytes(path_), file);
            zv::swallowed([&] { config.SetTheme(3); });
            QCOMPARE(TConfig(path_).GetTheme(), 3);
        }
    }

    void hugeFileIsNotReplaced()
    {
        {
            QFile file(path_);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("[GENERAL]\nTheme=4\n");
            QVERIFY(file.resize(100 * 1024 * 1024)); // sparse
        }
        TConfig config(path_);
        QCOMPARE(config.GetTheme(), 2);
        QVERIFY_THROWS_EXCEPTION(zv::Error, config.SetTheme(1));
        QCOMPARE(QFileInfo(path_).size(), 100 * 1024 * 1024);
    }

    // A writer killed at any moment leaves one of the lists it wrote, whole.
    void killedWriterLeavesAWholeFile()
    {
        QRandomGenerator rng(3);
        for (int round = 0; round < 4; ++round) {
            QFile::remove(path_);
            QProcess writer;
            writer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(u"TST_CONFIG_WRITER"_s, path_);
            writer.setProcessEnvironment(env);
            writer.start(QCoreApplication::applicationFilePath(), {});
            QVERIFY(writer.waitForReadyRead(20000)); // first list written
            QTest::qWait(50 + rng.bounded(300));
            ::kill(pid_t(writer.processId()), SIGKILL);
            QVERIFY(writer.waitForFinished(20000));
            const std::vector<Favorite> list = TConfig(path_).ReadFavorites();
            QVERIFY(!list.empty());
            const QByteArray tag = list.front().title.left(list.front().title.indexOf(' '));
            QCOMPARE(list, numbered(int(list.size()), tag));
            QCOMPARE(int(list.size()), 200 + tag.toInt() % 100);
        }
    }
};

static int runWriter(const QString& path)
{
    TConfig config(path);
    for (int i = 1;; ++i) {
        config.WriteFavorites(numbered(200 + i % 100, QByteArray::number(i)));
        if (i == 1) {
            ::write(1, "w\n", 2);
        }
    }
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsSet("TST_CONFIG_WRITER"))
        return runWriter(qEnvironmentVariable("TST_CONFIG_WRITER"));
    QCoreApplication app(argc, argv);
    TestConfig test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_config.moc"
