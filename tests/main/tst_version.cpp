// Version texts as numbers, and the program's version record.
#include "app/versioninfo.h"
#include "base/errors.h"
#include "portal/version.h"
#include "support/table.h"

#include <QTest>
#include <QtEndian>

class TestVersion : public QObject {
    Q_OBJECT
private slots:
    void versionNumber_data()
    {
        zv::test::columns<QByteArray, QChar, bool, double>("text", "sep", "ok", "value");
        const QChar dot(u'.'), comma(u',');
        zv::test::row("file version", QByteArray("3.1.0.0"), dot, true, 3.1);
        zv::test::row("3.2", QByteArray("3.2"), dot, true, 3.2);
        zv::test::row("3.10 reads 3.1", QByteArray("3.10"), dot, true, 3.1);
        zv::test::row("3.1.5", QByteArray("3.1.5"), dot, true, 3.1);
        zv::test::row("3.1.9", QByteArray("3.1.9"), dot, true, 3.1);
        zv::test::row("single component", QByteArray("4"), dot, true, 4.0);
        zv::test::row("blanks around", QByteArray(" 3.2 "), dot, true, 3.2);
        zv::test::row("comma locale, dot", QByteArray("3.2"), comma, true, 3.2);
        zv::test::row("comma locale, comma", QByteArray("3,2"), comma, true, 3.2);
        zv::test::row("comma locale, file version", QByteArray("3.1.0.0"), comma, true, 3.1);
        zv::test::row("comma in dot locale", QByteArray("3,2"), dot, false, 0.0);
        zv::test::row("letters", QByteArray("abc"), dot, false, 0.0);
        zv::test::row("empty", QByteArray(), dot, false, 0.0);
        zv::test::row("trailing line break", QByteArray("3.2\r\n"), dot, false, 0.0);
        zv::test::row("trailing text", QByteArray("3.2 beta"), dot, false, 0.0);
        zv::test::row("letters after dot", QByteArray("3.x"), dot, false, 0.0);
        zv::test::row("two signs", QByteArray("--3.2"), dot, false, 0.0);
        zv::test::row("binary", QByteArray("3\0.2", 4), dot, false, 0.0);
    }
    void versionNumber()
    {
        QFETCH(QByteArray, text);
        QFETCH(QChar, sep);
        QFETCH(bool, ok);
        QFETCH(double, value);
        bool threw = false;
        double got = 0;
        try {
            got = zv::VersionNumber(text, sep);
        } catch (const zv::Error&) {
            threw = true;
        }
        QCOMPARE(!threw, ok);
        if (ok)
            QCOMPARE(got, value);
    }

    void programRecord()
    {
        const TAppVersionInfo info;
        QCOMPARE(info.TranslationCode, 0x04E4040Cu);
        QCOMPARE(info.TranslationKey, QStringLiteral("040c04e4"));
        QCOMPARE(info.FileVersion, QStringLiteral("3.1.0.0"));
        QCOMPARE(info.ProductVersion, QStringLiteral("3"));
        QCOMPARE(info.ProductName, QStringLiteral("Zevalo Multimédia"));
        QVERIFY(!info.LegalCopyright.isEmpty());
        QVERIFY(!info.CompanyName.isEmpty());
        QCOMPARE(info.Major, 3);
        QCOMPARE(info.Minor, 1);
        QCOMPARE(info.Release, 0);
        QCOMPARE(info.Build, 0);
        // The file version the update check compares.
        QCOMPARE(zv::VersionNumber(info.FileVersion.toLatin1(), u'.'), 3.1);
    }

    void recordQueriedByPath()
    {
        QByteArray v;
        const auto& r = zv::VersionRecord::program();
        QVERIFY(r.query(QStringLiteral("\\VARFILEINFO\\translation"), v)); // case does not matter
        QCOMPARE(v.size(), 4);
        QVERIFY(r.query(QStringLiteral("\\StringFileInfo\\040C04E4\\ProductName"), v));
        QCOMPARE(v,
            QByteArray("Zevalo Multim\xe9"
                       "dia")); // Windows-1252
        QVERIFY(!r.query(QStringLiteral("\\StringFileInfo\\040904e4\\ProductName"), v));
    }

    void otherRecords()
    {
        // No record at all: every field empty or 0.
        const TAppVersionInfo none(nullptr);
        QCOMPARE(none.TranslationCode, 0u);
        QVERIFY(none.TranslationKey.isEmpty());
        QVERIFY(none.FileVersion.isEmpty());
        QCOMPARE(none.Major, 0);

        // Another language: the texts are looked up under its own key; missing
        // values stay empty.
        zv::VersionRecord r;
        QByteArray t(4, '\0');
        qToLittleEndian<quint32>(0x04B00409, t.data());
        r.set(QStringLiteral("\\VarFileInfo\\Translation"), t);
        r.set(QStringLiteral("\\StringFileInfo\\040904b0\\FileVersion"), QByteArray("2.5.1.7\0", 8));
        const TAppVersionInfo en(&r);
        QCOMPARE(en.TranslationKey, QStringLiteral("040904b0"));
        QCOMPARE(en.FileVersion, QStringLiteral("2.5.1.7"));
        QVERIFY(en.ProductName.isEmpty());
        QCOMPARE(en.Major, 0);
    }
};

QTEST_APPLESS_MAIN(TestVersion)
#include "tst_version.moc"
