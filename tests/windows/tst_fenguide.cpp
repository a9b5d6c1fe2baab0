// The guide window: one channel's day in the user's local time whatever
// offset the guide wrote, the programme on now marked and chosen, days
// changed and the window closed with the keyboard alone.
#include "portal/tv/xmltv.h"
#include "support/table.h"
#include "ui/windows/fenguide.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <ctime>

namespace {

// Paris time. Programmes written in three offsets, one crossing midnight.
std::shared_ptr<const zv::GuideIndex> guide()
{
    return zv::ReadGuide(R"(<?xml version="1.0" encoding="UTF-8"?><tv>
<channel id="z"><display-name>Zevalo</display-name></channel>
<programme start="20250512060000 +0000" stop="20250512070000 +0000" channel="z"><title>Matin</title></programme>
<programme start="20250512150000 -0400" stop="20250512173000 -0400" channel="z"><title>Journal</title>
  <sub-title>Édition du soir</sub-title><desc>Les nouvelles du jour.</desc></programme>
<programme start="20250512233000 +0200" stop="20250513013000 +0200" channel="z"><title>Nuit</title></programme>
<programme start="20250513120000 +0200" stop="20250513130000 +0200" channel="z"><title>Midi</title></programme>
</tv>)")
        .index;
}

QStringList rows(const TfmGuide& w)
{
    QStringList out;
    for (int i = 0; i < w.lvProgrammes->topLevelItemCount(); ++i)
        out << w.lvProgrammes->topLevelItem(i)->text(0) + u'|' + w.lvProgrammes->topLevelItem(i)->text(1);
    return out;
}

} // namespace

class TestFenGuide : public QObject {
    Q_OBJECT

private slots:
    void days_data()
    {
        zv::test::columns<QList<int>, QString, QStringList, QString>("keys", "day", "rows", "detail");
        zv::test::row("today", QList<int>(), "Aujourd'hui, lundi 12 mai 2025",
            QStringList{"08:00 – 09:00|Matin", "21:00 – 23:30|En ce moment : Journal — Édition du soir",
                "23:30 – 01:30|Nuit"},
            "21:00 – 23:30  Journal\nÉdition du soir\nLes nouvelles du jour.");
        zv::test::row("the next day", QList<int>{Qt::Key_Right}, "mardi 13 mai 2025",
            QStringList{"23:30 – 01:30|Nuit", "12:00 – 13:00|Midi"}, "23:30 – 01:30  Nuit");
        zv::test::row("the day before", QList<int>{Qt::Key_Left}, "dimanche 11 mai 2025",
            QStringList{"|Aucun programme ce jour-là."}, "");
        zv::test::row("there and back", QList<int>{Qt::Key_Right, Qt::Key_Right, Qt::Key_Left, Qt::Key_Left},
            "Aujourd'hui, lundi 12 mai 2025", QStringList(), "");
    }
    void days()
    {
        QFETCH(QList<int>, keys);
        QFETCH(QString, day);
        QFETCH(QStringList, rows);
        QFETCH(QString, detail);
        TfmGuide w;
        w.setClock([] { return QDateTime::fromString(u"2025-05-12T20:00:00Z"_qs, Qt::ISODate); });
        w.showChannel(u"Zevalo Météo"_qs, guide(), 0);
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QCOMPARE(w.windowTitle(), u"Guide des programmes – Zevalo Météo"_qs);
        for (const int key : keys)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
        QCOMPARE(w.lblJour->text(), day);
        if (!rows.isEmpty())
            QCOMPARE(::rows(w), rows);
        if (!detail.isEmpty() || rows.size() == 1)
            QCOMPARE(w.lblDetail->text(), detail);
    }

    void escapeCloses()
    {
        auto* w = new TfmGuide;
        QPointer<TfmGuide> alive(w);
        w->showChannel(u"Zevalo"_qs, guide(), 0);
        w->show();
        QVERIFY(QTest::qWaitForWindowActive(w));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTRY_VERIFY(!alive);
    }

    // A channel the guide does not have, or no guide at all: an empty day.
    void nothingToShow()
    {
        TfmGuide w;
        w.showChannel(u"Inconnue"_qs, guide(), 7);
        QCOMPARE(rows(w), QStringList{"|Aucun programme ce jour-là."});
        w.showChannel(u"Inconnue"_qs, nullptr, 0);
        QCOMPARE(rows(w), QStringList{"|Aucun programme ce jour-là."});
    }
};

int main(int argc, char** argv)
{
    // Local time is Paris time here, whatever the machine's.
    qputenv("TZ", "Europe/Paris");
    tzset();
    QApplication app(argc, argv);
    TestFenGuide test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_fenguide.moc"
