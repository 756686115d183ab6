// The scanline renderer against a drawing made entirely by QPainter's raster engine (the picture
// through a projective transform with smooth filtering, the edges as plain polygons), frame by
// frame along a stretch of the real motion, with the shipped logo.

#include "presentation/BannerRenderer.h"
#include "support/TempDir.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPolygonF>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace dk3::presentation {
namespace {

constexpr std::array<std::size_t, 4> kLoop = {0, 1, 3, 2};

QPolygonF quadOf(const std::array<ScreenVertex, kSlabVertexCount>& screen, Face face) {
    QPolygonF polygon;
    for (std::size_t corner : kLoop) {
        const ScreenVertex& v = screen[static_cast<std::size_t>(face) * 4 + corner];
        polygon << QPointF(v.x, v.y);
    }
    return polygon;
}

QImage drawnByQPainter(const QImage& picture, const BannerAnimation& attitude, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(BannerRenderer::kBackground);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    const auto screen = projectSlab(
        multiply(slabWorld(attitude.angleX, attitude.angleY, attitude.angleZ), bannerProjection()),
        static_cast<float>(size.width()), static_cast<float>(size.height()));
    const auto visible = visibleFaces(screen);
    if (visible[static_cast<std::size_t>(Face::Front)]) {
        QPolygonF source;
        for (std::size_t corner : kLoop) {
            const SlabVertex& v = kSlabVertices[corner];
            source << QPointF(v.u * picture.width(), v.v * picture.height());
        }
        QTransform mapping;
        EXPECT_TRUE(QTransform::quadToQuad(source, quadOf(screen, Face::Front), mapping));
        painter.save();
        painter.setTransform(mapping);
        painter.drawImage(QPointF(0, 0), picture);
        painter.restore();
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(34, 34, 34));
    for (Face face : {Face::Top, Face::Bottom, Face::Right, Face::Left}) {
        if (visible[static_cast<std::size_t>(face)])
            painter.drawPolygon(quadOf(screen, face));
    }
    return image;
}

// The mean difference per channel in grey levels, and the share of pixels that differ by more
// than two levels in some channel.
std::pair<double, double> difference(const QImage& a, const QImage& b) {
    double sum = 0;
    int off = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            int largest = 0;
            for (int d : {qRed(p) - qRed(q), qGreen(p) - qGreen(q), qBlue(p) - qBlue(q)}) {
                sum += std::abs(d);
                largest = std::max(largest, std::abs(d));
            }
            off += largest > 2;
        }
    }
    const double pixels = static_cast<double>(a.width()) * a.height();
    return {sum / (3.0 * pixels), off / pixels};
}

TEST(BannerRendererComparison, EveryFrameOfTheMotionMatchesTheRasterEngineWithinAGreyLevel) {
    test::TempDir dir;
    const QString path = QString::fromStdString((dir / "logo.jpg").string());
    ASSERT_TRUE(QFile::copy(QStringLiteral(":/dk3/vorlix_logo.jpg"), path));
    const QImage picture = QImage(path).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    ASSERT_FALSE(picture.isNull());

    // A clock of 16 ms ticks, with directions that run into every limit within the stretch.
    double now = 1000.0;
    BannerRenderer renderer(path, [&now] { return now; });
    renderer.animation().signXChosen = renderer.animation().signYChosen =
        renderer.animation().signZChosen = true;
    renderer.animation().previousTimeMs = now;
    renderer.animation().angleX = 0.42f;
    renderer.animation().angleY = -0.2f;
    renderer.animation().angleZ = 0.05f;
    renderer.animation().signY = -1.0f;

    const QSize size(620, 150);
    // At three times the scale, rows longer than the renderer maps in one go.
    const QSize large(1860, 450);
    double worstMean = 0;
    // Every 25th frame of 40 seconds of motion: both limits about Y and Z and the one about X.
    for (int frame = 0; frame < 2500; ++frame) {
        now += 16;
        renderer.advance();
        if (frame % 25 != 0)
            continue;
        const QSize drawn = frame % 500 == 0 ? large : size;
        const auto [mean, offShare] = difference(
            renderer.frame(drawn), drawnByQPainter(picture, renderer.animation(), drawn));
        SCOPED_TRACE(testing::Message() << "frame " << frame << " at " << drawn.width());
        EXPECT_LT(mean, 1.0);
        // Larger differences only where the two put a pixel at a face's edge differently.
        EXPECT_LT(offShare, 0.03);
        worstMean = std::max(worstMean, mean);
    }
    RecordProperty("worst_mean_grey_levels", std::to_string(worstMean));
}

} // namespace
} // namespace dk3::presentation

namespace dk3::presentation {
namespace {

TEST(BannerRendererComparison, EightPixelsAtATimeGiveTheSamePixelsAsOneAtATime) {
    test::TempDir dir;
    const QString path = QString::fromStdString((dir / "logo.jpg").string());
    ASSERT_TRUE(QFile::copy(QStringLiteral(":/dk3/vorlix_logo.jpg"), path));
    BannerRenderer renderer(path);
    ASSERT_TRUE(renderer.hasPicture());
    // Attitudes at and between the limits, at the banner's sizes and at odd ones whose spans end
    // at every remainder of eight.
    for (const auto& [x, y, z] : {std::array<float, 3>{0, 0, 0},
                                  {0.5f, -0.25f, 0.1f},
                                  {-0.5f, 0.25f, -0.1f},
                                  {0.31f, 0.07f, -0.04f}}) {
        for (const QSize size : {QSize(620, 150), QSize(403, 92), QSize(517, 133)}) {
            renderer.animation().angleX = x;
            renderer.animation().angleY = y;
            renderer.animation().angleZ = z;
            BannerRenderer::allowWideVectors(true);
            const QImage wide = renderer.frame(size).copy();
            BannerRenderer::allowWideVectors(false);
            // A hair's turn forces a new frame; then back to the same attitude.
            renderer.animation().angleX = x + 0.01f;
            renderer.frame(size);
            renderer.animation().angleX = x;
            const QImage narrow = renderer.frame(size).copy();
            BannerRenderer::allowWideVectors(true);
            EXPECT_EQ(wide, narrow) << x << " " << y << " " << z << " " << size.width();
        }
    }
}

// How far the fastest corner of the slab lies apart on the screen between two attitudes.
float fastestCornerMove(const BannerAnimation& a, const BannerAnimation& b, QSize size) {
    const auto project = [size](const BannerAnimation& m) {
        return projectSlab(multiply(slabWorld(m.angleX, m.angleY, m.angleZ), bannerProjection()),
                           static_cast<float>(size.width()), static_cast<float>(size.height()));
    };
    const auto from = project(a);
    const auto to = project(b);
    float largest = 0;
    for (std::size_t i = 0; i < from.size(); ++i)
        largest =
            std::max({largest, std::fabs(from[i].x - to[i].x), std::fabs(from[i].y - to[i].y)});
    return largest;
}

TEST(BannerRendererComparison, AFrameIsDueOnceACornerMovedHalfAPixel) {
    EXPECT_EQ(BannerRenderer::kVisibleMotionPixels, 0.5f);
    double now = 5000.0;
    BannerRenderer renderer(QString(), [&now] { return now; });
    BannerAnimation& motion = renderer.animation();
    motion.signXChosen = motion.signYChosen = motion.signZChosen = true;
    motion.previousTimeMs = now;
    motion.angleX = 0.3f;
    const QSize size(620, 150);
    EXPECT_TRUE(renderer.differsFromLastFrame(size)); // nothing drawn yet
    renderer.frame(size);
    EXPECT_FALSE(renderer.differsFromLastFrame(size));
    EXPECT_TRUE(renderer.differsFromLastFrame(QSize(403, 92)));

    // The motion goes on every tick; the picture is due again only once the fastest corner has
    // moved half a pixel from where the screen shows it, and then it is drawn with the attitude
    // of that moment. Several frames in a row, with the real tick of 16 ms.
    for (int frame = 0; frame < 4; ++frame) {
        SCOPED_TRACE(testing::Message() << "frame " << frame);
        const BannerAnimation shown = motion;
        float lastMove = 0;
        int ticks = 0;
        while (!renderer.differsFromLastFrame(size) && ticks < 1000) {
            lastMove = fastestCornerMove(shown, motion, size);
            now += 16;
            renderer.advance();
            ++ticks;
        }
        EXPECT_LT(lastMove, 0.5f) << "a tick with a visible move was left out";
        EXPECT_GE(fastestCornerMove(shown, motion, size), 0.5f);
        // About a fifth of a pixel a tick at this attitude: three ticks, give or take one.
        EXPECT_GE(ticks, 2);
        EXPECT_LE(ticks, 4);
        const QImage before = renderer.frame(size).copy();
        EXPECT_FALSE(renderer.differsFromLastFrame(size));
        EXPECT_NE(before, renderer.frame(QSize(620, 151)).copy(QRect(0, 0, 620, 150)));
        renderer.frame(size);
    }
}

TEST(BannerRendererComparison, TheTimerSleepsOnlyThroughTicksThatBringNoVisibleChange) {
    double now = 5000.0;
    BannerRenderer renderer(QString(), [&now] { return now; });
    BannerAnimation& motion = renderer.animation();
    motion.signXChosen = motion.signYChosen = motion.signZChosen = true;
    motion.previousTimeMs = now;
    const QSize size(620, 150);
    EXPECT_EQ(renderer.ticksUntilVisibleChange(size, 16, 8), 1); // nothing drawn yet

    // Far from every limit, with ticks short enough that many pass between visible moves (and no
    // cap on the sleep that would bind): the timer sleeps until exactly the first tick on which
    // the frame is due.
    motion.angleX = 0.1f;
    motion.angleY = 0.0f;
    motion.angleZ = 0.0f;
    renderer.frame(size);
    for (int frame = 0; frame < 5; ++frame) {
        const int predicted = renderer.ticksUntilVisibleChange(size, 2, 50);
        EXPECT_GT(predicted, 1);
        int due = 0;
        while (!renderer.differsFromLastFrame(size) && due < 100) {
            now += 2.0;
            renderer.advance();
            ++due;
        }
        SCOPED_TRACE(testing::Message() << "frame " << frame);
        EXPECT_EQ(predicted, due);
        // Due now: the next frame is counted from this attitude, which is about to be drawn.
        const int next = renderer.ticksUntilVisibleChange(size, 2, 50);
        renderer.frame(size);
        EXPECT_EQ(renderer.ticksUntilVisibleChange(size, 2, 50), next);
    }
    // At the real pace of 16 ms a corner moves between a sixth and a fifth of a pixel a tick
    // here: a frame every third or fourth tick.
    const int atRealPace = renderer.ticksUntilVisibleChange(size, 16, 8);
    EXPECT_GE(atRealPace, 3);
    EXPECT_LE(atRealPace, 4);

    // Close to a limit the motion may turn on the next tick: no sleeping.
    motion.angleZ = motion.signZ * (BannerAnimation::kLimitZ - 0.0004f);
    renderer.frame(size);
    EXPECT_EQ(renderer.ticksUntilVisibleChange(size, 16, 8), 1);
    EXPECT_EQ(renderer.ticksUntilVisibleChange(size, 16, 1), 1);
}

} // namespace
} // namespace dk3::presentation
