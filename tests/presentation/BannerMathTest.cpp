#include "presentation/BannerMath.h"

#include <cmath>
#include <deque>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace dk3::presentation {
namespace {

std::vector<Face> visibleWith(const Matrix4& world, float width = 403, float height = 92) {
    const auto visible =
        visibleFaces(projectSlab(multiply(world, bannerProjection()), width, height));
    std::vector<Face> faces;
    for (int f = 0; f < kFaceCount; ++f) {
        if (visible[static_cast<std::size_t>(f)])
            faces.push_back(static_cast<Face>(f));
    }
    return faces;
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
    // cot(pi/8), its share of the 403/92 aspect ratio, far / (far - near), the near plane's offset.
    EXPECT_NEAR(p(0, 0), 0.5511355f, 1e-6f);
    EXPECT_NEAR(p(1, 1), 2.4142134f, 1e-6f);
    EXPECT_NEAR(p(2, 2), 1.0010010f, 1e-6f);
    EXPECT_FLOAT_EQ(p(2, 3), 1.0f);
    EXPECT_NEAR(p(3, 2), -0.1001001f, 1e-7f);
    EXPECT_FLOAT_EQ(p(3, 3), 0.0f);
    EXPECT_NEAR(transformPoint(p, 0, 0, 0.1f)[2], 0.0f, 1e-6f);
    EXPECT_NEAR(transformPoint(p, 0, 0, 100.0f)[2], 1.0f, 1e-6f);

    // Quarter turns of a row vector: X takes +y to +z, Y takes +z to +x, Z takes +x to +y.
    const float quarter = 1.5707964f;
    EXPECT_NEAR(transformPoint(Matrix4::rotationX(quarter), 0, 1, 0)[2], 1.0f, 1e-6f);
    EXPECT_NEAR(transformPoint(Matrix4::rotationY(quarter), 0, 0, 1)[0], 1.0f, 1e-6f);
    EXPECT_NEAR(transformPoint(Matrix4::rotationZ(quarter), 1, 0, 0)[1], 1.0f, 1e-6f);

    // multiply(a, b) applies a first: the slab turns about its own centre, 9 units away.
    const auto centre = transformPoint(slabWorld(0.3f, -0.2f, 0.08f), 0, 0, 0);
    EXPECT_NEAR(std::hypot(centre[0], centre[1], centre[2] - 9.0f), 0.0f, 1e-6f);
    const Matrix4 swung = multiply(Matrix4::translation(0, 0, 9), Matrix4::rotationX(quarter));
    EXPECT_NEAR(transformPoint(swung, 0, 0, 0)[1], -9.0f, 1e-5f);
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
        EXPECT_FLOAT_EQ(screen[1].y, topLeft.y);
        EXPECT_EQ(visibleWith(slabWorld(0, 0, 0), width, height), std::vector<Face>{Face::Front});
    }
}

TEST(BannerMath, CullingShowsTheFacesThatFaceTheViewer) {
    // Tipped forward the bottom shows, tipped back the top; a small tilt shows neither, because
    // the eye at the height of the slab's centre still looks past both.
    EXPECT_EQ(visibleWith(slabWorld(0.4f, -0.2f, 0.08f)), (std::vector{Face::Front, Face::Bottom}));
    EXPECT_EQ(visibleWith(slabWorld(-0.4f, 0, 0)), (std::vector{Face::Front, Face::Top}));
    EXPECT_EQ(visibleWith(slabWorld(0.2f, 0, 0)), (std::vector{Face::Front}));
    // Moved aside, the slab shows the end that faces the viewer.
    EXPECT_EQ(visibleWith(Matrix4::translation(15, 0, 20)), (std::vector{Face::Front, Face::Left}));
    EXPECT_EQ(visibleWith(Matrix4::translation(-15, 0, 20)),
              (std::vector{Face::Front, Face::Right}));
    // Turned round, the front looks away and the back, which now faces the viewer, is not drawn
    // either; a slab reaching behind the near plane is not drawn inside out.
    EXPECT_EQ(visibleWith(slabWorld(0, 3.1415927f, 0)), std::vector<Face>{});
    EXPECT_EQ(visibleWith(Matrix4::translation(0, 0, 0.5f)), std::vector<Face>{});

    // Throughout the motion's range (and a little beyond) the front shows and the back never.
    for (float ax = -0.6f; ax <= 0.6f; ax += 0.1f) {
        for (float ay = -0.4f; ay <= 0.4f; ay += 0.1f) {
            const auto faces = visibleWith(slabWorld(ax, ay, 0.12f));
            ASSERT_FALSE(faces.empty());
            EXPECT_EQ(faces.front(), Face::Front);
            EXPECT_LE(faces.size(), 2u) << ax << " " << ay;
            EXPECT_NE(faces.back(), Face::Back);
        }
    }
}

TEST(BannerMath, AnimationStepsLikeTheOriginalFrameLoop) {
    BannerAnimation a;
    ScriptedRandom random({7, 4, 9}); // odd, even, odd
    std::deque<double> times{1000.0, 1000.0, 1500.0};
    const MillisecondClock clock = scriptedClock(times);

    // First frame: directions from a generator seeded with the clock; dt = 1 s since its origin.
    a.step(clock, random);
    EXPECT_EQ(random.seeds, std::vector<std::uint32_t>{1000});
    EXPECT_EQ(std::vector({a.signX, a.signY, a.signZ}), std::vector({1.0f, -1.0f, 1.0f}));
    EXPECT_FLOAT_EQ(a.angleX, std::sin(0.02f));
    EXPECT_FLOAT_EQ(a.angleY, -std::sin(0.025f));
    EXPECT_FLOAT_EQ(a.angleZ, std::sin(0.02f));

    // Half a second later: no new seed, and Z moves by the X axis' step, not Y's.
    a.step(clock, random);
    EXPECT_EQ(random.seeds.size(), 1u);
    EXPECT_EQ(a.previousTimeMs, 1500.0);
    EXPECT_FLOAT_EQ(a.angleX, std::sin(0.02f) + std::sin(0.01f));
    EXPECT_FLOAT_EQ(a.angleY, -std::sin(0.025f) - std::sin(0.0125f));
    EXPECT_FLOAT_EQ(a.angleZ, std::sin(0.02f) + std::sin(0.01f));

    // Steps that would pass the limits are undone and turn the motion round...
    a.angleX = 0.49f;
    a.angleY = 0.24f;
    a.angleZ = -0.09f;
    a.signY = 1.0f;
    a.signZ = -1.0f;
    times = {2500.0, 3500.0};
    a.step(clock, random);
    EXPECT_NEAR(a.angleX, 0.49f, 1e-6f);
    EXPECT_NEAR(a.angleY, 0.24f, 1e-6f);
    EXPECT_NEAR(a.angleZ, -0.09f, 1e-6f);
    EXPECT_EQ(std::vector({a.signX, a.signY, a.signZ}), std::vector({-1.0f, -1.0f, 1.0f}));
    // ...and from the next frame on the slab moves back.
    a.step(clock, random);
    EXPECT_NEAR(a.angleX, 0.49f - std::sin(0.02f), 1e-6f);
    EXPECT_NEAR(a.angleY, 0.24f - std::sin(0.025f), 1e-6f);
    EXPECT_NEAR(a.angleZ, -0.09f + std::sin(0.02f), 1e-6f);

    // An angle that is not a number is out of range: the motion turns and the slab comes back.
    a.angleY = std::numeric_limits<float>::quiet_NaN();
    times = {3600.0};
    a.step(clock, random);
    EXPECT_EQ(a.signY, 1.0f);
    EXPECT_TRUE(std::isfinite(a.angleY));
}

} // namespace
} // namespace dk3::presentation
