#include "support/table.h"
#include "support/viewrows.h"
#include "ui/controls/btngraph.h"

#include <QBuffer>
#include <QEnterEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

using Pic = TBtnGraph::Picture;

using zv::test::hover;

namespace {

const QColor kBackground(0, 0, 255);
const QColor kColours[5]
    = {QColor(128, 128, 128), QColor(0, 200, 0), QColor(255, 255, 0), QColor(200, 0, 0), QColor(255, 0, 255)};

QPixmap solid(const QColor& c, int w = 10, int h = 10)
{
    QPixmap p(w, h);
    p.fill(c);
    return p;
}

// Each pixel's colour tells where in the picture it comes from.
QPixmap coordinates(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb(x * 8, y * 8, 100));
    return QPixmap::fromImage(img);
}

// A button on a plain parent, so that what the button leaves unpainted shows
// the parent's colour.
struct Fixture {
    QWidget parent;
    TBtnGraph* btn;
    Fixture()
    {
        parent.resize(60, 60);
        parent.setAutoFillBackground(true);
        QPalette pal = parent.palette();
        pal.setColor(QPalette::Window, kBackground);
        parent.setPalette(pal);
        btn = new TBtnGraph(&parent);
    }
    QImage shot() { return btn->grab().toImage(); }
    QImage parentShot() { return parent.grab().toImage(); }
};

int pictureMask(std::initializer_list<Pic> pics)
{
    int m = 0;
    for (Pic p : pics)
        m |= 1 << int(p);
    return m;
}

} // namespace

class TstBtnGraph : public QObject {
    Q_OBJECT
private slots:
    void defaults();
    void choice_data();
    void choice();
    void centring_data();
    void centring();
    void stretch();
    void nothingToPaint();
    void captionOverEveryState_data();
    void captionOverEveryState();
    void stateEvents();
    void resizing();
    void picturesAreCopied();
    void pictureData();
    void clicks();
    void clickHandlerDeletesButton();
    void focusMark_data();
    void focusMark();
};

void TstBtnGraph::defaults()
{
    TBtnGraph b;
    QCOMPARE(b.size(), QSize(20, 20));
    QVERIFY(b.Actif());
    QVERIFY(!b.Enfonce());
    QVERIFY(!b.Etirement());
    QVERIFY(!b.Redimensionnement());
    QVERIFY(!b.hovered());
    QVERIFY(b.Caption().isEmpty());
    QCOMPARE(b.chosenPicture(), Pic::None);
    b.setHint(QStringLiteral("Lecture / Stop"));
    QCOMPARE(b.toolTip(), QStringLiteral("Lecture / Stop"));
}

void TstBtnGraph::choice_data()
{
    zv::test::columns<int, bool, bool, bool, Pic>("pictures", "actif", "enfonce", "hovered", "expected");

    const int all = pictureMask({Pic::Inactif, Pic::Actif, Pic::Survol, Pic::Enfonce, Pic::EnfonceSurvol});
    const int actifOnly = pictureMask({Pic::Actif});
    zv::test::row("all, normal", all, true, false, false, Pic::Actif);
    zv::test::row("all, hovered", all, true, false, true, Pic::Survol);
    zv::test::row("all, pressed", all, true, true, false, Pic::Enfonce);
    zv::test::row("all, pressed hovered", all, true, true, true, Pic::EnfonceSurvol);
    zv::test::row("all, inactive", all, false, false, false, Pic::Inactif);
    zv::test::row("all, inactive pressed hovered", all, false, true, true, Pic::Inactif);
    zv::test::row("only actif, normal", actifOnly, true, false, false, Pic::Actif);
    zv::test::row("only actif, hovered", actifOnly, true, false, true, Pic::Actif);
    zv::test::row("only actif, pressed hovered", actifOnly, true, true, true, Pic::Actif);
    zv::test::row("only actif, inactive", actifOnly, false, false, false, Pic::Actif);
    zv::test::row("pressed hovered, only enfonce", pictureMask({Pic::Actif, Pic::Enfonce}), true, true, true,
        Pic::Enfonce);
    zv::test::row("pressed, no pressed pictures, hovered", pictureMask({Pic::Actif, Pic::Survol}), true, true,
        true, Pic::Survol);
    zv::test::row("pressed not hovered ignores enfonce-survol", pictureMask({Pic::Actif, Pic::EnfonceSurvol}),
        true, true, false, Pic::Actif);
    zv::test::row("inactive never hovers", pictureMask({Pic::Actif, Pic::Survol, Pic::EnfonceSurvol}), false,
        true, true, Pic::Actif);
    zv::test::row("inactive, no pictures at all", 0, false, false, false, Pic::None);
    zv::test::row("only inactif, active", pictureMask({Pic::Inactif}), true, false, false, Pic::None);
    zv::test::row("only survol, hovered", pictureMask({Pic::Survol}), true, false, true, Pic::Survol);
}

void TstBtnGraph::choice()
{
    QFETCH(int, pictures);
    QFETCH(bool, actif);
    QFETCH(bool, enfonce);
    QFETCH(bool, hovered);
    QFETCH(Pic, expected);

    Fixture f;
    for (int i = 0; i < 5; ++i)
        if (pictures & (1 << i))
            f.btn->setPicture(Pic(i), solid(kColours[i]));
    f.btn->setActif(actif);
    f.btn->setEnfonce(enfonce);
    hover(f.btn, hovered);
    QCOMPARE(f.btn->hovered(), hovered);
    QCOMPARE(f.btn->chosenPicture(), expected);

    const QImage img = f.parentShot();
    const QColor centre = img.pixelColor(f.btn->geometry().center());
    const QColor want = expected == Pic::None ? kBackground : kColours[int(expected)];
    QCOMPARE(centre, want);
}

void TstBtnGraph::centring_data()
{
    // origin: where the picture's (0, 0) lands
    zv::test::columns<QSize, QSize, QPoint>("control", "picture", "origin");

    zv::test::row("smaller, even", QSize(20, 20), QSize(10, 6), QPoint(5, 7));
    zv::test::row("smaller, odd difference", QSize(20, 20), QSize(11, 7), QPoint(4, 6));
    zv::test::row("same size", QSize(12, 9), QSize(12, 9), QPoint(0, 0));
    zv::test::row("larger, even", QSize(20, 20), QSize(30, 24), QPoint(-5, -2));
    // (20 - 25) div 2 truncates to -2, not -3.
    zv::test::row("larger, odd difference", QSize(20, 20), QSize(25, 27), QPoint(-2, -3));
}

void TstBtnGraph::centring()
{
    QFETCH(QSize, control);
    QFETCH(QSize, picture);
    QFETCH(QPoint, origin);

    Fixture f;
    f.btn->resize(control);
    f.btn->setImageActif(coordinates(picture.width(), picture.height()));
    const QImage img = f.shot();
    QCOMPARE(img.size(), control);
    for (int y = 0; y < control.height(); ++y) {
        for (int x = 0; x < control.width(); ++x) {
            const int px = x - origin.x();
            const int py = y - origin.y();
            const bool inside = px >= 0 && py >= 0 && px < picture.width() && py < picture.height();
            if (!inside)
                continue;
            QCOMPARE(img.pixelColor(x, y), QColor(qRgb(px * 8, py * 8, 100)));
        }
    }
    // The first painted column and row.
    const QPoint first(qMax(0, origin.x()), qMax(0, origin.y()));
    QCOMPARE(
        img.pixelColor(first), QColor(qRgb((first.x() - origin.x()) * 8, (first.y() - origin.y()) * 8, 100)));
    if (origin.x() > 0)
        QVERIFY(img.pixelColor(origin.x() - 1, first.y()) != img.pixelColor(first));
}

void TstBtnGraph::stretch()
{
    Fixture f;
    f.btn->resize(30, 16);
    f.btn->setImageActif(solid(kColours[1], 4, 4));
    QImage img = f.parentShot();
    QCOMPARE(img.pixelColor(f.btn->geometry().topLeft()), kBackground);

    QSignalSpy spy(f.btn, &TBtnGraph::EtatChange);
    f.btn->setEtirement(true);
    QCOMPARE(spy.count(), 0);
    img = f.parentShot();
    for (const QPoint& p : {f.btn->geometry().topLeft(), f.btn->geometry().bottomRight(),
             f.btn->geometry().topRight(), f.btn->geometry().center()})
        QCOMPARE(img.pixelColor(p), kColours[1]);
    QCOMPARE(img.pixelColor(f.btn->geometry().bottomRight() + QPoint(1, 1)), kBackground);
}

void TstBtnGraph::nothingToPaint()
{
    Fixture f;
    f.btn->setEnfonce(true);
    hover(f.btn, true);
    const QImage img = f.parentShot();
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            QCOMPARE(img.pixelColor(x, y), kBackground);
}

void TstBtnGraph::captionOverEveryState_data()
{
    zv::test::columns<bool, bool, bool>("actif", "enfonce", "hovered");
    zv::test::row("normal", true, false, false);
    zv::test::row("hovered", true, false, true);
    zv::test::row("pressed", true, true, false);
    zv::test::row("pressed hovered", true, true, true);
    zv::test::row("inactive", false, false, false);
}

void TstBtnGraph::captionOverEveryState()
{
    QFETCH(bool, actif);
    QFETCH(bool, enfonce);
    QFETCH(bool, hovered);

    Fixture f;
    f.btn->resize(60, 30);
    for (int i = 0; i < 5; ++i)
        f.btn->setPicture(Pic(i), solid(kColours[i], 60, 30));
    QPalette pal = f.btn->palette();
    pal.setColor(QPalette::WindowText, Qt::white);
    f.btn->setPalette(pal);
    QFont font = f.btn->font();
    font.setPixelSize(14);
    f.btn->setFont(font);
    f.btn->setActif(actif);
    f.btn->setEnfonce(enfonce);
    hover(f.btn, hovered);

    const QColor picture = kColours[int(f.btn->chosenPicture())];
    const QImage bare = f.shot();
    f.btn->setCaption(QStringLiteral("IIII"));
    const QImage img = f.shot();
    QVERIFY(bare != img);

    // The caption's white pixels, their box centred in the control, the rest
    // still the picture (transparent background).
    QRect box;
    int pictureLeft = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            if (c.red() > 230 && c.green() > 230 && c.blue() > 230)
                box |= QRect(x, y, 1, 1);
            else if (c == picture)
                ++pictureLeft;
        }
    QVERIFY(!box.isEmpty());
    QVERIFY2(qAbs(box.center().x() - 30) <= 3, qPrintable(QString::number(box.center().x())));
    QVERIFY2(qAbs(box.center().y() - 15) <= 4, qPrintable(QString::number(box.center().y())));
    QVERIFY(pictureLeft > 60 * 30 / 2);
}

void TstBtnGraph::stateEvents()
{
    TBtnGraph b;
    QSignalSpy spy(&b, &TBtnGraph::EtatChange);

    b.setEnfonce(true);
    b.setEnfonce(true);
    QCOMPARE(spy.count(), 1);
    b.setActif(true); // already
    QCOMPARE(spy.count(), 1);
    b.setActif(false);
    QCOMPARE(spy.count(), 2);
    // Hovering raises the event even on an inactive button.
    hover(&b, true);
    QCOMPARE(spy.count(), 3);
    QVERIFY(b.hovered());
    hover(&b, false);
    QCOMPARE(spy.count(), 4);
    QVERIFY(!b.hovered());
    b.setEtirement(true);
    b.setRedimensionnement(true);
    b.setCaption(QStringLiteral("x"));
    b.setImageActif(solid(Qt::red));
    QCOMPARE(spy.count(), 4);
}

void TstBtnGraph::resizing()
{
    TBtnGraph b;
    b.setRedimensionnement(true);
    QCOMPARE(b.size(), QSize(20, 20)); // nothing to size to yet
    b.setImageActif(solid(Qt::red, 12, 12));
    QCOMPARE(b.size(), QSize(12, 12));
    b.setImageSurvol(solid(Qt::red, 40, 30));
    b.setImageEnfonce(solid(Qt::red, 40, 30));
    QCOMPARE(b.size(), QSize(12, 12));
    b.clearPicture(Pic::Actif);
    QCOMPARE(b.size(), QSize(12, 12));

    // Switching the flag on applies it to the picture already there.
    TBtnGraph c;
    c.setImageActif(solid(Qt::red, 33, 25));
    QCOMPARE(c.size(), QSize(20, 20));
    c.setRedimensionnement(true);
    QCOMPARE(c.size(), QSize(33, 25));
    c.setRedimensionnement(false);
    c.setImageActif(solid(Qt::red, 5, 5));
    QCOMPARE(c.size(), QSize(33, 25));
}

void TstBtnGraph::picturesAreCopied()
{
    Fixture f;
    QPixmap mine = solid(kColours[1]);
    f.btn->setImageActif(mine);
    mine.fill(Qt::black);
    QCOMPARE(f.parentShot().pixelColor(f.btn->geometry().center()), kColours[1]);
    QCOMPARE(f.btn->ImageActif().toImage().pixelColor(0, 0), kColours[1]);
}

void TstBtnGraph::pictureData()
{
    QImage img(7, 5, QImage::Format_ARGB32);
    img.fill(kColours[3]);
    QByteArray png;
    QBuffer buf(&png);
    buf.open(QIODevice::WriteOnly);
    QVERIFY(img.save(&buf, "PNG"));

    Fixture f;
    QVERIFY(f.btn->loadPictureData(Pic::Enfonce, png));
    QCOMPARE(f.btn->ImageEnfonce().size(), QSize(7, 5));
    f.btn->setEnfonce(true);
    QCOMPARE(f.parentShot().pixelColor(f.btn->geometry().center()), kColours[3]);

    QVERIFY(!f.btn->loadPictureData(Pic::Enfonce, QByteArray("not a picture")));
    QVERIFY(f.btn->ImageEnfonce().isNull());
    QVERIFY(!f.btn->loadPictureData(Pic::Actif, png.left(png.size() / 2)));
    QVERIFY(!f.btn->loadPicture(Pic::Actif, QStringLiteral("/nonexistent/picture.png")));
    QCOMPARE(f.parentShot().pixelColor(f.btn->geometry().center()), kBackground);
}

void TstBtnGraph::clicks()
{
    TBtnGraph b;
    b.setActif(false); // a display state only
    QSignalSpy clicked(&b, &TBtnGraph::clicked);
    QSignalSpy down(&b, &TBtnGraph::MouseDown);
    QSignalSpy up(&b, &TBtnGraph::MouseUp);

    QTest::mouseClick(&b, Qt::LeftButton);
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(down.count(), 1);
    QCOMPARE(up.count(), 1);

    QTest::mouseClick(&b, Qt::RightButton);
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(down.count(), 2);

    // Released outside: no click.
    QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(40, 5));
    QCOMPARE(clicked.count(), 1);

    b.setEnabled(false);
    QTest::mouseClick(&b, Qt::LeftButton);
    QCOMPARE(clicked.count(), 1);
}

void TstBtnGraph::clickHandlerDeletesButton()
{
    auto* parent = new QWidget;
    auto* b = new TBtnGraph(parent);
    QPointer<TBtnGraph> guard(b);
    connect(b, &TBtnGraph::clicked, parent, [b] { delete b; });
    QTest::mouseClick(b, Qt::LeftButton);
    QVERIFY(guard.isNull());
    delete parent;
}

QTEST_MAIN(TstBtnGraph)
#include "tst_btngraph.moc"

void TstBtnGraph::focusMark_data()
{
    // keyboard: the keyboard has moved the focus in the window
    zv::test::columns<int, bool, bool>("reason", "keyboard", "shows");
    zv::test::row("Tab", int(Qt::TabFocusReason), true, true);
    zv::test::row("back from a dialog, after Tab", int(Qt::ActiveWindowFocusReason), true, true);
    zv::test::row("window opened", int(Qt::ActiveWindowFocusReason), false, false);
    zv::test::row("no focus", -1, true, false);
}

void TstBtnGraph::focusMark()
{
    QFETCH(int, reason);
    QFETCH(bool, keyboard);
    QFETCH(bool, shows);
    Fixture f;
    f.btn->resize(40, 30);
    f.btn->setImageActif(solid(kColours[1], 40, 30));
    zv::FocusMark mark;
    mark.ring = QColor(255, 255, 0);
    mark.halo = QColor(0, 0, 0);
    mark.radius = 0;
    f.btn->setFocusMark(mark);
    f.parent.show();
    QApplication::setActiveWindow(&f.parent);
    f.parent.setAttribute(Qt::WA_KeyboardFocusChange, keyboard);
    if (reason >= 0)
        f.btn->setFocus(Qt::FocusReason(reason));
    else
        f.btn->clearFocus(); // the window may have given it on activation
    const QImage img = f.shot();
    // Two pixels of ring along each edge, one of halo inside, the picture within.
    const QColor edge = shows ? mark.ring : kColours[1];
    const QColor inner = shows ? mark.halo : kColours[1];
    for (const QPoint p : {QPoint(20, 0), QPoint(20, 1), QPoint(0, 15), QPoint(39, 15), QPoint(20, 29)})
        QCOMPARE(img.pixelColor(p), edge);
    QCOMPARE(img.pixelColor(20, 2), inner);
    QCOMPARE(img.pixelColor(20, 15), kColours[1]);
}
