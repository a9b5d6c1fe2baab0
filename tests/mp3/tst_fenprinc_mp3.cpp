// The MP3 search and "Mes MP3" tabs of the real main window against a scripted
// portal on loopback, with players that play nothing.
#include "app/config.h"
#include "portal/nmhttp.h"
#include "support/mainwindowrig.h"
#include "support/table.h"
#include "support/viewrows.h"
#include "ui/controls/btngraph.h"
#include "ui/main/entrymodel.h"
#include "ui/main/fenprinc.h"
#include "ui/themes/themes.h"
#include "ui/windows/fentelechargement.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

using namespace zv::test;

namespace {

const QByteArray searchPath = "/exe/rech_rbc.php?num_page=";

// n result lines, numbered from first.
QByteArray results(int first, int n, const QByteArray& host)
{
    QByteArray out;
    for (int i = first; i < first + n; ++i)
        out += "http://" + host + "/mp3/t" + QByteArray::number(i) + ".rbs\tTitre " + QByteArray::number(i)
            + "\r\n";
    return out;
}

} // namespace

class TestFenPrincMp3 : public MainWindowTest {
    Q_OBJECT

    std::unique_ptr<TfmPrinc> start()
    {
        auto w = rig->start();
        emit w->btnFctMOD->clicked();
        w->pcMOD->setCurrentWidget(w->tsMODRecherche);
        return w;
    }

private slots:
    void paging()
    {
        rig->portal.set(
            searchPath + "0&recherche=abc", Reply::ok(results(0, 20, rig->server.hostPort()), "text/plain"));
        rig->portal.set(
            searchPath + "20&recherche=abc", Reply::ok(results(20, 5, rig->server.hostPort()), "text/plain"));
        auto w = start();
        QTest::keyClicks(w->edtMODRecherche, QStringLiteral("abc"));
        // The hourglass shows while the answer is awaited, and only then.
        Qt::CursorShape during = Qt::ArrowCursor;
        rig->portal.set(searchPath + "0&recherche=abc",
            Reply::ok(results(0, 20, rig->server.hostPort()), "text/plain").delayed(100));
        QTimer::singleShot(50, this, [&] {
            if (QApplication::overrideCursor())
                during = QApplication::overrideCursor()->shape();
        });
        w->btnMODRecherche->click();
        QCOMPARE(during, Qt::WaitCursor);
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(rowCount(w->lvMODRecherche), 20);
        QCOMPARE(at(w->lvMODRecherche, 3).data().toString(), QStringLiteral("Titre 3"));
        QCOMPARE(at(w->lvMODRecherche, 3).data(zv::AddressRole).toString(),
            "http://" + rig->server.hostPort() + "/mp3/t3.rbs");
        // The titles take the list's width (the header may stretch them further).
        QVERIFY(w->lvMODRecherche->columnWidth(0) >= w->lvMODRecherche->width() - 20);

        w->btnMODRechercheSuite->click();
        QCOMPARE(rowCount(w->lvMODRecherche), 25);
        QCOMPARE(at(w->lvMODRecherche, 24).data().toString(), QStringLiteral("Titre 24"));

        // One letter changed: empty again, and the search starts over.
        QTest::keyClick(w->edtMODRecherche, Qt::Key_Backspace);
        QCOMPARE(rowCount(w->lvMODRecherche), 0);
        QTest::keyClicks(w->edtMODRecherche, QStringLiteral("d"));
        w->btnMODRecherche->click();
        QCOMPARE(rig->requestsAfter(searchPath),
            (QByteArrayList{"0&recherche=abc", "20&recherche=abc", "0&recherche=abd"}));
    }

    void keywords_data()
    {
        zv::test::columns<QString, QString, QByteArray>("typed", "shown", "sent");
        zv::test::row("capitals and a space", QStringLiteral("Daft Punk"), QStringLiteral("daft punk"),
            QByteArray("daft%5fpunk"));
        zv::test::row("accent", QStringLiteral("Été"), QStringLiteral("été"), QByteArray("%e9t%e9"));
        zv::test::row("symbols", QStringLiteral("a&b=c"), QStringLiteral("a&b=c"), QByteArray("a%26b%3dc"));
        zv::test::row("nothing", QString(), QString(), QByteArray());
    }
    void keywords()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(QByteArray, sent);
        auto w = start();
        // Key by key, as typed (keyClicks takes ASCII only).
        for (const QChar c : typed)
            QTest::sendKeyEvent(
                QTest::Click, w->edtMODRecherche, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QCOMPARE(w->edtMODRecherche->text(), shown);
        // Enter searches like "OK".
        QTest::keyClick(w->edtMODRecherche, Qt::Key_Return);
        QCOMPARE(rig->requestsAfter(searchPath), QByteArrayList{"0&recherche=" + sent});
    }

    void pastedTextLowered()
    {
        auto w = start();
        w->edtMODRecherche->insert(QStringLiteral("ABBA Gold"));
        QCOMPARE(w->edtMODRecherche->text(), QStringLiteral("abba gold"));
    }

    void answerLines_data()
    {
        zv::test::columns<QByteArray, QStringList, QStringList>("body", "titles", "addresses");
        zv::test::row("empty", QByteArray(), QStringList(), QStringList());
        zv::test::row("lines without a tab are skipped",
            QByteArray("http://a/1.rbs\tUn\r\nsans titre\r\n\r\nhttp://a/2.rbs\tDeux\r\n"),
            QStringList{"Un", "Deux"}, QStringList{"http://a/1.rbs", "http://a/2.rbs"});
        zv::test::row("extra fields ignored", QByteArray("http://a/1.rbs\tUn\tplus\r\n"), QStringList{"Un"},
            QStringList{"http://a/1.rbs"});
        zv::test::row(
            "empty title", QByteArray("http://a/1.rbs\t"), QStringList{""}, QStringList{"http://a/1.rbs"});
        zv::test::row("Windows-1252", QByteArray("http://a/\xe9.rbs\tCaf\xe9 \x80\r\n"),
            QStringList{QStringLiteral("Café €")}, QStringList{QStringLiteral("http://a/é.rbs")});
    }
    void answerLines()
    {
        QFETCH(QByteArray, body);
        QFETCH(QStringList, titles);
        QFETCH(QStringList, addresses);
        rig->portal.set(searchPath + "0&recherche=x", Reply::ok(body, "text/plain"));
        auto w = start();
        QTest::keyClick(w->edtMODRecherche, 'x');
        w->btnMODRecherche->click();
        QCOMPARE(texts(w->lvMODRecherche), titles);
        QCOMPARE(texts(w->lvMODRecherche, {zv::AddressRole}), addresses);
    }

    void failedSearchKeepsList()
    {
        rig->portal.set(searchPath + "0&recherche=x", Reply::ok(results(0, 3, "h"), "text/plain"));
        rig->portal.set(searchPath + "3&recherche=x", Reply::status(500));
        auto w = start();
        QTest::keyClick(w->edtMODRecherche, 'x');
        w->btnMODRecherche->click();
        w->btnMODRechercheSuite->click();
        QCOMPARE(rowCount(w->lvMODRecherche), 3);
        QVERIFY(!QApplication::overrideCursor());
    }

    void busySearchIgnoresSecondClick()
    {
        rig->portal.set(
            searchPath + "0&recherche=x", Reply::ok(results(0, 2, "h"), "text/plain").delayed(300));
        auto w = start();
        QTest::keyClick(w->edtMODRecherche, 'x');
        QTimer::singleShot(100, this, [&] { w->btnMODRecherche->click(); });
        w->btnMODRecherche->click();
        QTest::qWait(100);
        QCOMPARE(rig->requestsAfter(searchPath).size(), 1);
        QCOMPARE(rowCount(w->lvMODRecherche), 2);
    }

    void favourites()
    {
        rig->portal.set(searchPath + "0&recherche=x", Reply::ok(results(0, 3, "h"), "text/plain"));
        {
            auto w = start();
            // Nothing selected: nothing happens.
            w->btnMODRechercheFavoris->click();
            w->btnMODFavorisSupprimer->click();
            QTest::keyClick(w->edtMODRecherche, 'x');
            w->btnMODRecherche->click();
            w->btnMODRechercheFavoris->click();
            QCOMPARE(rowCount(w->lvMODFavoris), 0);

            select(w->lvMODRecherche, at(w->lvMODRecherche, 1));
            w->btnMODRechercheFavoris->click();
            w->btnMODRechercheFavoris->click();
            select(w->lvMODRecherche, at(w->lvMODRecherche, 2));
            w->btnMODRechercheFavoris->click();
            QCOMPARE(texts(w->lvMODFavoris), (QStringList{"Titre 1", "Titre 1", "Titre 2"}));
            QCOMPARE(at(w->lvMODFavoris, 0).data(zv::AddressRole).toString(),
                QStringLiteral("http://h/mp3/t1.rbs"));
            // Nothing is written before the window closes.
            QCOMPARE(TConfig().GetFavoriteCount(), 0);
        }
        {
            TConfig c;
            QCOMPARE(c.GetFavoriteCount(), 3);
            QCOMPARE(c.GetFavoriteTitle(1), QByteArray("Titre 1"));
            QCOMPARE(c.GetFavoriteTitle(2), QByteArray("Titre 1"));
            QCOMPARE(c.GetFavoriteUrl(2), QByteArray("http://h/mp3/t1.rbs"));
        }
        {
            auto w = start();
            QCOMPARE(rowCount(w->lvMODFavoris), 3);
            w->pcMOD->setCurrentWidget(w->tsMODFavoris);
            select(w->lvMODFavoris, at(w->lvMODFavoris, 0));
            w->btnMODFavorisSupprimer->click();
            QCOMPARE(texts(w->lvMODFavoris), (QStringList{"Titre 1", "Titre 2"}));
            w->lvMODFavoris->clearSelection();
            w->btnMODFavorisSupprimer->click();
            QCOMPARE(rowCount(w->lvMODFavoris), 2);
        }
        TConfig c;
        QCOMPARE(c.GetFavoriteCount(), 2);
        QCOMPARE(c.GetFavoriteTitle(2), QByteArray("Titre 2"));
        QCOMPARE(c.GetFavoriteTitle(3), QByteArray());
    }

    void doubleClickPlays()
    {
        rig->portal.set(searchPath + "0&recherche=x", Reply::ok(results(0, 3, "h"), "text/plain"));
        auto w = start();
        QTest::keyClick(w->edtMODRecherche, 'x');
        w->btnMODRecherche->click();
        activate(w->lvMODRecherche, at(w->lvMODRecherche, 2));
        QCOMPARE(rig->engines.sources(), QStringList{QStringLiteral("http://h/mp3/t2.rbs")});
        QCOMPARE(w->PlayingIndex, -1);
        emit w->btnLecture->clicked(); // stop

        // In "Mes MP3" it plays by row, so that non-stop can move on.
        w->AddFavorite(QStringLiteral("A"), QStringLiteral("http://h/a.mp3"));
        w->AddFavorite(QStringLiteral("B"), QStringLiteral("http://h/b.mp3"));
        w->pcMOD->setCurrentWidget(w->tsMODFavoris);
        select(w->lvMODFavoris, at(w->lvMODFavoris, 1));
        QTRY_VERIFY(!w->btnLecture->Enfonce());
        activate(w->lvMODFavoris, at(w->lvMODFavoris, 1));
        QCOMPARE(rig->engines.sources().last(), QStringLiteral("http://h/b.mp3"));
        QCOMPARE(w->PlayingIndex, 1);
    }

    void downloads_data() { zv::test::flagRows("fromFavourites", "search", "favourites"); }
    void downloads()
    {
        QFETCH(bool, fromFavourites);
        QTemporaryDir dir;
        QStringList offered;
        TfmTelechargement::setSaveDialog([&](TfmTelechargement*, const QString& name) {
            offered << name;
            return dir.filePath(name);
        });
        const QByteArray body(150000, 'm');
        rig->server.on("/mp3/t1.rbs", Reply::ok(body, "audio/mpeg").inPieces(10000, 10));
        rig->portal.set(
            searchPath + "0&recherche=x", Reply::ok(results(0, 3, rig->server.hostPort()), "text/plain"));
        auto w = start();
        QTest::keyClick(w->edtMODRecherche, 'x');
        w->btnMODRecherche->click();

        // Nothing selected: no window.
        w->btnMODRechercheTelecharger->click();
        w->btnMODFavorisTelecharger->click();
        QVERIFY(offered.isEmpty());

        select(w->lvMODRecherche, at(w->lvMODRecherche, 1));
        QPushButton* button = w->btnMODRechercheTelecharger;
        if (fromFavourites) {
            w->btnMODRechercheFavoris->click();
            w->pcMOD->setCurrentWidget(w->tsMODFavoris);
            select(w->lvMODFavoris, at(w->lvMODFavoris, 0));
            button = w->btnMODFavorisTelecharger;
        }
        QPointer<TfmTelechargement> during;
        QString name;
        QTimer::singleShot(40, this, [&] {
            during = w->findChild<TfmTelechargement*>();
            if (during)
                name = during->lblNomFichier->text();
        });
        button->click();
        QCOMPARE(offered, QStringList{QStringLiteral("t1.mp3")});
        QVERIFY(during);
        QCOMPARE(during->parentWidget(), w.get());
        QCOMPARE(name, QStringLiteral("t1.rbs"));
        QTRY_VERIFY(during.isNull());
        QFile f(dir.filePath(QStringLiteral("t1.mp3")));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), body);
    }

    void closingDuringDownload()
    {
        // The window closes while a download still runs: nothing is left behind.
        QTemporaryDir dir;
        TfmTelechargement::setSaveDialog(
            [&](TfmTelechargement*, const QString& name) { return dir.filePath(name); });
        rig->server.on("/mp3/t0.rbs", Reply::generated(5000000).inPieces(1000, 20));
        rig->portal.set(
            searchPath + "0&recherche=x", Reply::ok(results(0, 1, rig->server.hostPort()), "text/plain"));
        auto w = start();
        QTest::keyClick(w->edtMODRecherche, 'x');
        w->btnMODRecherche->click();
        select(w->lvMODRecherche, at(w->lvMODRecherche, 0));
        QPointer<TfmTelechargement> download;
        QTimer::singleShot(200, this, [&] {
            download = w->findChild<TfmTelechargement*>();
            w.reset();
        });
        emit w->btnMODRechercheTelecharger->clicked();
        QVERIFY(!w);
        QVERIFY(download.isNull());
        QTRY_COMPARE(rig->server.openConnections(), 0);
    }
};

QTEST_MAIN(TestFenPrincMp3)
#include "tst_fenprinc_mp3.moc"
