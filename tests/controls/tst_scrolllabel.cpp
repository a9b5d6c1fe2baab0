#include "support/table.h"
#include "ui/controls/scrolllabel.h"

#include <QSignalSpy>
#include <QTest>
#include <climits>

namespace {

// A ticker on a black parent drawing white text.
struct Fixture {
    QWidget parent;
    TScrollLabel* label;
    explicit Fixture(int width = 100)
    {
        parent.resize(width + 20, 40);
        parent.setAutoFillBackground(true);
        QPalette pal = parent.palette();
        pal.setColor(QPalette::Window, Qt::black);
        pal.setColor(QPalette::WindowText, Qt::white);
        parent.setPalette(pal);
        label = new TScrollLabel(&parent);
        label->setGeometry(0, 0, width, 25);
        QFont f = label->font();
        f.setPixelSize(14);
        label->setFont(f);
        label->setPeriodicite(0); // steps by hand
    }
    // Paints the ticker for real and answers the columns it covered with text.
    QPair<int, int> paint()
    {
        const QImage img = label->grab().toImage();
        int first = -1, last = -1;
        for (int x = 0; x < img.width(); ++x)
            for (int y = 0; y < img.height(); ++y)
                if (img.pixelColor(x, y).lightness() > 128) {
                    if (first < 0)
                        first = x;
                    last = x;
                    break;
                }
        return {first, last};
    }
    int textWidth(const QString& s) const { return QFontMetrics(label->font()).horizontalAdvance(s); }
};

} // namespace

class TstScrollLabel : public QObject {
    Q_OBJECT
private slots:
    void defaults();
    void paintPosition_data();
    void paintPosition();
    void periodicite();
    void ticks();
    void firstPaintEntersAtRightEdge();
    void scrollsOutAndComesBack();
    void emptyCaptionKeepsFalling();
    void newCaptionContinues();
    void runsOnItsOwnTimer();
    void lineBreaksStayOnOneLine();
};

void TstScrollLabel::defaults()
{
    TScrollLabel l;
    QCOMPARE(l.size(), QSize(20, 20));
    QCOMPARE(l.Periodicite(), 100);
    QCOMPARE(l.Pas(), 1);
    QCOMPARE(l.textPosition(), 10000);
    QVERIFY(l.isScrolling());
}

void TstScrollLabel::paintPosition_data()
{
    zv::test::columns<int, int, int, int>("position", "textWidth", "width", "expected");

    zv::test::row("initial comes to the right edge", 10000, 50, 100, 100);
    zv::test::row("at the edge", 100, 50, 100, 100);
    zv::test::row("one past the edge", 101, 50, 100, 100);
    zv::test::row("inside", 37, 50, 100, 37);
    zv::test::row("left edge", 0, 50, 100, 0);
    zv::test::row("partly out on the left", -30, 50, 100, -30);
    zv::test::row("last column still in", -50, 50, 100, -50);
    zv::test::row("wholly out", -51, 50, 100, 100);
    zv::test::row("far out", INT_MIN, 50, 100, 100);
    zv::test::row("wider than the control", -250, 300, 100, -250);
    zv::test::row("zero width control", 10000, 50, 0, 0);
}

void TstScrollLabel::paintPosition()
{
    QFETCH(int, position);
    QFETCH(int, textWidth);
    QFETCH(int, width);
    QFETCH(int, expected);
    QCOMPARE(TScrollLabel::paintPosition(position, textWidth, width), expected);
}

void TstScrollLabel::periodicite()
{
    TScrollLabel l;
    l.setPeriodicite(0);
    QVERIFY(!l.isScrolling());
    l.setPeriodicite(150);
    QVERIFY(l.isScrolling());
    l.setPeriodicite(-5);
    QVERIFY(!l.isScrolling());
    QCOMPARE(l.Periodicite(), -5);
}

void TstScrollLabel::ticks()
{
    TScrollLabel l;
    l.setPeriodicite(0);
    l.timTimer();
    QCOMPARE(l.textPosition(), 9999);
    l.setPas(5);
    l.timTimer();
    l.timTimer();
    QCOMPARE(l.textPosition(), 9989);
    l.setPas(INT_MAX);
    l.timTimer();
    l.timTimer();
    QCOMPARE(l.textPosition(), INT_MIN); // saturates, never wraps
}

void TstScrollLabel::firstPaintEntersAtRightEdge()
{
    Fixture f(100);
    f.label->setCaption(QStringLiteral("Bonjour"));
    auto cols = f.paint();
    QCOMPARE(f.label->textPosition(), 100);
    QCOMPARE(cols.first, -1); // just outside, on the right

    // With the timer still, nothing moves however often it is painted.
    f.paint();
    QCOMPARE(f.label->textPosition(), 100);

    f.label->setPas(5);
    for (int i = 0; i < 6; ++i)
        f.label->timTimer();
    QCOMPARE(f.label->textPosition(), 70);
    cols = f.paint();
    QVERIFY2(cols.first >= 70 && cols.first <= 73, qPrintable(QString::number(cols.first)));
}

void TstScrollLabel::scrollsOutAndComesBack()
{
    Fixture f(50);
    const QString text = QStringLiteral("Un message plus large que le bandeau");
    const int tw = f.textWidth(text);
    QVERIFY(tw > 50);
    f.label->setCaption(text);
    f.label->setPas(7);
    f.paint();
    QCOMPARE(f.label->textPosition(), 50);

    // Step until the text has wholly left; every paint on the way keeps it.
    for (int steps = 0;; ++steps) {
        QVERIFY(steps < 1000);
        f.label->timTimer();
        const int before = f.label->textPosition();
        const auto cols = f.paint();
        if (before + tw < 0) {
            // The last character has left: back at the right edge.
            QCOMPARE(f.label->textPosition(), 50);
            QCOMPARE(cols.first, -1);
            break;
        }
        QCOMPARE(f.label->textPosition(), before);
        if (before + tw > 3 && before < 47)
            QVERIFY(cols.first >= 0); // some of it is on screen
    }
}

void TstScrollLabel::emptyCaptionKeepsFalling()
{
    Fixture f(100);
    f.label->setPas(3);
    for (int i = 0; i < 4; ++i) {
        f.label->timTimer();
        QCOMPARE(f.paint().first, -1);
    }
    QCOMPARE(f.label->textPosition(), 10000 - 12);

    // Far to the left by now; a caption set then enters from the right edge.
    f.label->setPas(20000);
    f.label->timTimer();
    QVERIFY(f.label->textPosition() < -9000);
    f.label->setCaption(QStringLiteral("Salut"));
    f.paint();
    QCOMPARE(f.label->textPosition(), 100);
}

void TstScrollLabel::newCaptionContinues()
{
    Fixture f(100);
    f.label->setCaption(QStringLiteral("Premier"));
    f.paint();
    f.label->setPas(10);
    for (int i = 0; i < 4; ++i)
        f.label->timTimer();
    f.paint();
    QCOMPARE(f.label->textPosition(), 60);
    f.label->setCaption(QStringLiteral("Second message"));
    const auto cols = f.paint();
    QCOMPARE(f.label->textPosition(), 60);
    QVERIFY2(cols.first >= 60 && cols.first <= 63, qPrintable(QString::number(cols.first)));
}

void TstScrollLabel::runsOnItsOwnTimer()
{
    Fixture f(100);
    f.label->setCaption(QStringLiteral("Message du jour"));
    f.parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.parent));
    QTRY_COMPARE(f.label->textPosition(), 100);
    f.label->setPas(5);
    f.label->setPeriodicite(10);
    QTRY_VERIFY(f.label->textPosition() < 90);
    f.label->setPeriodicite(0);
    const int still = f.label->textPosition();
    QTest::qWait(60);
    QCOMPARE(f.label->textPosition(), still);
}

void TstScrollLabel::lineBreaksStayOnOneLine()
{
    Fixture f(200);
    f.label->setCaption(QStringLiteral("Ligne\r\n"));
    f.paint();
    f.label->setPas(200);
    f.label->timTimer();
    const auto cols = f.paint();
    QCOMPARE(f.label->textPosition(), 0);
    QVERIFY(cols.first >= 0 && cols.second < f.textWidth(QStringLiteral("Ligne")) + 2);
}

QTEST_MAIN(TstScrollLabel)
#include "tst_scrolllabel.moc"
