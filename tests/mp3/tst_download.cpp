// The download window: how an address becomes a request and a file name, and
// real transfers from a scripted loopback server into temporary files.
#include "base/errors.h"
#include "portal/download.h"
#include "portal/nmhttp.h"
#include "support/scriptedserver.h"
#include "support/table.h"
#include "support/testtls.h"
#include "ui/windows/fentelechargement.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace zv::test;

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray generatedBody(qint64 size)
{
    QByteArray b(size, Qt::Uninitialized);
    for (qint64 i = 0; i < size; ++i)
        b[i] = generatedByte(i);
    return b;
}

} // namespace

class TestDownload : public QObject {
    Q_OBJECT

    std::unique_ptr<ScriptedServer> server;
    std::unique_ptr<QTemporaryDir> dir;
    QWidget owner_;
    QStringList proposed; // what the save dialog was offered
    QString answer; // what it returns

    // A started window: Start has returned, the window may already be gone.
    QPointer<TfmTelechargement> download(const QByteArray& path, QWidget* owner = nullptr)
    {
        auto* w = new TfmTelechargement(owner);
        QPointer<TfmTelechargement> p(w);
        w->Start(QString::fromLatin1("http://" + server->hostPort() + path));
        return p;
    }

private slots:
    void split_data()
    {
        zv::test::columns<QByteArray, QByteArray, QByteArray, QByteArray, QByteArray>(
            "address", "request", "fileName", "proposed", "referer");
        zv::test::row("space and query", QByteArray("http://mp3.example:8080/dir/my song.rbs?x=1"),
            QByteArray("mp3.example:8080/dir/my%20song.rbs?x=1"), QByteArray("my song.rbs"),
            QByteArray("my song.mp3"), QByteArray("http://mp3.example:8080/"));
        zv::test::row("ends in a slash", QByteArray("http://mp3.example/dir/"),
            QByteArray("mp3.example/dir/"), QByteArray(), QByteArray(), QByteArray("http://mp3.example/"));
        zv::test::row("capitals kept", QByteArray("http://h/A.RBS"), QByteArray("h/A.RBS"),
            QByteArray("A.RBS"), QByteArray("A.RBS"), QByteArray("http://h/"));
        zv::test::row("first only", QByteArray("http://h/a.rbs.rbs"), QByteArray("h/a.rbs.rbs"),
            QByteArray("a.rbs.rbs"), QByteArray("a.mp3.rbs"), QByteArray("http://h/"));
        zv::test::row("no scheme", QByteArray("h/d/f.mp3"), QByteArray("h/d/f.mp3"), QByteArray("f.mp3"),
            QByteArray("f.mp3"), QByteArray("http://h/"));
        zv::test::row("host only", QByteArray("http://mp3.example"), QByteArray(), QByteArray(), QByteArray(),
            QByteArray("http:///"));
        zv::test::row("space in host kept", QByteArray("http://a b/c d"), QByteArray("a b/c%20d"),
            QByteArray("c d"), QByteArray("c d"), QByteArray("http://a b/"));
        zv::test::row("slash in query", QByteArray("http://h/f.rbs?u=a/b.rbs"),
            QByteArray("h/f.rbs?u=a/b.rbs"), QByteArray("b.rbs"), QByteArray("b.mp3"),
            QByteArray("http://h/"));
        zv::test::row("scheme text in query", QByteArray("h/f.mp3?u=http://x/y"),
            QByteArray("h/f.mp3?u=http://x/y"), QByteArray("y"), QByteArray("y"), QByteArray("http://h/"));
        zv::test::row(
            "empty", QByteArray(), QByteArray(), QByteArray(), QByteArray(), QByteArray("http:///"));
        zv::test::row("only a query", QByteArray("http://h/?x=1"), QByteArray("h/?x=1"), QByteArray(),
            QByteArray(), QByteArray("http://h/"));
        zv::test::row("https kept", QByteArray("HTTPS://h:8443/d/my song.rbs"),
            QByteArray("https://h:8443/d/my%20song.rbs"), QByteArray("my song.rbs"),
            QByteArray("my song.mp3"), QByteArray("https://h:8443/"));
    }
    void split()
    {
        QFETCH(QByteArray, address);
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, fileName);
        QFETCH(QByteArray, proposed);
        QFETCH(QByteArray, referer);
        const zv::DownloadAddress a = zv::SplitDownloadAddress(address);
        QCOMPARE(zv::DownloadRequest(a), request);
        QCOMPARE(a.fileName, fileName);
        QCOMPARE(zv::ProposedFileName(a.fileName), proposed);
        QCOMPARE(zv::DownloadReferer(a), referer);
    }

    void longNameCut()
    {
        const QByteArray name(1500, 'n');
        QCOMPARE(zv::SplitDownloadAddress("http://h/" + name).fileName, QByteArray(1000, 'n'));
        // The cut comes first: a "?" past it changes nothing.
        QCOMPARE(zv::SplitDownloadAddress("http://h/" + name + "?q").fileName, QByteArray(1000, 'n'));
        QCOMPARE(zv::SplitDownloadAddress("http://h/ab?" + name).fileName, QByteArray("ab"));
    }

    void percent_data()
    {
        zv::test::columns<qint64, qint64, int>("received", "total", "percent");
        zv::test::row("nothing yet", qint64(0), qint64(100), 0);
        zv::test::row("rounded down", qint64(2), qint64(3), 66);
        zv::test::row("all", qint64(3), qint64(3), 100);
        zv::test::row("unknown size", qint64(500), qint64(0), -1);
        zv::test::row("4 GB file", qint64(3000000000LL), qint64(6000000000LL), 50);
        zv::test::row("32-bit overflow", qint64(30000000), qint64(40000000), 75);
        zv::test::row("huge", std::numeric_limits<qint64>::max() - 1, std::numeric_limits<qint64>::max(), 99);
        zv::test::row("more than announced", qint64(120), qint64(100), 100);
    }
    void percent()
    {
        QFETCH(qint64, received);
        QFETCH(qint64, total);
        QFETCH(int, percent);
        QCOMPARE(zv::DownloadPercent(received, total), percent);
    }

    void init()
    {
        server = std::make_unique<ScriptedServer>();
        dir = std::make_unique<QTemporaryDir>();
        proposed.clear();
        answer = dir->filePath(QStringLiteral("cible.mp3"));
        TfmTelechargement::setSaveDialog([this](TfmTelechargement* w, const QString& name) {
            proposed << name;
            // The window shows only once the file is chosen.
            if (w->isVisible())
                proposed << QStringLiteral("<shown too early>");
            return answer;
        });
    }
    void cleanup()
    {
        TfmTelechargement::setSaveDialog({});
        server.reset();
    }

    void form()
    {
        TfmTelechargement w;
        QCOMPARE(w.windowTitle(), QStringLiteral("Téléchargement"));
        QCOMPARE(w.size(), QSize(273, 77));
        QCOMPARE(w.lblFichier->text(), QStringLiteral("Fichier : "));
        QCOMPARE(w.lblNomFichier->width(), 217);
        QCOMPARE(w.pbAvancement->minimum(), 0);
        QCOMPARE(w.pbAvancement->maximum(), 100);
        QCOMPARE(w.btnAnnule->text(), QStringLiteral("Annuler"));
        QVERIFY(w.btnAnnule->font().bold());
        QCOMPARE(w.btnReprendre->text(), QStringLiteral("Reprendre"));
        QVERIFY(w.btnReprendre->isHidden());
        QVERIFY(w.nmhFichier->InputFileMode);
        QCOMPARE(w.timAnnulation->interval(), 100);
        QVERIFY(!w.timAnnulation->isActive());
        QVERIFY(w.testAttribute(Qt::WA_DeleteOnClose));
        QCOMPARE(w.sdFichier->windowTitle(), QStringLiteral("Enregistrer sous..."));
        QCOMPARE(w.sdFichier->acceptMode(), QFileDialog::AcceptSave);
        QVERIFY(!w.sdFichier->testOption(QFileDialog::DontConfirmOverwrite));
        QVERIFY(!(w.windowFlags() & Qt::WindowCloseButtonHint));
    }

    void realDownload()
    {
        const QByteArray body = generatedBody(300000);
        server->on("/dir/my%20song.rbs?x=1", Reply::ok(body, "audio/mpeg").inPieces(65536, 10));
        QWidget owner;
        QList<int> seen;
        QString shownName;
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            if (auto* w = owner.findChild<TfmTelechargement*>()) {
                seen << w->pbAvancement->value();
                shownName = w->lblNomFichier->text();
            }
        });
        watch.start(5);
        const QPointer<TfmTelechargement> w = download("/dir/my song.rbs?x=1", &owner);
        watch.stop();
        QCOMPARE(proposed, QStringList{QStringLiteral("my song.mp3")});
        QTRY_VERIFY(w.isNull());
        QCOMPARE(readAll(answer), body);
        QCOMPARE(shownName, QStringLiteral("my song.rbs"));
        QVERIFY(!seen.isEmpty());
        for (int i = 1; i < seen.size(); ++i)
            QVERIFY(seen[i] >= seen[i - 1]);
        QVERIFY(std::any_of(seen.begin(), seen.end(), [](int v) { return v > 0 && v < 100; }));

        QCOMPARE(server->requests().size(), 1);
        const Request& r = server->requests().first();
        QCOMPARE(r.path, QByteArray("/dir/my%20song.rbs?x=1"));
        QCOMPARE(r.header("Referer"), "http://" + server->hostPort() + "/");
        QCOMPARE(r.header("User-Agent"), QByteArray("Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)"));
        QVERIFY(r.headerLines.last().startsWith("User-Agent:"));
    }

    // Over TLS, with certificates made for the test: the file arrives, or a
    // refused certificate shows "Erreur" like any failed transfer.
    void secureDownload_data() { zv::test::flagRows("trusted", "unknown authority", "trusted authority"); }
    void secureDownload()
    {
        QFETCH(bool, trusted);
        TestAuthority ca;
        TestAuthority unknown;
        ca.trustInThisProcess();
        ScriptedServer tls(
            (trusted ? ca : unknown).issue({QStringLiteral("127.0.0.1")}).serverConfiguration());
        tls.on("/d/f.mp3", Reply::generated(400000).inPieces(65536, 5));
        const QPointer<TfmTelechargement> w = new TfmTelechargement;
        w->Start(QString::fromLatin1("https://" + tls.hostPort() + "/d/f.mp3"));
        QCOMPARE(proposed, QStringList{QStringLiteral("f.mp3")});
        if (!trusted) {
            QVERIFY(tls.requests().isEmpty());
            QCOMPARE(w->lblNomFichier->text(), QStringLiteral("Erreur"));
            w->btnAnnule->click();
            QTRY_VERIFY(w.isNull());
            return;
        }
        QTRY_VERIFY(w.isNull());
        QCOMPARE(readAll(answer), generatedBody(400000));
        QCOMPARE(tls.requests().value(0).header("Referer"), "https://" + tls.hostPort() + "/");
    }

    void noSizeLeavesBarAtZero()
    {
        server->on("/f.mp3", Reply::generated(200000, false).inPieces(20000, 5));
        int highest = -1;
        TfmTelechargement* seenWindow = nullptr;
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                if (auto* w = qobject_cast<TfmTelechargement*>(top); w && w->isVisible()) {
                    seenWindow = w;
                    highest = std::max(highest, w->pbAvancement->value());
                }
            }
        });
        watch.start(2);
        const QPointer<TfmTelechargement> w = download("/f.mp3");
        watch.stop();
        QVERIFY(seenWindow);
        QCOMPARE(highest, 0);
        QTRY_VERIFY(w.isNull());
        QCOMPARE(readAll(answer), generatedBody(200000));
    }

    // Whatever stops a download, the file the user already had under the chosen
    // name stays exactly as it was; what arrived waits in the .part beside it.
    void failureKeepsTheOldFile_data()
    {
        // partSize: -1: no .part
        // bar: what the bar shows
        // obstacle: in the way of the .part
        zv::test::columns<QByteArray, qint64, int, QString>("path", "partSize", "bar", "obstacle");
        zv::test::row("404", QByteArray("/absent.mp3"), qint64(-1), 0, "");
        zv::test::row("500", QByteArray("/panne.mp3"), qint64(-1), 0, "");
        zv::test::row("cut short", QByteArray("/coupe.mp3"), qint64(3000), 60, "");
        zv::test::row("nobody listening", QByteArray(), qint64(-1), 0, "");
        // What root cannot write either: a folder where the .part goes, a name
        // longer than the file system takes.
        zv::test::row("no room for the .part", QByteArray("/f.mp3"), qint64(-2), 0, "folder");
        zv::test::row("name too long", QByteArray("/f.mp3"), qint64(-1), 0, "long name");
    }
    void failureKeepsTheOldFile()
    {
        QFETCH(QByteArray, path);
        QFETCH(qint64, partSize);
        QFETCH(int, bar);
        QFETCH(QString, obstacle);
        server->on("/f.mp3", Reply::generated(5000));
        if (obstacle == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(answer + QStringLiteral(".part")));
        else if (obstacle == QLatin1String("long name"))
            answer = dir->filePath(QString(300, QLatin1Char('n')) + QStringLiteral(".mp3"));
        server->on("/absent.mp3", Reply::status(404, "introuvable"));
        server->on("/panne.mp3", Reply::status(500, QByteArray(5000, 'e')));
        const QByteArray head = "HTTP/1.0 200 OK\r\nContent-Length: 5000\r\n\r\n";
        server->on("/coupe.mp3", Reply::raw(head + generatedBody(5000)).closeAfter(head.size() + 3000));
        const QByteArray old = "ancienne chanson";
        if (obstacle != QLatin1String("long name"))
            writeFile(answer, old);
        QPointer<TfmTelechargement> w;
        if (path.isEmpty()) {
            // A port nobody listens on any more.
            const QByteArray dead = server->hostPort();
            server.reset();
            w = new TfmTelechargement;
            w->Start(QString::fromLatin1("http://" + dead + "/x.mp3"));
        } else {
            w = download(path);
        }
        QVERIFY(w);
        QVERIFY(w->isVisible());
        QCOMPARE(w->lblNomFichier->text(), QStringLiteral("Erreur"));
        QVERIFY(w->btnReprendre->isVisible());
        // The bar shows what of the file arrived, never an error page.
        QCOMPARE(w->pbAvancement->value(), bar);
        // It waits for "Annuler"; the file stays.
        QTest::qWait(300);
        QVERIFY(w);
        w->btnAnnule->click();
        QTRY_VERIFY(w.isNull());
        if (obstacle == QLatin1String("long name")) {
            QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList());
            return;
        }
        QCOMPARE(readAll(answer), old);
        const QString part = answer + QStringLiteral(".part");
        if (partSize != -2)
            QCOMPARE(QFileInfo(part).exists() ? QFileInfo(part).size() : -1, partSize);
    }

    // "Reprendre" after a cut asks only for the rest and ends with the whole file.
    void resumeAfterACut()
    {
        const QByteArray body = generatedBody(100000);
        int asked = 0;
        QByteArray range;
        server->setResponder([&](const Request& r) -> std::optional<Reply> {
            const QByteArray validator = "ETag: \"e1\"\r\n";
            if (++asked == 1) {
                const QByteArray head = "HTTP/1.0 200 OK\r\n" + validator + "Content-Length: 100000\r\n\r\n";
                return Reply::raw(head + body).closeAfter(head.size() + 40000);
            }
            range = r.header("Range");
            return Reply::raw("HTTP/1.0 206 Partial Content\r\n" + validator
                + "Content-Range: bytes 40000-99999/100000\r\nContent-Length: 60000\r\n\r\n"
                + body.mid(40000));
        });
        writeFile(answer, "ancienne chanson");
        const QPointer<TfmTelechargement> w = download("/f.mp3");
        QVERIFY(w && w->btnReprendre->isVisible());
        w->btnReprendre->click();
        QTRY_VERIFY(w.isNull());
        QCOMPARE(range, QByteArray("bytes=40000-"));
        QVERIFY(readAll(answer) == body);
        QVERIFY(!QFile::exists(answer + QStringLiteral(".part")));
    }

    void escapeCancelsSlowTransfer()
    {
        server->on("/lent.mp3", Reply::generated(1000000).inPieces(1000, 20));
        QPointer<TfmTelechargement> seen;
        QTimer::singleShot(300, this, [&] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                if (auto* w = qobject_cast<TfmTelechargement*>(top)) {
                    seen = w;
                    QTest::keyClick(w, Qt::Key_Escape);
                }
            }
        });
        const QPointer<TfmTelechargement> w = download("/lent.mp3");
        QVERIFY(seen);
        // Start came back as soon as the transfer stopped; the window waits for
        // its timer, then frees itself, keeping what was received.
        QVERIFY(w);
        QVERIFY(w->timAnnulation->isActive());
        QCOMPARE(w->lblNomFichier->text(), QStringLiteral("lent.mp3"));
        QTRY_VERIFY(w.isNull());
        QVERIFY(!QFile::exists(answer));
        const qint64 size = QFileInfo(answer + QStringLiteral(".part")).size();
        QVERIFY(size > 0 && size < 1000000);
    }

    void nothingToSave_data()
    {
        zv::test::columns<QByteArray, QString, int>("path", "choice", "asked");
        zv::test::row("ends in a slash", QByteArray("/dir/"), QStringLiteral("x"), 0);
        zv::test::row("dialog cancelled", QByteArray("/dir/f.mp3"), QString(), 1);
    }
    void nothingToSave()
    {
        QFETCH(QByteArray, path);
        QFETCH(QString, choice);
        QFETCH(int, asked);
        answer = choice;
        const QPointer<TfmTelechargement> w = download(path);
        QCOMPARE(proposed.size(), asked);
        QTRY_VERIFY(w.isNull());
        QTest::qWait(100);
        QVERIFY(server->requests().isEmpty());
    }

    void realSaveDialog_data() { zv::test::flagRows("accept", "cancelled", "saved"); }
    void realSaveDialog()
    {
        QFETCH(bool, accept);
        TfmTelechargement::setSaveDialog({});
        server->on("/d/chanson.rbs", Reply::ok("musique"));
        QString title, offered, openedIn;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!d)
                return;
            poll.stop();
            title = d->windowTitle();
            openedIn = d->directory().absolutePath();
            offered = QFileInfo(d->selectedFiles().value(0)).fileName();
            if (accept) {
                // The proposed name, in our folder.
                d->setDirectory(dir->path());
                QMetaObject::invokeMethod(d, "accept");
            } else {
                d->reject();
            }
        });
        poll.start(20);
        const QPointer<TfmTelechargement> w = download("/d/chanson.rbs");
        QCOMPARE(title, QStringLiteral("Enregistrer sous..."));
        QCOMPARE(offered, QStringLiteral("chanson.mp3"));
        // The user's folders, never the program's working folder.
        QVERIFY(openedIn != QDir::currentPath() && QFileInfo(openedIn).isDir());
        QTRY_VERIFY(w.isNull());
        const QString saved = dir->filePath(QStringLiteral("chanson.mp3"));
        QCOMPARE(QFile::exists(saved), accept);
        if (accept)
            QCOMPARE(readAll(saved), QByteArray("musique"));
        QCOMPARE(server->requests().size(), accept ? 1 : 0);
    }

    void severalAtOnce()
    {
        // The second starts while the first is still receiving.
        server->on("/un.mp3", Reply::ok(generatedBody(40000)).inPieces(2000, 10));
        server->on("/deux.mp3", Reply::ok("deuxième fichier"));
        const QString first = dir->filePath(QStringLiteral("un.mp3"));
        const QString second = dir->filePath(QStringLiteral("deux.mp3"));
        answer = first;
        QPointer<TfmTelechargement> inner;
        QTimer::singleShot(50, this, [&] {
            answer = second;
            inner = download("/deux.mp3");
        });
        const QPointer<TfmTelechargement> outer = download("/un.mp3");
        QTRY_VERIFY(outer.isNull() && inner.isNull());
        QCOMPARE(readAll(first), generatedBody(40000));
        QCOMPARE(readAll(second), QByteArray("deuxième fichier"));
    }

    void allRunTogether_data()
    {
        // lateFirstByteMs: the last one's answer starts this late
        zv::test::columns<int, int>("count", "lateFirstByteMs");
        zv::test::row("two", 2, 0);
        zv::test::row("three", 3, 0);
        zv::test::row("three, the last one late", 3, 300);
    }
    void allRunTogether()
    {
        // Each download starts while the ones before it wait; every one keeps
        // receiving (its bar moves) while the others run, and all end whole.
        QFETCH(int, count);
        QFETCH(int, lateFirstByteMs);
        const qint64 size = 600000;
        QList<QPointer<TfmTelechargement>> windows;
        QStringList files;
        for (int i = 0; i < count; ++i) {
            Reply reply = Reply::generated(size).inPieces(6000, 5);
            if (i == count - 1 && lateFirstByteMs > 0)
                reply.delayed(lateFirstByteMs);
            server->on("/f" + QByteArray::number(i) + ".mp3", reply);
            files << dir->filePath(QStringLiteral("f%1.mp3").arg(i));
        }
        const auto startNext = [&] {
            const int i = int(windows.size());
            answer = files[i];
            auto* w = new TfmTelechargement;
            windows << w;
            w->Start(QString::fromLatin1(server->url("/f" + QByteArray::number(i) + ".mp3")));
        };
        connect(server.get(), &ScriptedServer::requestReceived, this, [&](const Request&) {
            if (windows.size() < count)
                QTimer::singleShot(0, this, startNext);
        });
        // The bar values of each window, sampled while all of them are on the wire.
        QList<QSet<int>> together(count);
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            if (windows.size() < count)
                return;
            for (const auto& w : windows) {
                if (!w || !w->nmhFichier->Connected())
                    return;
            }
            for (int i = 0; i < count; ++i)
                together[i] << windows[i]->pbAvancement->value();
        });
        watch.start(5);
        startNext();
        const auto allGone = [&] {
            return windows.size() == count
                && std::all_of(windows.begin(), windows.end(), [](const auto& w) { return w.isNull(); });
        };
        QTRY_VERIFY_WITH_TIMEOUT(allGone(), 30000);
        watch.stop();
        for (int i = 0; i < count; ++i) {
            QVERIFY2(together[i].size() >= 2, qPrintable(QStringLiteral("download %1 stood still").arg(i)));
            QVERIFY(readAll(files[i]) == generatedBody(size));
        }
    }

    void cancelWhileANeverAnsweringRequestWaits()
    {
        server->on("/lent.mp3", Reply::generated(1000000).inPieces(1000, 20));
        server->on("/jamais", Reply::never());
        TNMHTTP never;
        QPointer<TfmTelechargement> window;
        bool goneWhileWaiting = false;
        connect(server.get(), &ScriptedServer::requestReceived, this, [&](const Request& r) {
            if (r.path == "/lent.mp3") {
                // Something else waits above the download, and never ends by itself.
                QTimer::singleShot(
                    0, this, [&] { zv::swallowed([&] { never.Get(server->url("/jamais")); }); });
            } else if (r.path == "/jamais") {
                QTimer::singleShot(0, this, [&] {
                    auto release = qScopeGuard([&] { never.Abort(); });
                    QTRY_VERIFY(window && window->nmhFichier->BytesReceived > 0);
                    window->btnAnnule->click();
                    QTRY_VERIFY(window.isNull());
                    goneWhileWaiting = never.Busy();
                    QTRY_COMPARE(server->openConnections(), 1); // the download's is closed
                });
            }
        });
        QTimer::singleShot(0, this, [&] { window = owner_.findChild<TfmTelechargement*>(); });
        window = download("/lent.mp3", &owner_);
        QVERIFY(goneWhileWaiting);
        QVERIFY(window.isNull());
        const qint64 size = QFileInfo(answer + QStringLiteral(".part")).size();
        QVERIFY(size > 0 && size < 1000000);
    }

    void ownerClosedDuringTransfer()
    {
        server->on("/lent.mp3", Reply::generated(1000000).inPieces(1000, 20));
        auto* owner = new QWidget;
        QPointer<QWidget> ownerAlive(owner);
        QTimer::singleShot(200, this, [&] { delete owner; });
        const QPointer<TfmTelechargement> w = download("/lent.mp3", owner);
        QVERIFY(w.isNull());
        QVERIFY(ownerAlive.isNull());
        QTRY_COMPARE(server->openConnections(), 0);
    }
};

QTEST_MAIN(TestDownload)
#include "tst_download.moc"
