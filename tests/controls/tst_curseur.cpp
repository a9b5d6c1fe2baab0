#include "support/table.h"
#include "ui/player/cadcurseur.h"

#include <QSignalSpy>
#include <QTest>
#include <cmath>
#include <limits>

namespace {

struct Call {
    int left;
    bool idle;
};

// Records every OnChange with the knob's place and the drag state it saw.
struct Recorder {
    QList<Call> calls;
    void attach(TfrmCurseur& f)
    {
        f.OnChange = [this](TfrmCurseur* s) { calls.append({s->btnCurseur->x(), s->IsIdle()}); };
    }
};

} // namespace

class TstCurseur : public QObject {
    Q_OBJECT
private slots:
    void designed();
    void setFraction_data();
    void setFraction();
    void getFraction_data();
    void getFraction();
    void dragStarts_data();
    void dragStarts();
    void dragMovesAndReleases();
    void dragClamps_data();
    void dragClamps();
    void inactive();
    void handlerDeletesSlider();
    void disabledMidDrag();
    void layouts();
    void narrowerFrameKeepsKnobInside();
};

void TstCurseur::designed()
{
    TfrmCurseur f;
    QCOMPARE(f.size(), QSize(248, 27));
    QCOMPARE(f.btnGlissiere->geometry(), QRect(0, 7, 89, 9));
    QCOMPARE(f.btnCurseur->geometry(), QRect(44, 4, 20, 20));
    QCOMPARE(f.btnGlissiere->Caption(), QStringLiteral("Son"));
    QCOMPARE(f.btnCurseur->Caption(), QStringLiteral("C"));
    QVERIFY(f.btnGlissiere->Actif() && f.btnCurseur->Actif() && f.Actif());
    QVERIFY(f.IsIdle());
    QCOMPARE(f.maxKnobLeft(), 228);
}

void TstCurseur::setFraction_data()
{
    zv::test::columns<int, double, int>("width", "fraction", "left");

    zv::test::row("start", 248, 0.0, 0);
    zv::test::row("end", 248, 1.0, 228);
    zv::test::row("middle", 248, 0.5, 114);
    zv::test::row("above 1", 248, 1.7, 228);
    zv::test::row("below 0", 248, -0.3, 0);
    zv::test::row("huge", 248, 1e300, 228);
    zv::test::row("minus infinity", 248, -std::numeric_limits<double>::infinity(), 0);
    zv::test::row("not a number", 248, std::numeric_limits<double>::quiet_NaN(), 0);
    zv::test::row("nearest, down", 248, 0.3, 68); // 68.4
    zv::test::row("nearest, up", 248, 0.303, 69); // 69.08
    // Range 4: exact halves go to the even neighbour.
    zv::test::row("half to even, 0.5", 24, 0.125, 0);
    zv::test::row("half to even, 2.5", 24, 0.625, 2);
    zv::test::row("half to even, 3.5", 24, 0.875, 4);
    zv::test::row("no range", 20, 0.7, 0);
    zv::test::row("knob wider than frame", 12, 0.7, 0);
}

void TstCurseur::setFraction()
{
    QFETCH(int, width);
    QFETCH(double, fraction);
    QFETCH(int, left);

    TfrmCurseur f;
    f.resize(width, 27);
    Recorder r;
    r.attach(f);
    QSignalSpy spy(&f, &TfrmCurseur::Change);
    f.SetFraction(fraction);
    QCOMPARE(f.btnCurseur->x(), left);
    QCOMPARE(f.btnCurseur->y(), 4);
    QVERIFY(r.calls.isEmpty());
    QCOMPARE(spy.count(), 0);
}

void TstCurseur::getFraction_data()
{
    zv::test::columns<int, int, double>("width", "left", "fraction");
    zv::test::row("start", 248, 0, 0.0);
    zv::test::row("quarter", 248, 57, 0.25);
    zv::test::row("end", 248, 228, 1.0);
    zv::test::row("no range", 20, 0, 0.0);
    zv::test::row("knob wider than frame", 10, 0, 0.0);
}

void TstCurseur::getFraction()
{
    QFETCH(int, width);
    QFETCH(int, left);
    QFETCH(double, fraction);
    TfrmCurseur f;
    f.resize(width, 27);
    f.btnCurseur->move(left, 4);
    const double got = f.GetFraction();
    QVERIFY(std::isfinite(got));
    QCOMPARE(got, fraction);
}

void TstCurseur::dragStarts_data()
{
    zv::test::columns<Qt::MouseButton, Qt::KeyboardModifiers, Qt::MouseButton, bool, bool>(
        "button", "modifiers", "alsoHeld", "doubleClick", "drags");

    const auto none = Qt::KeyboardModifiers();
    zv::test::row("left alone", Qt::LeftButton, none, Qt::NoButton, false, true);
    zv::test::row("right", Qt::RightButton, none, Qt::NoButton, false, false);
    zv::test::row("middle", Qt::MiddleButton, none, Qt::NoButton, false, false);
    zv::test::row(
        "left + shift", Qt::LeftButton, Qt::KeyboardModifiers(Qt::ShiftModifier), Qt::NoButton, false, false);
    zv::test::row("left + ctrl", Qt::LeftButton, Qt::KeyboardModifiers(Qt::ControlModifier), Qt::NoButton,
        false, false);
    zv::test::row(
        "left + alt", Qt::LeftButton, Qt::KeyboardModifiers(Qt::AltModifier), Qt::NoButton, false, false);
    zv::test::row("left while right is held", Qt::LeftButton, none, Qt::RightButton, false, false);
    zv::test::row("second press of a double-click", Qt::LeftButton, none, Qt::NoButton, true, false);
}

void TstCurseur::dragStarts()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(Qt::MouseButton, alsoHeld);
    QFETCH(bool, doubleClick);
    QFETCH(bool, drags);

    TfrmCurseur f;
    Recorder r;
    r.attach(f);
    TBtnGraph* knob = f.btnCurseur;
    const QPoint grab(5, 10);
    if (alsoHeld != Qt::NoButton)
        QTest::mousePress(knob, alsoHeld, {}, grab);
    if (doubleClick)
        QTest::mouseDClick(knob, button, modifiers, grab);
    else
        QTest::mousePress(knob, button, modifiers, grab);
    QCOMPARE(f.IsIdle(), !drags);

    QTest::mouseMove(knob, grab + QPoint(30, 0));
    QCOMPARE(knob->x(), drags ? 74 : 44);
    QTest::mouseRelease(knob, button, modifiers, grab + QPoint(30, 0));
    if (alsoHeld != Qt::NoButton)
        QTest::mouseRelease(knob, alsoHeld, {}, grab);
    QVERIFY(f.IsIdle());
    QCOMPARE(r.calls.size(), drags ? 2 : 0);
}

void TstCurseur::dragMovesAndReleases()
{
    TfrmCurseur f;
    Recorder r;
    r.attach(f);
    QSignalSpy spy(&f, &TfrmCurseur::Change);
    TBtnGraph* knob = f.btnCurseur;

    // Mouse positions are in the knob, which moves under the mouse.
    QTest::mousePress(knob, Qt::LeftButton, {}, QPoint(6, 8));
    QTest::mouseMove(knob, QPoint(16, 8)); // +10
    QCOMPARE(knob->x(), 54);
    QTest::mouseMove(knob, QPoint(2, 30)); // -4, vertical ignored
    QCOMPARE(knob->x(), 50);
    QCOMPARE(knob->y(), 4);
    QTest::mouseRelease(knob, Qt::LeftButton, {}, QPoint(2, 30));

    QCOMPARE(r.calls.size(), 3);
    QCOMPARE(r.calls[0].left, 54);
    QVERIFY(!r.calls[0].idle);
    QCOMPARE(r.calls[1].left, 50);
    QVERIFY(!r.calls[1].idle);
    QCOMPARE(r.calls[2].left, 50);
    QVERIFY(r.calls[2].idle);
    QCOMPARE(spy.count(), 3);
    QCOMPARE(f.GetFraction(), 50.0 / 228.0);

    // Without a drag, moves and releases do nothing.
    QTest::mouseMove(knob, QPoint(16, 8));
    QCOMPARE(knob->x(), 50);
    QCOMPARE(r.calls.size(), 3);
}

void TstCurseur::dragClamps_data()
{
    zv::test::columns<int, int>("dx", "left");
    zv::test::row("far right", 500, 228);
    zv::test::row("exactly to the end", 184, 228);
    zv::test::row("far left", -500, 0);
    zv::test::row("exactly to the start", -44, 0);
}

void TstCurseur::dragClamps()
{
    QFETCH(int, dx);
    QFETCH(int, left);
    TfrmCurseur f;
    Recorder r;
    r.attach(f);
    QTest::mousePress(f.btnCurseur, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseMove(f.btnCurseur, QPoint(10 + dx, 10));
    QCOMPARE(f.btnCurseur->x(), left);
    QCOMPARE(r.calls.size(), 1);
    QTest::mouseRelease(f.btnCurseur, Qt::LeftButton, {}, QPoint(10 + dx, 10));
    QCOMPARE(f.GetFraction(), double(left) / 228.0);
}

void TstCurseur::inactive()
{
    TfrmCurseur f;
    Recorder r;
    r.attach(f);
    f.SetActif(false);
    QVERIFY(!f.btnGlissiere->Actif());
    QVERIFY(!f.btnCurseur->Actif());
    QVERIFY(!f.Actif());
    QTest::mousePress(f.btnCurseur, Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(f.IsIdle());
    QTest::mouseMove(f.btnCurseur, QPoint(40, 10));
    QTest::mouseRelease(f.btnCurseur, Qt::LeftButton, {}, QPoint(40, 10));
    QCOMPARE(f.btnCurseur->x(), 44);
    QVERIFY(r.calls.isEmpty());
    f.SetFraction(1.0);
    QCOMPARE(f.btnCurseur->x(), 228);

    f.SetActif(true);
    QTest::mousePress(f.btnCurseur, Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(!f.IsIdle());
    QTest::mouseRelease(f.btnCurseur, Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(r.calls.size(), 1);
}

void TstCurseur::handlerDeletesSlider()
{
    auto* f = new TfrmCurseur;
    QPointer<TfrmCurseur> guard(f);
    TBtnGraph* knob = f->btnCurseur;
    QTest::mousePress(knob, Qt::LeftButton, {}, QPoint(10, 10));
    f->OnChange = [](TfrmCurseur* s) { delete s; };
    QTest::mouseMove(knob, QPoint(20, 10));
    QVERIFY(guard.isNull());
    QWidget other;
    QTest::mouseRelease(&other, Qt::LeftButton); // resets QTest's button state
}

void TstCurseur::disabledMidDrag()
{
    // The section switch disables the volume slider; a drag under way must
    // not stay stuck, or the status loop would never move the knob again.
    for (bool hide : {false, true}) {
        TfrmCurseur f;
        f.show();
        Recorder r;
        r.attach(f);
        QTest::mousePress(f.btnCurseur, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(!f.IsIdle());
        if (hide)
            f.hide();
        else
            f.setEnabled(false);
        QVERIFY(f.IsIdle());
        QVERIFY(r.calls.isEmpty());
        QWidget other;
        QTest::mouseRelease(&other, Qt::LeftButton);
    }
}

void TstCurseur::layouts()
{
    TfrmCurseur volume;
    volume.SetupVolume();
    QCOMPARE(volume.size(), QSize(81, 25));
    QCOMPARE(volume.btnGlissiere->size(), QSize(81, 4));
    QVERIFY(volume.btnGlissiere->Etirement());
    QCOMPARE(volume.btnCurseur->size(), QSize(11, 21));
    QVERIFY(volume.btnCurseur->Redimensionnement());
    QCOMPARE(volume.maxKnobLeft(), 70);
    QPixmap knob(11, 21);
    knob.fill(Qt::red);
    volume.btnCurseur->setImageActif(knob);
    volume.SetFraction(1.0);
    QCOMPARE(volume.btnCurseur->x(), 70);

    TfrmCurseur position;
    position.SetupPosition(400);
    position.show(); // resize events reach shown widgets only
    QCOMPARE(position.size(), QSize(400, 21));
    QCOMPARE(position.btnGlissiere->geometry(), QRect(0, 0, 400, 21));
    QCOMPARE(position.btnCurseur->pos(), QPoint(0, 0));
    QCOMPARE(position.btnGlissiere->Caption(), QStringLiteral("Glissière"));
    QCOMPARE(position.btnCurseur->Caption(), QStringLiteral("Curseur"));
    position.resize(600, 21);
    QCOMPARE(position.btnGlissiere->width(), 600);
    position.SetFraction(0.5);
    QCOMPARE(position.btnCurseur->x(), 290);
}

void TstCurseur::narrowerFrameKeepsKnobInside()
{
    TfrmCurseur f;
    f.show();
    f.SetFraction(1.0);
    f.resize(100, 27);
    QCOMPARE(f.btnCurseur->x(), 80);
    QCOMPARE(f.GetFraction(), 1.0);
}

QTEST_MAIN(TstCurseur)
#include "tst_curseur.moc"
