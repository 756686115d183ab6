#include "presentation/BannerMath.h"

#include <cmath>
#include <deque>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace dk3::presentation {
namespace {

std::size_t index(Face face) {
    return static_cast<std::size_t>(face);
}

// Faces as a readable set for comparisons.
std::vector<Face> faceList(const std::array<bool, kFaceCount>& visible) {
    std::vector<Face> faces;
    for (int f = 0; f < kFaceCount; ++f) {
        if (visible[static_cast<std::size_t>(f)])
            faces.push_back(static_cast<Face>(f));
    }
    return faces;
}

std::vector<Face> visibleWith(const Matrix4& world, float width = 403, float height = 92) {
    return faceList(visibleFaces(projectSlab(multiply(world, bannerProjection()), width, height)));
}

// Row vector (x, y, z, 1) times m, divided by w.
std::array<float, 3> transformPoint(const Matrix4& m, float x, float y, float z) {
    std::array<float, 4> r{};
    for (int c = 0; c < 4; ++c)
        r[static_cast<std::size_t>(c)] = x * m(0, c) + y * m(1, c) + z * m(2, c) + m(3, c);
    return {r[0] / r[3], r[1] / r[3], r[2] / r[3]};
}

class ScriptedRandom final : public RandomSource {
public:
    explicit ScriptedRandom(std::deque<std::uint32_t> numbers) : numbers_(std::move(numbers)) {}
    void seed(std::uint32_t value) override { seeds.push_back(value); }
    std::uint32_t next() override {
        const std::uint32_t n = numbers_.front();
        numbers_.pop_front();
        return n;
    }
    std::vector<std::uint32_t> seeds;

private:
    std::deque<std::uint32_t> numbers_;
};

// A clock that reads out the given times one after the other.
MillisecondClock scriptedClock(std::deque<double>& times) {
    return [&times] {
        const double t = times.front();
        times.pop_front();
        return t;
    };
}

TEST(BannerMath, MatricesFollowTheRowVectorLeftHandedConventions) {
    const Matrix4 p = bannerProjection();
    // cot(pi/8) = 2.4142134; its share of the 403/92 aspect ratio; far / (far - near); the near
    // plane's offset.
    EXPECT_NEAR(p(0, 0), 0.5511355f, 1e-6f);
    EXPECT_NEAR(p(1, 1), 2.4142134f, 1e-6f);
    EXPECT_NEAR(p(2, 2), 1.0010010f, 1e-6f);
    EXPECT_FLOAT_EQ(p(2, 3), 1.0f);
    EXPECT_NEAR(p(3, 2), -0.1001001f, 1e-7f);
    EXPECT_FLOAT_EQ(p(3, 3), 0.0f);
    for (auto [row, column] : {std::pair{0, 1}, {0, 2}, {1, 0}, {1, 2}, {2, 0}, {2, 1}, {3, 0}})
        EXPECT_EQ(p(row, column), 0.0f) << row << "," << column;
    // Depth runs from 0 at the near plane to 1 at the far plane.
    EXPECT_NEAR(transformPoint(p, 0, 0, 0.1f)[2], 0.0f, 1e-6f);
    EXPECT_NEAR(transformPoint(p, 0, 0, 100.0f)[2], 1.0f, 1e-6f);

    // A quarter turn, applied to a row vector: X takes +y to +z, Y takes +z to +x, Z takes +x to
    // +y (left-handed, clockwise when looking along the axis).
    const float quarter = 1.5707964f;
    const auto x = transformPoint(Matrix4::rotationX(quarter), 0, 1, 0);
    EXPECT_NEAR(x[1], 0.0f, 1e-6f);
    EXPECT_NEAR(x[2], 1.0f, 1e-6f);
    const auto y = transformPoint(Matrix4::rotationY(quarter), 0, 0, 1);
    EXPECT_NEAR(y[0], 1.0f, 1e-6f);
    EXPECT_NEAR(y[2], 0.0f, 1e-6f);
    const auto z = transformPoint(Matrix4::rotationZ(quarter), 1, 0, 0);
    EXPECT_NEAR(z[0], 0.0f, 1e-6f);
    EXPECT_NEAR(z[1], 1.0f, 1e-6f);

    // multiply(a, b) applies a first: rotating then moving keeps the turn about the slab's centre.
    const Matrix4 world = slabWorld(0.3f, -0.2f, 0.08f);
    const auto centre = transformPoint(world, 0, 0, 0);
    EXPECT_NEAR(centre[0], 0.0f, 1e-6f);
    EXPECT_NEAR(centre[1], 0.0f, 1e-6f);
    EXPECT_NEAR(centre[2], 9.0f, 1e-6f);
    const auto moved = transformPoint(
        multiply(Matrix4::translation(0, 0, 9), Matrix4::rotationX(quarter)), 0, 0, 0);
    EXPECT_NEAR(moved[1], -9.0f, 1e-5f); // the other order swings the slab round the viewer
}

TEST(BannerMath, SlabAtRestIsCentredAndFillsTheExpectedShare) {
    for (auto [width, height] : {std::pair{403.0f, 92.0f}, {620.0f, 150.0f}}) {
        const auto screen =
            projectSlab(multiply(slabWorld(0, 0, 0), bannerProjection()), width, height);
        const ScreenVertex& topLeft = screen[0];
        const ScreenVertex& bottomRight = screen[3];
        EXPECT_NEAR((bottomRight.x - topLeft.x) / width, 0.689, 0.002);
        EXPECT_NEAR((bottomRight.y - topLeft.y) / height, 0.905, 0.002);
        EXPECT_NEAR((topLeft.x + bottomRight.x) / 2, width / 2, 1e-3);
        EXPECT_NEAR((topLeft.y + bottomRight.y) / 2, height / 2, 1e-3);
        EXPECT_FLOAT_EQ(screen[1].y, topLeft.y); // upright, no perspective slant
        EXPECT_TRUE(topLeft.insideDepthRange);
        EXPECT_EQ(faceList(visibleFaces(screen)), std::vector<Face>{Face::Front});
    }
}

TEST(BannerMath, CullingShowsTheFacesThatFaceTheViewer) {
    // Tipped forward the bottom shows, tipped back the top; a small tilt shows neither, because
    // the eye at the height of the slab's centre still looks past both.
    EXPECT_EQ(visibleWith(slabWorld(0.4f, 0, 0)), (std::vector{Face::Front, Face::Bottom}));
    EXPECT_EQ(visibleWith(slabWorld(-0.4f, 0, 0)), (std::vector{Face::Front, Face::Top}));
    EXPECT_EQ(visibleWith(slabWorld(0.2f, 0, 0)), (std::vector{Face::Front}));
    EXPECT_EQ(visibleWith(slabWorld(0.4f, -0.2f, 0.08f)), (std::vector{Face::Front, Face::Bottom}));

    // Moved aside, the slab shows the end that faces the viewer.
    EXPECT_EQ(visibleWith(Matrix4::translation(15, 0, 20)), (std::vector{Face::Front, Face::Left}));
    EXPECT_EQ(visibleWith(Matrix4::translation(-15, 0, 20)),
              (std::vector{Face::Front, Face::Right}));
    EXPECT_EQ(visibleWith(Matrix4::translation(0, -8, 20)), (std::vector{Face::Front, Face::Top}));

    // Turned round, the front looks away and the back is still never drawn.
    const auto turned =
        projectSlab(multiply(slabWorld(0, 3.1415927f, 0), bannerProjection()), 403, 92);
    EXPECT_TRUE(stripTriangleDrawn(turned, Face::Back, 0));
    EXPECT_TRUE(stripTriangleDrawn(turned, Face::Back, 1));
    EXPECT_EQ(visibleWith(slabWorld(0, 3.1415927f, 0)), std::vector<Face>{});

    // Nowhere in the motion's range (and well beyond it) is the back face drawn, and the front
    // face always is.
    for (float ax = -0.6f; ax <= 0.6f; ax += 0.1f) {
        for (float ay = -0.4f; ay <= 0.4f; ay += 0.1f) {
            for (float az = -0.2f; az <= 0.2f; az += 0.1f) {
                const auto visible = visibleFaces(
                    projectSlab(multiply(slabWorld(ax, ay, az), bannerProjection()), 620, 150));
                EXPECT_FALSE(visible[index(Face::Back)]) << ax << " " << ay << " " << az;
                EXPECT_TRUE(visible[index(Face::Front)]) << ax << " " << ay << " " << az;
                EXPECT_FALSE(visible[index(Face::Top)] && visible[index(Face::Bottom)]);
            }
        }
    }

    // A slab reaching behind the near plane is not drawn rather than drawn inside out.
    EXPECT_EQ(visibleWith(Matrix4::translation(0, 0, 0.5f)), std::vector<Face>{});
}

TEST(BannerMath, FirstFrameChoosesDirectionsAndTakesTheWholeClockAsItsStep) {
    BannerAnimation a;
    ScriptedRandom random({7, 4, 9}); // odd, even, odd
    std::deque<double> times{1000.0, 1000.0, 1500.0};
    const MillisecondClock clock = scriptedClock(times);

    a.step(clock, random);
    EXPECT_EQ(random.seeds, std::vector<std::uint32_t>{1000});
    EXPECT_EQ(a.signX, 1.0f);
    EXPECT_EQ(a.signY, -1.0f);
    EXPECT_EQ(a.signZ, 1.0f);
    EXPECT_TRUE(a.signXChosen && a.signYChosen && a.signZChosen);
    // dt = 1 s since the clock's origin.
    EXPECT_FLOAT_EQ(a.angleX, std::sin(0.02f));
    EXPECT_FLOAT_EQ(a.angleY, -std::sin(0.025f));
    EXPECT_FLOAT_EQ(a.angleZ, std::sin(0.02f));
    EXPECT_EQ(a.previousTimeMs, 1000.0);

    // Half a second later: no new seed, and Z moves by the X axis' step, not Y's.
    a.step(clock, random);
    EXPECT_EQ(random.seeds.size(), 1u);
    EXPECT_FLOAT_EQ(a.angleX, std::sin(0.02f) + std::sin(0.01f));
    EXPECT_FLOAT_EQ(a.angleY, -std::sin(0.025f) - std::sin(0.0125f));
    EXPECT_FLOAT_EQ(a.angleZ, std::sin(0.02f) + std::sin(0.01f));
    EXPECT_EQ(a.previousTimeMs, 1500.0);

    // A clock read long after its origin makes a first step far out of range: it is undone.
    BannerAnimation late;
    ScriptedRandom lateRandom({1, 1, 1});
    std::deque<double> lateTimes{4'000'000'123.0, 4'000'000'123.0};
    late.step(scriptedClock(lateTimes), lateRandom);
    EXPECT_EQ(lateRandom.seeds, std::vector<std::uint32_t>{4'000'000'123u});
    EXPECT_LE(std::fabs(late.angleX), BannerAnimation::kLimitX);
    EXPECT_LE(std::fabs(late.angleY), BannerAnimation::kLimitY);
    EXPECT_LE(std::fabs(late.angleZ), BannerAnimation::kLimitZ);
}

TEST(BannerMath, StepThatWouldPassALimitIsUndoneAndTurnsTheMotionRound) {
    BannerAnimation a;
    a.signXChosen = a.signYChosen = a.signZChosen = true;
    a.previousTimeMs = 10'000.0;
    a.angleX = 0.49f;
    a.angleY = -0.24f;
    a.signY = -1.0f;
    a.angleZ = 0.09f;
    ScriptedRandom random({});
    std::deque<double> times{11'000.0, 12'000.0};
    const MillisecondClock clock = scriptedClock(times);

    a.step(clock, random); // steps of about 0.02, 0.025 and 0.02 pass every limit
    EXPECT_TRUE(random.seeds.empty());
    EXPECT_NEAR(a.angleX, 0.49f, 1e-6f);
    EXPECT_NEAR(a.angleY, -0.24f, 1e-6f);
    EXPECT_NEAR(a.angleZ, 0.09f, 1e-6f);
    EXPECT_EQ(a.signX, -1.0f);
    EXPECT_EQ(a.signY, 1.0f);
    EXPECT_EQ(a.signZ, -1.0f);

    a.step(clock, random); // and from the next frame on they move back
    EXPECT_NEAR(a.angleX, 0.49f - std::sin(0.02f), 1e-6f);
    EXPECT_NEAR(a.angleY, -0.24f + std::sin(0.025f), 1e-6f);
    EXPECT_NEAR(a.angleZ, 0.09f - std::sin(0.02f), 1e-6f);

    // A step that ends exactly on a limit is within range.
    BannerAnimation edge;
    edge.signXChosen = edge.signYChosen = edge.signZChosen = true;
    std::deque<double> none{0.0};
    edge.angleX = 0.5f;
    edge.step(scriptedClock(none), random);
    EXPECT_EQ(edge.angleX, 0.5f);
    EXPECT_EQ(edge.signX, 1.0f);

    // An angle that is not a number is out of range: the motion turns and the slab comes back.
    BannerAnimation broken;
    broken.signXChosen = broken.signYChosen = broken.signZChosen = true;
    broken.angleY = std::numeric_limits<float>::quiet_NaN();
    std::deque<double> once{100.0};
    broken.step(scriptedClock(once), random);
    EXPECT_EQ(broken.signY, -1.0f);
    EXPECT_TRUE(std::isfinite(broken.angleY));
    EXPECT_EQ(broken.signX, 1.0f);
}

} // namespace
} // namespace dk3::presentation
