// The files and podcast tabs of the main window against the scripted portal,
// with players that play nothing.
#include "app/config.h"
#include "portal/nmhttp.h"
#include "portal/textutil.h"
#include "support/mainwindowrig.h"
#include "support/modalanswerer.h"
#include "support/table.h"
#include "support/viewrows.h"
#include "ui/browser/webbrowser.h"
#include "ui/controls/btngraph.h"
#include "ui/main/entrymodel.h"
#include "ui/main/fenprinc.h"
#include "ui/themes/themes.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

using namespace zv::test;

namespace {

const QString OwnRoot = QStringLiteral("Mes podcasts");

// "caption|address" of each row.
QStringList rows(const QAbstractItemView* list)
{
    return texts(list, {Qt::DisplayRole, zv::AddressRole});
}

// "name|folder" of each file.
QStringList files(const QAbstractItemView* list)
{
    return texts(list, {Qt::DisplayRole, zv::FolderRole});
}

} // namespace

class TestFenPrincPodcast : public MainWindowTest {
    Q_OBJECT

private slots:
    void catalogueTree_data()
    {
        zv::test::columns<QByteArray, QString, int>("catalogue", "tree", "errorCount");
        zv::test::row("same groups share their nodes",
            QByteArray("1\tSciences\tEspace\tA\tf1\r\n2\tSciences\tEspace\tB\tf2\r\n"
                       "3\tSciences\tNature\tC\tf3\r\n4\tCulture\tCin\xe9ma\tD\tf4\r\n"),
            QStringLiteral("Sciences{Espace{A,B},Nature{C}};Culture{Cinéma{D}}"), 0);
        zv::test::row("only consecutive lines group",
            QByteArray("1\tS\tE\tA\tf\r\n2\tC\tE\tB\tf\r\n3\tS\tE\tC\tf\r\n"),
            QStringLiteral("S{E{A}};C{E{B}};S{E{C}}"), 0);
        zv::test::row("case matters", QByteArray("1\tS\tE\tA\tf\r\n2\ts\tE\tB\tf\r\n"),
            QStringLiteral("S{E{A}};s{E{B}}"), 0);
        zv::test::row("bad lines skipped and reported",
            QByteArray("1\tS\tE\tA\tf\r\nzz\tS\tE\tX\tf\r\n2\tS\tE\r\n3\tS\tE\tB\tf"),
            QStringLiteral("S{E{A,B}}"), 1);
        zv::test::row("empty answer", QByteArray(), QString(), 0);
    }
    void catalogueTree()
    {
        QFETCH(QByteArray, catalogue);
        QFETCH(QString, tree);
        QFETCH(int, errorCount);
        rig->portal.set("/exe/podcast.php", Reply::ok(catalogue, "text/plain"));
        auto w = rig->start();
        emit w->btnFctMOD->clicked();
        // The user's own podcasts close the tree.
        QCOMPARE(dump(w->tvMODPodcast), tree.isEmpty() ? OwnRoot : tree + u';' + OwnRoot);
        QCOMPARE(int(rig->errors.size()), errorCount);
        if (errorCount)
            QVERIFY2(
                rig->errors.first().contains(QLatin1String("lignes 2, 3")), qPrintable(rig->errors.first()));
        for (int i = 0; i < rowCount(w->tvMODPodcast); ++i)
            QVERIFY(w->tvMODPodcast->isExpanded(at(w->tvMODPodcast, i)));
    }

    void podcastFeedAndPlay()
    {
        const QByteArray feed
            = "<?xml version=\"1.0\"?><rss><channel><title>\xc3\x89toiles</title>"
              "<image><url>http://pics.example/etoiles.png</url></image>"
              "<itunes:image href=\"http://pics.example/autre.png\"/>"
              "<item><title>Premi\xc3\xa8re &amp; derni\xc3\xa8re</title>"
              "<enclosure url=\"http://media.example/ep1.mp3\" length=\"10\" type=\"audio/mpeg\"/></item>"
              "<item><title>Deux</title><enclosure url=\"http://media.example/ep2.mp3\"></enclosure></item>"
              "<item><title><![CDATA[L\xe2\x80\x99\xc3\xa9t\xc3\xa9 sans fichier]]></title></item>"
              "</channel></rss>";
        rig->server.on("/feeds/etoiles.xml", Reply::ok(feed, "application/rss+xml"));
        rig->server.on("/feeds/vide.xml", Reply::ok("<rss></rss>", "application/rss+xml"));
        rig->portal.set("/exe/podcast.php",
            Reply::ok("1\tSciences\tEspace\tLes \xe9toiles\t" + rig->url("/feeds/etoiles.xml")
                    + "\r\n"
                      "007\tSciences\tEspace\tRien\t"
                    + rig->url("/feeds/vide.xml")
                    + "\r\n"
                      "8\tSciences\tEspace\tSans flux\t\r\n",
                "text/plain"));
        auto w = rig->startPodcasts();
        const QModelIndex group = at(w->tvMODPodcast, 0);
        QVERIFY(group.isValid());
        const QModelIndex sub = at(w->tvMODPodcast, 0, group);
        w->tvMODPodcast->setExpanded(sub, true);

        // Groups fetch nothing.
        doubleClick(w->tvMODPodcast, group);
        doubleClick(w->tvMODPodcast, sub);
        w->tvMODPodcast->setExpanded(sub, true);
        w->tvMODPodcast->setExpanded(group, true);
        QCOMPARE(rig->countPrefix("/feeds/"), 0);

        doubleClick(w->tvMODPodcast, at(w->tvMODPodcast, 0, sub));
        QCOMPARE(rig->countPrefix("/feeds/etoiles.xml"), 1);
        QCOMPARE(rows(w->lvMODPodcast),
            (QStringList{QStringLiteral("Première & dernière|http://media.example/ep1.mp3"),
                QStringLiteral("Deux|http://media.example/ep2.mp3"), QStringLiteral("L’été sans fichier|")}));
        QCOMPARE(w->lvMODPodcast->columnWidth(0), w->lvMODPodcast->width() - 20);
        // The picture page, on the list's colour, the address as it stands.
        const QByteArray picture = "/exe/podcast_image.php?couleur="
            + ColorToHtml(w->lvMODPodcast->palette().color(QPalette::Base))
            + "&url=http://pics.example/etoiles.png";
        QTRY_COMPARE(rig->countPrefix(picture), 1);

        // An item without an enclosure plays nothing and says nothing; one with it plays.
        doubleClick(w->lvMODPodcast, at(w->lvMODPodcast, 2));
        QCOMPARE(rig->errors, QStringList{});
        QVERIFY(rig->engines.sources().isEmpty());
        doubleClick(w->lvMODPodcast, at(w->lvMODPodcast, 1));
        QCOMPARE(rig->engines.sources(), QStringList{QStringLiteral("http://media.example/ep2.mp3")});

        // "007" is found as 7; a feed without a channel empties the list and the picture.
        doubleClick(w->tvMODPodcast, at(w->tvMODPodcast, 1, sub));
        QCOMPARE(rig->countPrefix("/feeds/vide.xml"), 1);
        QCOMPARE(rowCount(w->lvMODPodcast), 0);
        QTRY_COMPARE(w->wbMODPodcast->url(), QUrl(QStringLiteral("about:blank")));

        // An id that is not in the table has no address: the request says so.
        (*w->PodcastFeeds)[0].first = "99";
        doubleClick(w->tvMODPodcast, at(w->tvMODPodcast, 0, sub));
        QCOMPARE(rig->errors, QStringList{QStringLiteral("URL vide")});
        QCOMPARE(rig->countPrefix("/feeds/"), 2);
        // Nor has a podcast listed without its feed.
        rig->errors.clear();
        doubleClick(w->tvMODPodcast, at(w->tvMODPodcast, 2, sub));
        QCOMPARE(rig->errors, QStringList{QStringLiteral("URL vide")});
        QCOMPARE(rig->countPrefix("/feeds/"), 2);
    }

    void closedWhileFeedWaits()
    {
        // The feed never comes and the user closes the window: the wait ends
        // silently and the episode list is left alone.
        rig->server.on("/feeds/jamais.xml", Reply::never());
        rig->portal.set(
            "/exe/podcast.php", Reply::ok("1\tS\tE\tJamais\t" + rig->url("/feeds/jamais.xml"), "text/plain"));
        auto w = rig->startPodcasts();
        w->lvMODPodcastModel->append({.kind = zv::EntryKind::Episode, .caption = QStringLiteral("avant")});
        const QModelIndex podcast = at(w->tvMODPodcast, {0, 0, 0});
        select(w->tvMODPodcast, podcast);
        bool ended = false, busyAtClose = false;
        QTimer::singleShot(0, w.get(), [&] {
            emit w->tvMODPodcast->doubleClicked(podcast);
            ended = true;
        });
        QTimer::singleShot(400, w.get(), [&] {
            busyAtClose = w->nmhMODPodcastDetail->Busy();
            w->close();
        });
        QTRY_VERIFY(ended);
        QVERIFY(busyAtClose);
        QVERIFY(rig->errors.isEmpty());
        QCOMPARE(rowCount(w->lvMODPodcast), 1);
        w.reset();
    }

    void openFiles()
    {
        QTemporaryDir dir;
        const QString a = dir.filePath(QStringLiteral("clip.avi")),
                      b = dir.filePath(QStringLiteral("Été.MP3"));
        for (const QString& f : {a, b}) {
            QFile file(f);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QStringList answer = {a, b};
        TfmPrinc::setFichierDialog([&](QWidget*) { return answer; });
        auto w = rig->start();
        emit w->btnFctMOD->clicked();
        w->pcMOD->setCurrentWidget(w->tsMODFichier);
        w->btnMODFichierOuvrir->click();
        const QString folder = QDir::toNativeSeparators(dir.path()) + QDir::separator();
        QCOMPARE(files(w->lvMODFichier),
            (QStringList{QStringLiteral("clip.avi|") + folder, QStringLiteral("Été.MP3|") + folder}));
        // Cancelled: the list stays.
        answer.clear();
        w->btnMODFichierOuvrir->click();
        QCOMPARE(rowCount(w->lvMODFichier), 2);

        doubleClick(w->lvMODFichier, at(w->lvMODFichier, 1));
        QCOMPARE(rig->engines.sources(), QStringList{folder + QStringLiteral("Été.MP3")});
    }

    void realFileDialog()
    {
        // Qt's dialog itself: its title and filter, upper-case patterns that
        // also take lower-case names, several files at once.
        QTemporaryDir dir;
        for (const char* name : {"clip.avi", "Film.MPG", "chanson.mp3", "notes.txt"}) {
            QFile file(dir.filePath(QLatin1String(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        auto w = rig->start();
        emit w->btnFctMOD->clicked();
        QString title;
        QStringList filters, shown;
        QString selectedFilter;
        QFileDialog::FileMode mode = QFileDialog::AnyFile;
        int tries = 0;
        ModalAnswerer answer;
        answer.on<QFileDialog>([&](QFileDialog* d) {
            if (title.isEmpty()) {
                title = d->windowTitle();
                filters = d->nameFilters();
                selectedFilter = d->selectedNameFilter();
                mode = d->fileMode();
                d->setDirectory(dir.path());
            }
            auto* view = d->findChild<QListView*>(QStringLiteral("listView"));
            if (!view || !view->model())
                return;
            const QModelIndex root = view->rootIndex();
            QStringList names;
            for (int i = 0; i < view->model()->rowCount(root); ++i) {
                const QModelIndex index = view->model()->index(i, 0, root);
                names << index.data().toString();
                if (names.last() != QLatin1String("chanson.mp3"))
                    view->selectionModel()->select(
                        index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
            }
            if (names.size() < 3) {
                if (++tries > 100)
                    d->reject(); // the files never showed: fail, do not hang
                return;
            }
            names.sort();
            shown = names;
            if (auto* box = d->findChild<QDialogButtonBox*>())
                box->button(QDialogButtonBox::Open)->click();
        });
        w->btnMODFichierOuvrir->click();
        QCOMPARE(title, QStringLiteral("Ouvrir des fichiers multimédia"));
        QCOMPARE(filters,
            (QStringList{QStringLiteral("Fichiers vidéo et audio (*.AVI *.MPG *.MPEG *.MP3 *.WMV *.FLV)"),
                QStringLiteral("Autres fichiers vidéo et audio (*.MP4 *.MKV *.WEBM *.OGG *.FLAC *.M4A)"),
                QStringLiteral("Tous les fichiers (*)")}));
        QCOMPARE(selectedFilter, filters.first());
        QCOMPARE(mode, QFileDialog::ExistingFiles);
        QCOMPARE(shown,
            (QStringList{
                QStringLiteral("Film.MPG"), QStringLiteral("chanson.mp3"), QStringLiteral("clip.avi")}));
        QStringList names = texts(w->lvMODFichier);
        names.sort();
        QCOMPARE(names, (QStringList{QStringLiteral("Film.MPG"), QStringLiteral("clip.avi")}));
    }

    void openAddress_data()
    {
        zv::test::columns<QString, QString>("typed", "row");
        zv::test::row("address", QStringLiteral("http://media.example/dossier/clip.mp3"),
            QStringLiteral("clip.mp3|http://media.example/dossier/"));
        zv::test::row("no slash", QStringLiteral("mms:flux"), QStringLiteral("|mms:flux"));
        zv::test::row("trailing slash", QStringLiteral("http://radio.example/"),
            QStringLiteral("|http://radio.example/"));
        zv::test::row("a usual address",
            QStringLiteral(
                "http://videos.zevalo-multimedia.fr/clips/2007/les-etoiles-filantes-nuit-d-ete.wmv"),
            QStringLiteral(
                "les-etoiles-filantes-nuit-d-ete.wmv|http://videos.zevalo-multimedia.fr/clips/2007/"));
    }
    void openAddress()
    {
        QFETCH(QString, typed);
        QFETCH(QString, row);
        auto w = rig->start();
        emit w->btnFctMOD->clicked();
        w->pcMOD->setCurrentWidget(w->tsMODFichier);
        w->lvMODFichierModel->append({.kind = zv::EntryKind::File,
            .caption = QStringLiteral("ancien"),
            .address = QStringLiteral("/tmp/ancien"),
            .folder = QStringLiteral("/tmp/")});

        QString title, label, initial;
        bool cancel = true, whole = false;
        ModalAnswerer answer;
        answer.on<QInputDialog>([&](QInputDialog* d) {
            title = d->windowTitle();
            label = d->labelText();
            initial = d->textValue();
            d->setTextValue(typed);
            // The field shows the whole address.
            const auto* field = d->findChild<QLineEdit*>();
            whole
                = field && field->fontMetrics().horizontalAdvance(typed) < field->contentsRect().width() - 8;
            if (cancel)
                d->reject();
            else
                d->accept();
        });

        w->btnMODFichierOuvrirURL->click();
        QCOMPARE(title, QStringLiteral("Ouvrir une URL..."));
        QCOMPARE(label, QStringLiteral("URL :"));
        QCOMPARE(initial, QString());
        QVERIFY(whole);
        QCOMPARE(files(w->lvMODFichier), QStringList{QStringLiteral("ancien|/tmp/")});

        cancel = false;
        w->btnMODFichierOuvrirURL->click();
        QCOMPARE(files(w->lvMODFichier), QStringList{row});
        w->show();
        doubleClick(w->lvMODFichier, at(w->lvMODFichier, 0));
        QCOMPARE(rig->engines.sources(), QStringList{typed});
    }

    void searchTabTakesFocus()
    {
        auto w = rig->start();
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        emit w->btnFctMOD->clicked();
        w->pcMOD->setCurrentWidget(w->tsMODPodcast);
        w->tvMODPodcast->setFocus();
        w->pcMOD->setCurrentWidget(w->tsMODRecherche);
        QTRY_VERIFY(w->edtMODRecherche->hasFocus());
    }
};

QTEST_MAIN(TestFenPrincPodcast)
#include "tst_fenprinc_podcast.moc"
