#include "presentation/BannerRenderer.h"

#include "presentation/BannerWidget.h"
#include "support/TempDir.h"

#include <QImage>
#include <QPainter>
#include <QTest>

#include <cmath>
#include <gtest/gtest.h>
#include <optional>

namespace dk3::presentation {
namespace {

enum class Seen { Background, Picture, Edge, Other };

const QRgb kPictureColour = qRgb(0, 160, 255);
const QRgb kEdgeColour = qRgb(34, 34, 34);
const QRgb kBackgroundColour = qRgb(51, 0, 0);

Seen classify(QRgb pixel) {
    struct Candidate {
        QRgb colour;
        Seen seen;
    };
    for (const Candidate& c :
         {Candidate{kPictureColour, Seen::Picture}, Candidate{kEdgeColour, Seen::Edge},
          Candidate{kBackgroundColour, Seen::Background}}) {
        if (std::abs(qRed(pixel) - qRed(c.colour)) <= 8 &&
            std::abs(qGreen(pixel) - qGreen(c.colour)) <= 8 &&
            std::abs(qBlue(pixel) - qBlue(c.colour)) <= 8)
            return c.seen;
    }
    return Seen::Other;
}

// The reference: a ray from the eye through a point of the target, followed into the slab's own
// frame and intersected with its box. Written from the geometry alone: a camera at the origin
// looking along +z with a vertical field of view of pi/4 and the banner's aspect ratio, the slab
// (20 x 6 x 2) turned about X, then Y, then Z (right-hand rule) and moved 9 units away.
struct Vec {
    double x, y, z;
};

Vec turnX(Vec p, double a) {
    return {p.x, p.y * std::cos(a) - p.z * std::sin(a), p.y * std::sin(a) + p.z * std::cos(a)};
}
Vec turnY(Vec p, double a) {
    return {p.z * std::sin(a) + p.x * std::cos(a), p.y, p.z * std::cos(a) - p.x * std::sin(a)};
}
Vec turnZ(Vec p, double a) {
    return {p.x * std::cos(a) - p.y * std::sin(a), p.x * std::sin(a) + p.y * std::cos(a), p.z};
}

struct Attitude {
    double x, y, z;
};

// Undoes the slab's placement: world -> slab frame.
Vec intoSlab(Vec p, const Attitude& t, bool isPoint) {
    if (isPoint)
        p.z -= 9.0;
    return turnX(turnY(turnZ(p, -t.z), -t.y), -t.x);
}

Seen rayCast(double px, double py, double width, double height, const Attitude& attitude) {
    const double tanHalf = std::tan(3.14159265358979 / 8);
    const double aspect = 403.0 / 92.0;
    const double ndcX = px / width * 2 - 1;
    const double ndcY = 1 - py / height * 2;
    const Vec origin = intoSlab({0, 0, 0}, attitude, true);
    const Vec dir = intoSlab({ndcX * tanHalf * aspect, ndcY * tanHalf, 1}, attitude, false);

    const double o[3] = {origin.x, origin.y, origin.z};
    const double d[3] = {dir.x, dir.y, dir.z};
    const double half[3] = {10, 3, 1};
    double tNear = -1e300;
    double tFar = 1e300;
    int entryAxis = -1;
    for (int axis = 0; axis < 3; ++axis) {
        if (d[axis] == 0) {
            if (std::fabs(o[axis]) > half[axis])
                return Seen::Background;
            continue;
        }
        double t1 = (-half[axis] - o[axis]) / d[axis];
        double t2 = (half[axis] - o[axis]) / d[axis];
        if (t1 > t2)
            std::swap(t1, t2);
        if (t1 > tNear) {
            tNear = t1;
            entryAxis = axis;
        }
        tFar = std::min(tFar, t2);
    }
    if (tNear > tFar || tNear <= 0)
        return Seen::Background;
    // Entering through z = -1 is the front; through z = +1 the back, which is never drawn (and
    // what lies behind it faces away).
    if (entryAxis == 2)
        return d[2] > 0 ? Seen::Picture : Seen::Background;
    return Seen::Edge;
}

// The reference for a pixel, or nothing when the pixel lies within 1.5 pixels of a boundary
// between two different things.
std::optional<Seen> referenceAt(int x, int y, int width, int height, const Attitude& attitude) {
    const double cx = x + 0.5;
    const double cy = y + 0.5;
    const Seen centre = rayCast(cx, cy, width, height, attitude);
    for (int k = 0; k < 12; ++k) {
        const double angle = k * 3.14159265358979 / 6;
        if (rayCast(cx + 1.5 * std::cos(angle), cy + 1.5 * std::sin(angle), width, height,
                    attitude) != centre)
            return std::nullopt;
    }
    return centre;
}

std::filesystem::path flatPicture(const test::TempDir& dir) {
    QImage picture(480, 150, QImage::Format_RGB32);
    picture.fill(kPictureColour);
    const auto path = dir / "flat.png";
    EXPECT_TRUE(picture.save(QString::fromStdString(path.string())));
    return path;
}

QImage render(BannerRenderer& renderer, const Attitude& attitude, QSize size) {
    renderer.animation().angleX = static_cast<float>(attitude.x);
    renderer.animation().angleY = static_cast<float>(attitude.y);
    renderer.animation().angleZ = static_cast<float>(attitude.z);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::green);
    QPainter painter(&image);
    renderer.paint(painter, size);
    painter.end();
    return image;
}

TEST(BannerRenderer, PixelsShowWhatARayCastThroughTheSlabFinds) {
    test::TempDir dir;
    BannerRenderer renderer(QString::fromStdString(flatPicture(dir).string()));
    ASSERT_TRUE(renderer.hasPicture());

    struct Case {
        Attitude attitude;
        QSize size;
        int minEdgePixels;         // as the reference sees them at pixel centres
        int minInteriorEdgePixels; // away from every boundary, where the comparison counts
    };
    // At the motion's limit about X an edge face is about 8 pixels thick at this height; at 0.4
    // radians it is a sliver of about 3 pixels, of which only the boundary tolerance remains.
    for (const Case& c : {Case{{0, 0, 0}, {403, 92}, 0, 0}, Case{{0, 0, 0}, {620, 150}, 0, 0},
                          Case{{0.4, -0.2, 0.08}, {620, 150}, 500, 0},
                          Case{{0.5, -0.2, 0.08}, {620, 150}, 1500, 400},
                          Case{{-0.5, 0.24, -0.09}, {620, 150}, 1500, 400}}) {
        SCOPED_TRACE(testing::Message()
                     << "angles " << c.attitude.x << " " << c.attitude.y << " " << c.attitude.z
                     << ", " << c.size.width() << " x " << c.size.height());
        const QImage image = render(renderer, c.attitude, c.size);
        int compared = 0;
        int agreed = 0;
        int edgePixels = 0;
        int counts[4] = {};
        for (int y = 0; y < c.size.height(); ++y) {
            for (int x = 0; x < c.size.width(); ++x) {
                if (rayCast(x + 0.5, y + 0.5, c.size.width(), c.size.height(), c.attitude) ==
                    Seen::Edge)
                    ++edgePixels;
                const auto expected =
                    referenceAt(x, y, c.size.width(), c.size.height(), c.attitude);
                if (!expected)
                    continue;
                ++compared;
                ++counts[static_cast<int>(*expected)];
                if (classify(image.pixel(x, y)) == *expected)
                    ++agreed;
            }
        }
        ASSERT_GT(compared, c.size.width() * c.size.height() * 8 / 10);
        EXPECT_GE(agreed, compared * 99 / 100) << agreed << " of " << compared;
        // The reference itself must hold what the case is about.
        EXPECT_GT(counts[static_cast<int>(Seen::Picture)], compared / 2);
        EXPECT_GE(counts[static_cast<int>(Seen::Edge)], c.minInteriorEdgePixels);
        EXPECT_GE(edgePixels, c.minEdgePixels);
        if (c.minEdgePixels == 0) {
            EXPECT_EQ(edgePixels, 0);
        }
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
    BannerRenderer renderer(QString::fromStdString(flatPicture(dir).string()));
    QImage image(700, 220, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::green);
    QPainter painter(&image);
    painter.translate(40, 30);
    renderer.paint(painter, QSize(620, 150));
    painter.end();
    EXPECT_EQ(image.pixel(39, 100), QColor(Qt::green).rgb());
    EXPECT_EQ(image.pixel(40, 30), kBackgroundColour);
    EXPECT_EQ(image.pixel(659, 179), kBackgroundColour);
    EXPECT_EQ(image.pixel(660, 179), QColor(Qt::green).rgb());
    EXPECT_EQ(image.pixel(659, 180), QColor(Qt::green).rgb());
    EXPECT_EQ(classify(image.pixel(40 + 310, 30 + 75)), Seen::Picture);
}

TEST(BannerRenderer, RenderFrameMovesTheSlabWithTheClock) {
    double now = 50'000.0;
    BannerRenderer renderer(QString(), [&now] { return now; });
    QImage image(403, 92, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    renderer.renderFrame(painter, image.size());
    EXPECT_EQ(renderer.animation().previousTimeMs, 50'000.0);
    const float x = renderer.animation().angleX;
    now += 1000.0;
    renderer.renderFrame(painter, image.size());
    EXPECT_NEAR(std::fabs(renderer.animation().angleX - x), std::sin(0.02f), 1e-6f);
}

TEST(BannerWidget, RunsAtAboutSixtyFramesASecondUntilStopped) {
    test::TempDir dir;
    BannerWidget widget(QString::fromStdString(flatPicture(dir).string()));
    widget.resize(620, 150);
    EXPECT_FALSE(widget.isRunning());
    widget.start();
    EXPECT_TRUE(widget.isRunning());
    EXPECT_EQ(widget.frameTimer().interval(), 16);
    EXPECT_EQ(widget.frameTimer().timerType(), Qt::PreciseTimer);

    widget.show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return widget.renderer().animation().signXChosen; }, 2000));
    const double firstFrame = widget.renderer().animation().previousTimeMs;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return widget.renderer().animation().previousTimeMs > firstFrame; }, 2000));

    const QImage shot = widget.grab().toImage();
    EXPECT_EQ(shot.pixel(1, 1), kBackgroundColour);
    EXPECT_EQ(classify(shot.pixel(310, 75)), Seen::Picture);

    widget.stop();
    EXPECT_FALSE(widget.isRunning());
    const double stoppedAt = widget.renderer().animation().previousTimeMs;
    QTest::qWait(60);
    EXPECT_EQ(widget.renderer().animation().previousTimeMs, stoppedAt);
}

} // namespace
} // namespace dk3::presentation
