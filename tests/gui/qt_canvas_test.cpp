// The Qt canvas on an image: colours in Windows order, rectangles covering
// [left, right), text aligned on its reference point, whole-circle arcs,
// clipping, joined line paths and stretched 8-bit bitmaps.
#include "gui/qt_canvas.h"
#include "tests/gui/gui_test_registry.h"

#include <QImage>
#include <QPainter>
#include <QTest>

#include <functional>

namespace qm::test {

namespace {

// Paints on a white 200x100 image and returns it.
QImage paint(const std::function<void(QtCanvas&)>& draw)
{
    QImage img(200, 100, QImage::Format_RGB32);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        QtCanvas c(p, img.width(), img.height());
        draw(c);
    }
    return img;
}

QRgb at(const QImage& img, int x, int y) { return img.pixel(x, y) & 0xffffff; }

// Columns (or rows) holding any pixel that is not white.
QRect inkBounds(const QImage& img)
{
    QRect r;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (at(img, x, y) != 0xffffff)
                r = r.united(QRect(x, y, 1, 1));
    return r;
}

} // namespace

class QtCanvasTest : public QObject {
    Q_OBJECT

private slots:
    void shapesCoverTheirRectangles()
    {
        const QImage img = paint([](QtCanvas& c) {
            c.setPen(Pen{0x000000ff, PenStyle::Solid, 0}); // red in 0x00bbggrr
            c.setBrush(Brush{0x00ff0000, false});           // blue
            c.rectangle(Rect{10, 20, 30, 40});
        });
        QCOMPARE(inkBounds(img), QRect(10, 20, 20, 20)); // right and bottom excluded
        QCOMPARE(at(img, 10, 25), QRgb(0xff0000));       // outline red
        QCOMPARE(at(img, 29, 25), QRgb(0xff0000));
        QCOMPARE(at(img, 20, 30), QRgb(0x0000ff));       // fill blue
    }

    void pathsClipsAndArcs()
    {
        QImage img = paint([](QtCanvas& c) {
            c.setClip(Rect{0, 0, 100, 100});
            c.moveTo(10, 50);
            c.lineTo(150, 50); // cut at x = 100
            c.lineTo(150, 90);
            c.clearClip();
            c.moveTo(120, 10);
            c.lineTo(190, 10);
        });
        QCOMPARE(at(img, 50, 50), QRgb(0));
        QCOMPARE(at(img, 120, 50), QRgb(0xffffff));
        QCOMPARE(at(img, 150, 80), QRgb(0xffffff));
        QCOMPARE(at(img, 150, 10), QRgb(0)); // drawn after the clip went

        // Equal start and end rays: the whole circle.
        img = paint([](QtCanvas& c) { c.arc(Rect{50, 10, 131, 91}, Point{131, 50}, Point{131, 50}); });
        QCOMPARE(inkBounds(img), QRect(50, 10, 81, 81));
        // From three o'clock counter-clockwise to twelve: the upper right quarter.
        img = paint([](QtCanvas& c) { c.arc(Rect{50, 10, 131, 91}, Point{200, 50}, Point{90, 0}); });
        const QRect q = inkBounds(img);
        QVERIFY(q.left() >= 88 && q.left() <= 92 && q.bottom() <= 52 && q.bottom() >= 48 && q.right() >= 128 && q.top() == 10);
    }

    void textIsPlacedByItsAlignment()
    {
        int width = 0;
        QImage img = paint([&](QtCanvas& c) {
            c.setFont(20);
            width = c.textExtent("WWW").width;
            c.text(150, 60, "WWW", HAlign::Right, VAlign::Bottom);
        });
        QVERIFY(width > 20);
        QRect r = inkBounds(img);
        QVERIFY(r.right() <= 150 && r.right() >= 146);
        QVERIFY(r.left() >= 150 - width - 1);
        QVERIFY(r.bottom() <= 60);
        img = paint([](QtCanvas& c) {
            c.setFont(20);
            c.setTextColour(0x000000ff);
            c.text(20, 30, "WWW", HAlign::Left, VAlign::Top);
        });
        r = inkBounds(img);
        QVERIFY(r.left() >= 20 && r.left() <= 23);
        QVERIFY(r.top() >= 30);
        bool red = false;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                red = red || at(img, x, y) == 0xff0000;
        QVERIFY(red);
    }

    void bitmapsStretchAndRefuseShortBuffers()
    {
        const std::vector<uint8_t> pixels{0, 1, 1, 0};
        const std::vector<Colour> palette{0x000000ff, 0x0000ff00};
        QImage img = paint([&](QtCanvas& c) { c.bitmap(Rect{100, 0, 140, 40}, 2, 2, pixels, palette); });
        QCOMPARE(at(img, 105, 5), QRgb(0xff0000));
        QCOMPARE(at(img, 135, 5), QRgb(0x00ff00));
        QCOMPARE(at(img, 105, 35), QRgb(0x00ff00));
        QCOMPARE(at(img, 135, 35), QRgb(0xff0000));
        // Fewer pixels than width x height: nothing is read or drawn.
        img = paint([&](QtCanvas& c) { c.bitmap(Rect{0, 0, 40, 40}, 3, 3, pixels, palette); });
        QVERIFY(inkBounds(img).isNull());
    }
};

static RegisterGuiTest registerQtCanvasTest([] { return new QtCanvasTest; });

} // namespace qm::test

#include "qt_canvas_test.moc"
