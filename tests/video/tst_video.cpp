// The video search section of the main window against a scripted portal on
// loopback, with players that play nothing; and the link to the outside pages.
#include "app/config.h"
#include "portal/nmhttp.h"
#include "portal/textutil.h"
#include "support/mainwindowrig.h"
#include "support/table.h"
#include "support/viewrows.h"
#include "ui/browser/webbrowser.h"
#include "ui/controls/btngraph.h"
#include "ui/main/entrymodel.h"
#include "ui/main/fenprinc.h"
#include "ui/themes/themes.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <cmath>

using namespace zv::test;

namespace {

const QByteArray kSearch = "/exe/rech_dm.php?num_page=";

// n result lines numbered from `first`.
QByteArray videoLines(int n, int first = 1)
{
    QByteArrayList lines;
    for (int i = first; i < first + n; ++i) {
        const QByteArray k = QByteArray::number(i);
        lines << "Vid\xc3\xa9o " + k + "\t0:" + k.rightJustified(2, '0') + "\thttp://img.example/" + k
                + ".jpg\thttp://vid.example/" + k + ".flv";
    }
    return lines.join("\r\n");
}

// Types text one key at a time, accented letters included.
void type(QWidget* w, const QString& text)
{
    for (const QChar c : text) {
        const int key = c.toUpper().unicode();
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
        QApplication::sendEvent(w, &release);
    }
}

} // namespace

class TestVideo : public MainWindowTest {
    Q_OBJECT

    // The window on the videos section.
    std::unique_ptr<TfmPrinc> startOnVideos()
    {
        auto w = rig->start();
        w->show();
        if (!QTest::qWaitForWindowExposed(w.get()))
            qWarning("window not exposed");
        emit w->btnFctVideo->clicked();
        return w;
    }

    void answer(int page, const QByteArray& keywords, const QByteArray& body)
    {
        rig->portal.set(
            kSearch + QByteArray::number(page) + "&recherche=" + keywords, Reply::ok(body, "text/plain"));
    }

    static QByteArray imagePage(const TfmPrinc& w)
    {
        return "/exe/podcast_image.php?couleur=" + ColorToHtml(w.lvVideo->palette().color(QPalette::Base));
    }

private slots:
    void paging_data()
    {
        zv::test::columns<int, QByteArray>("firstPage", "next");
        zv::test::row("12 rows: page 2", 12, QByteArray("2"));
        zv::test::row("11 rows: page 1 again", 11, QByteArray("1"));
        zv::test::row("no rows: page 1 again", 0, QByteArray("1"));
    }
    void paging()
    {
        QFETCH(int, firstPage);
        QFETCH(QByteArray, next);
        answer(1, "chat", videoLines(firstPage));
        answer(2, "chat", videoLines(5, 13));
        auto w = startOnVideos();
        QTest::keyClicks(w->edtVideoRecherche, QStringLiteral("chat"));
        QTest::mouseClick(w->btnVideoRecherche, Qt::LeftButton);
        QCOMPARE(rowCount(w->lvVideo), firstPage);
        QTest::mouseClick(w->btnVideoSuite, Qt::LeftButton);
        QCOMPARE(rig->requestsAfter(kSearch), QByteArrayList({"1&recherche=chat", next + "&recherche=chat"}));
        // The next answer is appended.
        const int added = next == "2" ? 5 : firstPage;
        QCOMPARE(rowCount(w->lvVideo), firstPage + added);
        if (firstPage > 0)
            QCOMPARE(at(w->lvVideo, 0).data().toString(), QStringLiteral("Vidéo 1"));
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(rig->errors.isEmpty());
    }

    void keywordsAsSent_data()
    {
        zv::test::columns<QString, QString, QByteArray>("typed", "shown", "sent");
        zv::test::row(
            "capitals and a space", "Chat Noir", "chat noir", QByteArray("1&recherche=chat%2520noir"));
        zv::test::row(
            "accent", QStringLiteral("Été"), QStringLiteral("été"), QByteArray("1&recherche=%e9t%e9"));
        zv::test::row("query characters", "A&B", "a&b", QByteArray("1&recherche=a%26b"));
    }
    void keywordsAsSent()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(QByteArray, sent);
        auto w = startOnVideos();
        type(w->edtVideoRecherche, typed);
        QCOMPARE(w->edtVideoRecherche->text(), shown);
        // Enter runs the search.
        QTest::keyClick(w->edtVideoRecherche, Qt::Key_Return);
        QCOMPARE(rig->requestsAfter(kSearch), QByteArrayList{sent});
        QTest::keyClick(w->edtVideoRecherche, Qt::Key_Enter);
        QCOMPARE(rig->requestsAfter(kSearch).size(), 2);
    }

    void pastedTextLowerCased()
    {
        auto w = startOnVideos();
        w->edtVideoRecherche->setText(QStringLiteral("GRAND Écran"));
        QCOMPARE(w->edtVideoRecherche->text(), QStringLiteral("grand écran"));
    }

    void answerIntoRows()
    {
        answer(1, "chat",
            "Caf\xc3\xa9 \x80uro\t12:34\thttp://img.example/caf\xe9.jpg\thttp://vid.example/c.flv\r\n"
            "ligne coup\xc3\xa9"
            "e\t1:00\r\n"
            "\r\n"
            "Deuxi\xc3\xa8me\t0:05\thttp://img.example/2.jpg\tvlc:http://vid.example/2.flv\r\n");
        auto w = startOnVideos();
        w->edtVideoRecherche->setText(QStringLiteral("chat"));
        emit w->btnVideoRecherche->clicked();
        // The line with fewer than four fields is left out, silently.
        QCOMPARE(rowCount(w->lvVideo), 2);
        QVERIFY(rig->errors.isEmpty());
        const QModelIndex first = at(w->lvVideo, 0);
        QCOMPARE(first.data().toString(), QStringLiteral("Café €uro"));
        QCOMPARE(first.data(zv::DurationRole).toString(), QStringLiteral("12:34"));
        QCOMPARE(first.data(zv::ThumbnailRole).toString(), QStringLiteral("http://img.example/café.jpg"));
        QCOMPARE(first.data(zv::AddressRole).toString(), QStringLiteral("http://vid.example/c.flv"));
        QCOMPARE(at(w->lvVideo, 1).data().toString(), QStringLiteral("Deuxième"));
        QCOMPARE(w->lvVideo->columnWidth(0), w->lvVideo->width() - 20);
        // Only the titles show.
        QCOMPARE(w->lvVideo->model()->columnCount(), 1);
    }

    void failedSearchKeepsList()
    {
        answer(1, "chat", videoLines(12));
        auto w = startOnVideos();
        w->edtVideoRecherche->setText(QStringLiteral("chat"));
        emit w->btnVideoRecherche->clicked();
        QCOMPARE(rowCount(w->lvVideo), 12);
        // An answer without a status line, then a refused connection.
        rig->portal.set(kSearch + "2&recherche=chat", Reply::raw("rien"));
        emit w->btnVideoSuite->clicked();
        QCOMPARE(rowCount(w->lvVideo), 12);
        qputenv("ZEVALO_PORTAL_HOST", "127.0.0.1:1");
        emit w->btnVideoSuite->clicked();
        QCOMPARE(rowCount(w->lvVideo), 12);
        QVERIFY(rig->errors.isEmpty());
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(!w->nmhVideoRecherche->Busy());
    }

    void selectionShowsThumbnailAndDuration()
    {
        answer(1, "chat", videoLines(3));
        auto w = startOnVideos();
        // Entering the section: a blank 4:3 pane in the list's colour.
        QCOMPARE(w->wbVideoImage->width(), int(std::lround(w->wbVideoImage->height() * 4.0 / 3.0)));
        QTRY_VERIFY(rig->count(imagePage(*w)) > 0);
        w->edtVideoRecherche->setText(QStringLiteral("chat"));
        emit w->btnVideoRecherche->clicked();
        QCOMPARE(w->lblVideoDuree->text(), QStringLiteral("-- : --"));

        const QRect second = w->lvVideo->visualRect(at(w->lvVideo, 1));
        QTest::mouseClick(w->lvVideo->viewport(), Qt::LeftButton, {}, second.center());
        QCOMPARE(w->lblVideoDuree->text(), QStringLiteral("0:02"));
        // The thumbnail address goes as it is, not encoded.
        QTRY_VERIFY(rig->count(imagePage(*w) + "&url=http://img.example/2.jpg") > 0);

        // Deselecting leaves the label as it was.
        w->lvVideo->clearSelection();
        QVERIFY(!selected(w->lvVideo).isValid());
        QCOMPARE(w->lblVideoDuree->text(), QStringLiteral("0:02"));

        select(w->lvVideo, at(w->lvVideo, 2));
        QCOMPARE(w->lblVideoDuree->text(), QStringLiteral("0:03"));
        QTRY_VERIFY(rig->count(imagePage(*w) + "&url=http://img.example/3.jpg") > 0);
    }

    void typingEmptiesList()
    {
        answer(1, "chat", videoLines(12));
        auto w = startOnVideos();
        QTest::keyClicks(w->edtVideoRecherche, QStringLiteral("chat"));
        emit w->btnVideoRecherche->clicked();
        select(w->lvVideo, at(w->lvVideo, 0));
        QCOMPARE(w->lblVideoDuree->text(), QStringLiteral("0:01"));
        rig->server.clearRequests();

        QTest::keyClicks(w->edtVideoRecherche, QStringLiteral("s"));
        QCOMPARE(rowCount(w->lvVideo), 0);
        QCOMPARE(w->lblVideoDuree->text(), QStringLiteral("-- : --"));
        QTRY_VERIFY(rig->count(imagePage(*w)) > 0);
        // The next search starts again at page 1.
        emit w->btnVideoSuite->clicked();
        QCOMPARE(rig->requestsAfter(kSearch), QByteArrayList{"1&recherche=chats"});
    }

    void keywordsChangedWhileWaiting()
    {
        // The answer to the old keywords comes after the list was emptied for
        // the new ones: it must not fill the new list.
        rig->portal.set(kSearch + "1&recherche=chat", Reply::ok(videoLines(12), "text/plain").delayed(800));
        auto w = startOnVideos();
        w->edtVideoRecherche->setText(QStringLiteral("chat"));
        bool busySeen = false, hourglass = false;
        QTimer::singleShot(300, w.get(), [&] {
            busySeen = w->nmhVideoRecherche->Busy();
            hourglass
                = QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
            // A second search while one waits is ignored.
            emit w->btnVideoRecherche->clicked();
            QTest::keyClicks(w->edtVideoRecherche, QStringLiteral("s"));
        });
        emit w->btnVideoRecherche->clicked();
        QVERIFY(busySeen);
        QVERIFY(hourglass);
        QCOMPARE(rig->requestsAfter(kSearch), QByteArrayList{"1&recherche=chat"});
        QCOMPARE(rowCount(w->lvVideo), 0);
        QVERIFY(!QApplication::overrideCursor());

        // The search for the new keywords fills the list as usual.
        answer(1, "chats", videoLines(2));
        emit w->btnVideoRecherche->clicked();
        QCOMPARE(rowCount(w->lvVideo), 2);
    }

    void closedWhileWaiting()
    {
        // The window closes while the search waits for a server that never
        // answers: the wait ends, quietly, and the cursor comes back.
        rig->portal.set(kSearch + "1&recherche=chat", Reply::never());
        auto w = startOnVideos();
        w->edtVideoRecherche->setText(QStringLiteral("chat"));
        bool busyAtClose = false;
        QTimer::singleShot(300, w.get(), [&] {
            busyAtClose = w->nmhVideoRecherche->Busy();
            w->close();
        });
        emit w->btnVideoRecherche->clicked();
        QVERIFY(busyAtClose);
        QVERIFY(!w->nmhVideoRecherche->Busy());
        QVERIFY(rig->errors.isEmpty());
        QVERIFY(!QApplication::overrideCursor());
        w.reset();
    }

    void doubleClickPlaysVideoAddress()
    {
        answer(1, "chat", videoLines(4));
        auto w = startOnVideos();
        w->edtVideoRecherche->setText(QStringLiteral("chat"));
        emit w->btnVideoRecherche->clicked();
        const QRect third = w->lvVideo->visualRect(at(w->lvVideo, 2));
        // A double-click: its first press and release, then the second press.
        QTest::mouseClick(w->lvVideo->viewport(), Qt::LeftButton, {}, third.center());
        QTest::mouseDClick(w->lvVideo->viewport(), Qt::LeftButton, {}, third.center());
        QCOMPARE(rig->engines.sources(), QStringList{QStringLiteral("http://vid.example/3.flv")});
        QCOMPARE(w->lblVideoDuree->text(), QStringLiteral("0:03"));
    }

    void outsidePage_data()
    {
        // path: empty: nothing opens
        zv::test::columns<QString, QString>("section", "path");
        zv::test::row("clips", "btnFctClipVideo", "/mobile_b.htm");
        zv::test::row("media on demand", "btnFctMOD", "/get_mp3.htm");
        zv::test::row("videos", "btnFctVideo", "/videos/");
        zv::test::row("home", "btnFctAccueil", QString());
        zv::test::row("television", "btnFctTele", QString());
        zv::test::row("radios", "btnFctRadio", QString());
        zv::test::row("games", "btnFctJeux", QString());
        zv::test::row("chat", "btnFctChat", QString());
    }
    void outsidePage()
    {
        QFETCH(QString, section);
        QFETCH(QString, path);
        auto w = startOnVideos();
        auto* b = w->findChild<TBtnGraph*>(section);
        QVERIFY(b);
        emit b->clicked();
        QVERIFY(b->Enfonce());
        // The status loop shows the link while something plays; shown here.
        w->lblTelechargerMusique->show();
        QTest::mouseClick(w->lblTelechargerMusique, Qt::RightButton);
        QVERIFY(rig->outside.isEmpty());
        QTest::mouseClick(w->lblTelechargerMusique, Qt::LeftButton);
        if (path.isEmpty()) {
            QVERIFY(rig->outside.isEmpty());
        } else {
            QCOMPARE(rig->outside,
                QList<QUrl>{
                    QUrl(QStringLiteral("http://") + QString::fromLatin1(rig->server.hostPort()) + path)});
        }
    }
};

QTEST_MAIN(TestVideo)
#include "tst_video.moc"
