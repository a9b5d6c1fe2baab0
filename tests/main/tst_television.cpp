// The channel list as TV players show it, through the window and the demo
// portal's own list: the list added by its address, narrowed by typing, a
// row kept in "Mes chaînes" and played from there, now/next in the rows and
// in the status area; the list and "Mes chaînes" outlive the window.
#include "app/config.h"
#include "portal/tv/ownlistloader.h"
#include "portal/userstate.h"
#include "support/demotelevision.h"
#include "support/mainwindowrig.h"
#include "support/modalanswerer.h"
#include "support/table.h"
#include "support/viewrows.h"
#include "ui/controls/btngraph.h"
#include "ui/main/playqueue.h"
#include "ui/tv/channelfilter.h"
#include "ui/tv/channelroles.h"
#include "ui/tv/ownlistmodel.h"
#include "ui/windows/fenajoutliste.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QTest>
#include <QTimer>

using namespace zv::test;

class TestTelevision : public MainWindowTest {
    Q_OBJECT

    // Adds the demo list through "Ajouter une liste…" and waits for its rows.
    void addDemoList(TfmPrinc* w, const QString& address)
    {
        // Copies an earlier database left in the cache under the ids the new
        // list may get: another list's, never shown as this one.
        for (qint64 id = 1; id <= 3; ++id) {
            QDir().mkpath(QFileInfo(zv::OwnListLoader::cacheFile(id)).path());
            QFile stale(zv::OwnListLoader::cacheFile(id));
            QVERIFY(stale.open(QIODevice::WriteOnly));
            stale.write("#EXTM3U\n#EXTINF:-1,Ancienne\nhttp://127.0.0.1:9/ancienne.wmv\n");
        }
        ModalAnswerer modals;
        modals.on<TfmAjoutListe>([&](TfmAjoutListe* d) {
            d->edtAdresse->setText(address);
            d->edtNom->setText(QStringLiteral("Démo"));
            d->accept();
        });
        const int add = w->cmbBouquet->count() - 1;
        w->cmbBouquet->setCurrentIndex(add);
        emit w->cmbBouquet->activated(add);
        QCOMPARE(w->cmbBouquet->currentText(), QStringLiteral("Démo"));
        QTRY_COMPARE_WITH_TIMEOUT(rowCount(w->lvListeCanaux), int(demoOwnList().channels.size()), 20000);
    }

private slots:
    void demoListFilteredKeptPlayed_data()
    {
        // shown: in the list's order; the last is played and kept
        zv::test::columns<QString, QStringList>("typed", "shown");
        zv::test::row("accents and case aside", "mete",
            QStringList{QStringLiteral("Zevalo Météo, la chaîne du temps")});
        zv::test::row("on the group too", "INFORMATION",
            QStringList{QStringLiteral("Bruxelles Infos"), QStringLiteral("Québec Matin"),
                QStringLiteral("Zevalo Météo, la chaîne du temps")});
        zv::test::row("typed with accents", "léman télé", QStringList{QStringLiteral("Léman Télévision")});
    }
    void demoListFilteredKeptPlayed()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, shown);
        const QString address = serveDemoTelevision(rig->portal);
        {
            auto w = rig->start();
            w->show();
            QVERIFY(QTest::qWaitForWindowActive(w.get()));
            emit w->btnFctTele->clicked();
            addDemoList(w.get(), address);
            QCOMPARE(w->cmbGroupe->itemText(0), QStringLiteral("Toutes les chaînes"));
            QVERIFY(!w->cmbGroupe->isHidden());

            w->activateWindow(); // no window manager gives it back after the dialog
            QVERIFY(QTest::qWaitForWindowActive(w.get()));
            w->lvListeCanaux->setFocus();
            QTest::keyClick(w->lvListeCanaux, Qt::Key_F, Qt::ControlModifier);
            QCOMPARE(QApplication::focusWidget(), w->edtRechercheCanaux);
            for (const QChar c : typed) {
                // QTest types ASCII only; an accented letter arrives as from an input method.
                if (c.unicode() < 128)
                    QTest::keyClick(w->edtRechercheCanaux, c.toLatin1());
                else
                    w->edtRechercheCanaux->insert(c);
            }
            QTRY_COMPARE_WITH_TIMEOUT(texts(w->lvListeCanaux), shown, 10000);
            QTest::keyClick(w->edtRechercheCanaux, Qt::Key_Down);
            QCOMPARE(selected(w->lvListeCanaux).data().toString(), shown.first());
            // A double-click plays the row seen, not the list's row of that number.
            activate(w->lvListeCanaux, at(w->lvListeCanaux, int(shown.size()) - 1));
            const QString url = selected(w->lvListeCanaux).data(zv::AddressRole).toString();
            QCOMPARE(rig->engines.sources().value(0), url);
            // What is on now and next, once the guide the list names is read.
            QTRY_VERIFY_WITH_TIMEOUT(
                !selected(w->lvListeCanaux).data(zv::NowRole).toString().isEmpty(), 20000);
            QVERIFY(!selected(w->lvListeCanaux).data(zv::NextRole).toString().isEmpty());
            QTest::keyClick(w->lvListeCanaux, Qt::Key_D, Qt::ControlModifier);

            // Escape shows every row again, the kept one still chosen.
            QTest::keyClick(w->lvListeCanaux, Qt::Key_Escape);
            QTRY_COMPARE(rowCount(w->lvListeCanaux), int(demoOwnList().channels.size()));
            QCOMPARE(selected(w->lvListeCanaux).data().toString(), shown.last());
            QCOMPARE(w->edtRechercheCanaux->text(), QString());

            // "Mes chaînes" plays it as its list did, and tells what is on.
            w->cmbBouquet->setCurrentIndex(TfmPrinc::MesChainesIndex);
            emit w->cmbBouquet->activated(TfmPrinc::MesChainesIndex);
            QCOMPARE(texts(w->lvListeCanaux), QStringList{shown.last()});
            activate(w->lvListeCanaux, at(w->lvListeCanaux, 0));
            QCOMPARE(rig->engines.sources().value(1), url);
            QVERIFY(w->lblProgramme->text().startsWith(QStringLiteral("En ce moment : ")));
            QVERIFY(!w->lblProgramme->isHidden());
        }
        // The next window has the list and "Mes chaînes".
        TConfig config;
        QCOMPARE(LoadFavoriteChannels(config).size(), std::size_t(1));
        auto w = rig->start();
        QCOMPARE(w->cmbBouquet->itemText(TfmPrinc::MesChainesIndex + 1), QStringLiteral("Démo"));
        QCOMPARE(w->cmbBouquet->itemData(TfmPrinc::MesChainesIndex + 1, Qt::ToolTipRole).toString(),
            QStringLiteral("Démo"));
        // "Mes chaînes" know what is on before their list is opened again.
        emit w->btnFctTele->clicked();
        w->cmbBouquet->setCurrentIndex(TfmPrinc::MesChainesIndex);
        emit w->cmbBouquet->activated(TfmPrinc::MesChainesIndex);
        QCOMPARE(texts(w->lvListeCanaux), QStringList{shown.last()});
        QTRY_VERIFY_WITH_TIMEOUT(!at(w->lvListeCanaux, 0).data(zv::NowRole).toString().isEmpty(), 20000);
    }

    // Renamed, then removed: the chooser and the user state follow, and the
    // channels kept from it stay in "Mes chaînes".
    void ownListRenamedRemoved()
    {
        const QString address = serveDemoTelevision(rig->portal);
        auto w = rig->start();
        emit w->btnFctTele->clicked();
        addDemoList(w.get(), address);
        w->AddMesChaine(zv::sourceIndex(at(w->lvListeCanaux, 0)));
        // The menu key's menu is for the row chosen, wherever the rows stand.
        select(w->lvListeCanaux, at(w->lvListeCanaux, 0));
        QStringList offered;
        QTimer::singleShot(300, [&] {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (auto* menu = qobject_cast<QMenu*>(top); menu && menu->isVisible()) {
                    for (const QAction* a : menu->actions())
                        offered << a->text();
                    menu->close();
                }
        });
        QContextMenuEvent key(QContextMenuEvent::Keyboard, w->lvListeCanaux->rect().bottomLeft());
        QApplication::sendEvent(w->lvListeCanaux, &key);
        QVERIFY2(offered.contains(QStringLiteral("Retirer de Mes chaînes")), qPrintable(offered.join(u'|')));
        QCOMPARE(selected(w->lvListeCanaux), at(w->lvListeCanaux, 0));
        {
            ModalAnswerer modals;
            modals.on<QInputDialog>([](QInputDialog* d) {
                d->setTextValue(QStringLiteral("  Ma   télé "));
                d->accept();
            });
            w->RenameOwnList();
        }
        QCOMPARE(w->cmbBouquet->currentText(), QStringLiteral("Ma télé"));
        QCOMPARE(w->lblListeCanaux->text(), QStringLiteral("Ma télé"));
        QCOMPARE(zv::UserState::instance().ownLists().at(0).name, QStringLiteral("Ma télé"));
        {
            ModalAnswerer modals;
            modals.boxes(QMessageBox::Yes);
            w->RemoveOwnList();
        }
        QVERIFY(zv::UserState::instance().ownLists().empty());
        QCOMPARE(w->cmbBouquet->count(), TfmPrinc::MesChainesIndex + 2);
        QCOMPARE(w->cmbBouquet->currentIndex(), 0);
        QCOMPARE(w->lvMesChainesModel->rowCount(), 1);
    }

    void sourcesTaken_data()
    {
        // problem: the start of the message, empty when taken
        zv::test::columns<QString, QString>("source", "problem");
        zv::test::row("web address", "https://iptv.example/get.php?u=a&p=b&type=m3u_plus", "");
        zv::test::row("nothing", "", "Indiquez");
        zv::test::row("other scheme", "ftp://iptv.example/l.m3u", "Seules");
        zv::test::row("missing file", "/nulle/part/liste.m3u", "Le fichier");
        zv::test::row("a folder", QDir::tempPath(), "Le fichier");
    }
    void sourcesTaken()
    {
        QFETCH(QString, source);
        QFETCH(QString, problem);
        const QString said = TfmAjoutListe::sourceProblem(source);
        QVERIFY2(problem.isEmpty() ? said.isEmpty() : said.startsWith(problem), qPrintable(said));
    }
};

QTEST_MAIN(TestTelevision)
#include "tst_television.moc"
