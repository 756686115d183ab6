#include "presentation/BannerRenderer.h"

#include "presentation/BannerWidget.h"
#include "support/TempDir.h"

#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QTest>

#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

namespace dk3::presentation {
namespace {

enum class Seen { Background, Picture, Edge, Other };

const QRgb kPictureColour = qRgb(0, 160, 255);
const QRgb kBackgroundColour = qRgb(51, 0, 0);
const QRgb kGreen = qRgb(0, 255, 0);

Seen classify(QRgb pixel) {
    auto near = [pixel](QRgb c) {
        return std::abs(qRed(pixel) - qRed(c)) + std::abs(qGreen(pixel) - qGreen(c)) +
                   std::abs(qBlue(pixel) - qBlue(c)) <=
               12;
    };
    if (near(kPictureColour))
        return Seen::Picture;
    if (near(qRgb(34, 34, 34)))
        return Seen::Edge;
    return near(kBackgroundColour) ? Seen::Background : Seen::Other;
}

// The reference, written from the geometry alone: a ray from an eye at the origin looking along
// +z (vertical field of view pi/4, the banner's aspect ratio) through a point of the target,
// taken into the frame of the slab (20 x 6 x 2, turned about X, then Y, then Z by the right-hand
// rule and moved 9 units away) and intersected with its box; the nearest face hit wins.
struct Attitude {
    double x, y, z;
};

void turn(double& a, double& b, double angle) {
    const double a2 = a * std::cos(angle) - b * std::sin(angle);
    b = a * std::sin(angle) + b * std::cos(angle);
    a = a2;
}

// World -> slab frame: undo the move, then the turns in reverse order.
std::array<double, 3> intoSlab(std::array<double, 3> p, const Attitude& t) {
    turn(p[0], p[1], -t.z); // about Z: x towards y
    turn(p[2], p[0], -t.y); // about Y: z towards x
    turn(p[1], p[2], -t.x); // about X: y towards z
    return p;
}

Seen rayCast(double px, double py, double width, double height, const Attitude& attitude) {
    const double tanHalf = std::tan(3.14159265358979 / 8);
    const auto o = intoSlab({0, 0, -9}, attitude);
    const auto d = intoSlab(
        {(px / width * 2 - 1) * tanHalf * 403 / 92, (1 - py / height * 2) * tanHalf, 1}, attitude);
    const double half[3] = {10, 3, 1};
    double tNear = -1e300, tFar = 1e300;
    int entryAxis = -1;
    for (std::size_t axis = 0; axis < 3; ++axis) {
        if (d[axis] == 0 && std::fabs(o[axis]) > half[axis])
            return Seen::Background;
        if (d[axis] == 0)
            continue;
        const double t1 = (-half[axis] - o[axis]) / d[axis];
        const double t2 = (half[axis] - o[axis]) / d[axis];
        if (std::min(t1, t2) > tNear) {
            tNear = std::min(t1, t2);
            entryAxis = static_cast<int>(axis);
        }
        tFar = std::min(tFar, std::max(t1, t2));
    }
    if (tNear > tFar || tNear <= 0)
        return Seen::Background;
    // Entering through z = +1 means the back, which is never drawn.
    if (entryAxis == 2)
        return d[2] > 0 ? Seen::Picture : Seen::Background;
    return Seen::Edge;
}

// The reference for a pixel, or nothing within 1.5 pixels of a boundary between two faces.
std::optional<Seen> referenceAt(int x, int y, QSize size, const Attitude& attitude) {
    const double cx = x + 0.5, cy = y + 0.5;
    const Seen centre = rayCast(cx, cy, size.width(), size.height(), attitude);
    for (int k = 0; k < 12; ++k) {
        const double angle = k * 3.14159265358979 / 6;
        if (rayCast(cx + 1.5 * std::cos(angle), cy + 1.5 * std::sin(angle), size.width(),
                    size.height(), attitude) != centre)
            return std::nullopt;
    }
    return centre;
}

QString flatPicture(const test::TempDir& dir) {
    QImage picture(480, 150, QImage::Format_RGB32);
    picture.fill(kPictureColour);
    const QString path = QString::fromStdString((dir / "flat.png").string());
    EXPECT_TRUE(picture.save(path));
    return path;
}

QImage render(BannerRenderer& renderer, const Attitude& attitude, QSize size) {
    renderer.animation().angleX = static_cast<float>(attitude.x);
    renderer.animation().angleY = static_cast<float>(attitude.y);
    renderer.animation().angleZ = static_cast<float>(attitude.z);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(kGreen);
    QPainter painter(&image);
    renderer.paint(painter, size);
    return image;
}

TEST(BannerRenderer, PixelsShowWhatARayCastThroughTheSlabFinds) {
    test::TempDir dir;
    BannerRenderer renderer(flatPicture(dir));
    ASSERT_TRUE(renderer.hasPicture());

    struct Case {
        Attitude attitude;
        QSize size;
        int minEdge;         // edge pixels as the reference sees them at pixel centres
        int minInteriorEdge; // of those, away from every boundary, where the comparison counts
    };
    // At the motion's limit about X an edge face is about 8 pixels thick at this height; at 0.4
    // radians it is a sliver of about 3 pixels, all of it within the boundary tolerance.
    for (const Case& c : {Case{{0, 0, 0}, {403, 92}, 0, 0}, Case{{0, 0, 0}, {620, 150}, 0, 0},
                          Case{{0.4, -0.2, 0.08}, {620, 150}, 500, 0},
                          Case{{0.5, -0.2, 0.08}, {620, 150}, 1500, 400},
                          Case{{-0.5, 0.24, -0.09}, {620, 150}, 1500, 400}}) {
        SCOPED_TRACE(testing::Message() << "angles " << c.attitude.x << " " << c.attitude.y << " "
                                        << c.attitude.z << ", width " << c.size.width());
        const QImage image = render(renderer, c.attitude, c.size);
        int compared = 0, agreed = 0, edges = 0, interiorEdges = 0, pictures = 0;
        for (int y = 0; y < c.size.height(); ++y) {
            for (int x = 0; x < c.size.width(); ++x) {
                edges += rayCast(x + 0.5, y + 0.5, c.size.width(), c.size.height(), c.attitude) ==
                         Seen::Edge;
                const auto expected = referenceAt(x, y, c.size, c.attitude);
                if (!expected)
                    continue;
                ++compared;
                agreed += classify(image.pixel(x, y)) == *expected;
                interiorEdges += *expected == Seen::Edge;
                pictures += *expected == Seen::Picture;
            }
        }
        ASSERT_GT(compared, c.size.width() * c.size.height() * 8 / 10);
        EXPECT_GE(agreed, compared * 99 / 100) << agreed << " of " << compared;
        // The reference itself must hold what the case is about.
        EXPECT_GT(pictures, compared / 2);
        EXPECT_GE(interiorEdges, c.minInteriorEdge);
        EXPECT_GE(edges, c.minEdge);
        EXPECT_EQ(edges == 0, c.minEdge == 0);
    }
}

TEST(BannerRenderer, WithoutAPictureTheFrontIsPlainAndNothingOutsideIsTouched) {
    test::TempDir dir;
    const auto garbage = dir.write("garbage.jpg", "not a picture at all");
    for (const QString& path : {QString::fromStdString((dir / "missing.jpg").string()),
                                QString::fromStdString(garbage.string()), QString()}) {
        BannerRenderer renderer(path);
        EXPECT_FALSE(renderer.hasPicture());
        const QImage image = render(renderer, {0.1, 0.1, 0.05}, {403, 92});
        EXPECT_EQ(image.pixel(201, 46), qRgb(255, 255, 255));
        EXPECT_EQ(image.pixel(2, 2), kBackgroundColour);
    }

    // Drawn at an offset inside a larger picture, the banner covers exactly its own rectangle.
    BannerRenderer renderer(flatPicture(dir));
    QImage image(700, 220, QImage::Format_ARGB32_Premultiplied);
    image.fill(kGreen);
    QPainter painter(&image);
    painter.translate(40, 30);
    renderer.paint(painter, QSize(620, 150));
    painter.end();
    EXPECT_EQ(image.pixel(39, 100), kGreen);
    EXPECT_EQ(image.pixel(40, 30), kBackgroundColour);
    EXPECT_EQ(image.pixel(659, 179), kBackgroundColour);
    EXPECT_EQ(image.pixel(660, 179), kGreen);
    EXPECT_EQ(image.pixel(659, 180), kGreen);
    EXPECT_EQ(classify(image.pixel(40 + 310, 30 + 75)), Seen::Picture);
}

TEST(BannerWidget, RunsAtAboutSixtyFramesASecondUntilStopped) {
    test::TempDir dir;
    BannerWidget widget(flatPicture(dir));
    widget.resize(620, 150);
    widget.start();
    EXPECT_TRUE(widget.isRunning());
    EXPECT_EQ(widget.frameTimer().interval(), 16);
    EXPECT_EQ(widget.frameTimer().timerType(), Qt::PreciseTimer);

    widget.show();
    const BannerAnimation& motion = widget.renderer().animation();
    ASSERT_TRUE(QTest::qWaitFor([&] { return motion.signXChosen; }, 2000));
    const double firstFrame = motion.previousTimeMs;
    EXPECT_TRUE(QTest::qWaitFor([&] { return motion.previousTimeMs > firstFrame; }, 2000));
    const QImage shot = widget.grab().toImage();
    EXPECT_EQ(shot.pixel(1, 1), kBackgroundColour);
    EXPECT_EQ(classify(shot.pixel(310, 75)), Seen::Picture);

    widget.stop();
    EXPECT_FALSE(widget.isRunning());
    const double stoppedAt = motion.previousTimeMs;
    QTest::qWait(60);
    EXPECT_EQ(motion.previousTimeMs, stoppedAt);
}

// Frames drawn while the widget runs reach the window's own pixels (its backing store), each
// only around the slab as it was and as it is, and add up to what a painter draws of the same
// attitude at once.
TEST(BannerWidget, FramesInTheWindowAreWhatAPainterDraws) {
    test::TempDir dir;
    QImage picture(480, 150, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb(x % 256, y, (x * 7 + y * 3) % 256));
    }
    const QString path = QString::fromStdString((dir / "pattern.png").string());
    ASSERT_TRUE(picture.save(path));
    // A second of motion per tick: every tick moves the slab by pixels and draws a frame.
    double now = 0;
    double pace = 1000;
    // Inside a window, away from its corner, as in the dialog.
    QWidget window;
    window.resize(640, 170);
    BannerWidget widget(std::make_unique<BannerRenderer>(path, [&] { return now += pace; }),
                        &window);
    widget.setGeometry(7, 9, 620, 150);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    widget.start();
    BannerAnimation& motion = widget.renderer().animation();
    ASSERT_TRUE(QTest::qWaitFor([&] { return motion.previousTimeMs > 10000; }, 3000));
    // Then time stands still after one more leap, so the last frame drawn is of this attitude.
    pace = 0;
    motion.angleX = 0.1f;
    motion.angleY = -0.15f;
    motion.angleZ = 0.05f;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !widget.renderer().differsFromLastFrame(QSize(620, 150)); }, 3000));
    widget.stop();

    const QImage inWindow = window.screen()
                                ->grabWindow(window.winId(), 7, 9, 620, 150)
                                .toImage()
                                .convertToFormat(QImage::Format_RGB32);
    const QImage painted = widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(inWindow.size(), QSize(620, 150));
    EXPECT_EQ(inWindow, painted);
    EXPECT_EQ(classify(inWindow.pixel(1, 1)), Seen::Background);
}

} // namespace
} // namespace dk3::presentation
