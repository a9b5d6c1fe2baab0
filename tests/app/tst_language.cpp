// The program in French on a machine whose locale is not: Qt's texts, sizes
// and dates in the file dialogs, their columns wide enough for them, and the
// C library's numbers in the form the media libraries need.
#include "app/language.h"
#include "support/table.h"

#include <QAbstractProxyModel>
#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <clocale>

class TestLanguage : public QObject {
    Q_OBJECT
private slots:
    void numbersForTheMediaLibraries()
    {
        QCOMPARE(QByteArray(std::setlocale(LC_NUMERIC, nullptr)), QByteArray("C"));
        QCOMPARE(QLocale().toString(1.5), QStringLiteral("1,5"));
    }

    void fileDialogInFrench_data()
    {
        zv::test::columns<QString, int, QString>("name", "column", "pattern");
        zv::test::row("folder kind", QStringLiteral("sous-dossier"), 2, QStringLiteral("^Dossier$"));
        zv::test::row("file kind", QStringLiteral("chanson.mp3"), 2, QStringLiteral("^audio MP3$"));
        zv::test::row("size", QStringLiteral("chanson.mp3"), 1, QStringLiteral("^4,88 Kio$"));
        zv::test::row(
            "date", QStringLiteral("chanson.mp3"), 3, QStringLiteral("^\\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d$"));
    }
    void fileDialogInFrench()
    {
        QFETCH(QString, name);
        QFETCH(int, column);
        QFETCH(QString, pattern);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sous-dossier")));
        QFile song(dir.filePath(QStringLiteral("chanson.mp3")));
        QVERIFY(song.open(QIODevice::WriteOnly));
        song.write(QByteArray(5000, 'x'));
        song.close();

        QFileDialog dialog(nullptr, QStringLiteral("Ouvrir"), dir.path());
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.show();
        auto* tree = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
        QVERIFY(tree);
        auto* shown = qobject_cast<QAbstractProxyModel*>(tree->model());
        QVERIFY(shown);
        auto* files = qobject_cast<QFileSystemModel*>(shown->sourceModel());
        QVERIFY(files);
        QTRY_COMPARE(shown->rowCount(tree->rootIndex()), 2);
        const QModelIndex row = shown->mapFromSource(files->index(dir.filePath(name), column));
        QVERIFY2(QRegularExpression(pattern).match(row.data().toString()).hasMatch(),
            qPrintable(row.data().toString()));

        // Every column takes its header and what it shows.
        QHeaderView* header = tree->header();
        QTRY_VERIFY(header->sectionSize(column) >= header->sectionSizeHint(column));
        QTRY_VERIFY(header->sectionSize(column) >= tree->sizeHintForIndex(row).width());
    }
};

int main(int argc, char** argv)
{
    qputenv("LC_ALL", "C.UTF-8"); // a machine set to the C locale
    QApplication app(argc, argv);
    InstallFrenchTexts(app);
    TestLanguage test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_language.moc"
