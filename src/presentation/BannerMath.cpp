#include "presentation/BannerMath.h"

#include <chrono>
#include <cmath>

namespace dk3::presentation {

namespace {
constexpr std::uint32_t W = kSlabWhite;
constexpr std::uint32_t G = kSlabGrey;
} // namespace

const std::array<SlabVertex, kSlabVertexCount> kSlabVertices = {{
    // front (z = -1), carries the picture
    {-10, 3, -1, W, 0, 0},
    {10, 3, -1, W, 1, 0},
    {-10, -3, -1, W, 0, 1},
    {10, -3, -1, W, 1, 1},
    // back (z = +1)
    {-10, 3, 1, W, 0, 1},
    {-10, -3, 1, W, 0, 0},
    {10, 3, 1, W, 1, 1},
    {10, -3, 1, W, 1, 0},
    // top (y = +3)
    {-10, 3, 1, G, 0, 0},
    {10, 3, 1, G, 1, 0},
    {-10, 3, -1, G, 0, 1},
    {10, 3, -1, G, 1, 1},
    // bottom (y = -3)
    {-10, -3, 1, G, 0, 0},
    {-10, -3, -1, G, 1, 0},
    {10, -3, 1, G, 0, 1},
    {10, -3, -1, G, 1, 1},
    // right (x = +10)
    {10, 3, -1, G, 0, 0},
    {10, 3, 1, G, 1, 0},
    {10, -3, -1, G, 0, 1},
    {10, -3, 1, G, 1, 1},
    // left (x = -10)
    {-10, 3, -1, G, 1, 0},
    {-10, -3, -1, G, 1, 1},
    {-10, 3, 1, G, 0, 0},
    {-10, -3, 1, G, 0, 1},
}};

Matrix4 Matrix4::identity() {
    Matrix4 r;
    for (int i = 0; i < 4; ++i)
        r(i, i) = 1.0f;
    return r;
}

Matrix4 Matrix4::perspectiveFovLH(float fovY, float aspect, float zNear, float zFar) {
    const float yScale = 1.0f / std::tan(fovY / 2.0f);
    Matrix4 r;
    r(0, 0) = yScale / aspect;
    r(1, 1) = yScale;
    r(2, 2) = zFar / (zFar - zNear);
    r(2, 3) = 1.0f;
    r(3, 2) = -zNear * zFar / (zFar - zNear);
    return r;
}

Matrix4 Matrix4::rotationX(float angle) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    Matrix4 r = identity();
    r(1, 1) = c;
    r(1, 2) = s;
    r(2, 1) = -s;
    r(2, 2) = c;
    return r;
}

Matrix4 Matrix4::rotationY(float angle) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    Matrix4 r = identity();
    r(0, 0) = c;
    r(0, 2) = -s;
    r(2, 0) = s;
    r(2, 2) = c;
    return r;
}

Matrix4 Matrix4::rotationZ(float angle) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    Matrix4 r = identity();
    r(0, 0) = c;
    r(0, 1) = s;
    r(1, 0) = -s;
    r(1, 1) = c;
    return r;
}

Matrix4 Matrix4::translation(float x, float y, float z) {
    Matrix4 r = identity();
    r(3, 0) = x;
    r(3, 1) = y;
    r(3, 2) = z;
    return r;
}

Matrix4 multiply(const Matrix4& a, const Matrix4& b) {
    Matrix4 r;
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k)
                sum += a(row, k) * b(k, column);
            r(row, column) = sum;
        }
    }
    return r;
}

Matrix4 bannerProjection() {
    return Matrix4::perspectiveFovLH(kBannerFovY, kBannerAspect, kBannerNear, kBannerFar);
}

Matrix4 slabWorld(float angleX, float angleY, float angleZ) {
    const Matrix4 rotation =
        multiply(multiply(Matrix4::rotationX(angleX), Matrix4::rotationY(angleY)),
                 Matrix4::rotationZ(angleZ));
    return multiply(rotation, Matrix4::translation(0.0f, 0.0f, kSlabDistance));
}

ScreenVertex projectVertex(const SlabVertex& vertex, const Matrix4& worldViewProjection,
                           float width, float height) {
    const Matrix4& m = worldViewProjection;
    const float x = vertex.x * m(0, 0) + vertex.y * m(1, 0) + vertex.z * m(2, 0) + m(3, 0);
    const float y = vertex.x * m(0, 1) + vertex.y * m(1, 1) + vertex.z * m(2, 1) + m(3, 1);
    const float z = vertex.x * m(0, 2) + vertex.y * m(1, 2) + vertex.z * m(2, 2) + m(3, 2);
    const float w = vertex.x * m(0, 3) + vertex.y * m(1, 3) + vertex.z * m(2, 3) + m(3, 3);

    ScreenVertex out;
    out.w = w;
    // Clip space keeps 0 <= z <= w; outside it the vertex is cut away by the near or far plane.
    out.insideDepthRange = w > 0.0f && z >= 0.0f && z <= w;
    if (w == 0.0f)
        return out;
    const float ndcX = x / w;
    const float ndcY = y / w;
    out.depth = z / w;
    out.x = (ndcX + 1.0f) * 0.5f * width;
    out.y = (1.0f - ndcY) * 0.5f * height;
    return out;
}

std::array<ScreenVertex, kSlabVertexCount> projectSlab(const Matrix4& worldViewProjection,
                                                       float width, float height) {
    std::array<ScreenVertex, kSlabVertexCount> screen;
    for (std::size_t i = 0; i < screen.size(); ++i)
        screen[i] = projectVertex(kSlabVertices[i], worldViewProjection, width, height);
    return screen;
}

bool stripTriangleDrawn(const std::array<ScreenVertex, kSlabVertexCount>& screen, Face face,
                        int index) {
    const std::size_t first = static_cast<std::size_t>(face) * 4 + static_cast<std::size_t>(index);
    const ScreenVertex& a = screen[first];
    const ScreenVertex& b = screen[first + 1];
    const ScreenVertex& c = screen[first + 2];
    // With y pointing down, a positive cross product is a clockwise turn on the screen.
    const double cross = (static_cast<double>(b.x) - a.x) * (static_cast<double>(c.y) - a.y) -
                         (static_cast<double>(b.y) - a.y) * (static_cast<double>(c.x) - a.x);
    const double clockwise = index % 2 == 0 ? cross : -cross;
    // A triangle of no area covers no pixel.
    return clockwise > 0.0;
}

std::array<bool, kFaceCount>
visibleFaces(const std::array<ScreenVertex, kSlabVertexCount>& screen) {
    std::array<bool, kFaceCount> visible{};
    for (int f = 0; f < kFaceCount; ++f) {
        const Face face = static_cast<Face>(f);
        if (face == Face::Back)
            continue;
        bool inside = true;
        for (std::size_t i = 0; i < 4; ++i)
            inside = inside && screen[static_cast<std::size_t>(f) * 4 + i].insideDepthRange;
        visible[static_cast<std::size_t>(f)] =
            inside && stripTriangleDrawn(screen, face, 0) && stripTriangleDrawn(screen, face, 1);
    }
    return visible;
}

double steadyClockMilliseconds() {
    using namespace std::chrono;
    return static_cast<double>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

namespace {

// Undoes a step that left the range [-limit, limit] and turns the motion round. A value that
// compares with nothing is out of range as well; should it still be one afterwards, the axis
// restarts from its rest position rather than keep the slab invisible for good.
void bounce(float& angle, float& sign, float step, float limit) {
    if (angle <= limit && angle >= -limit)
        return;
    sign = -sign;
    angle += step * sign;
    if (!std::isfinite(angle))
        angle = 0.0f;
}

// The millisecond clock as a 32-bit seed, wrapping around as the platform's millisecond counter
// does; a clock value that is no number of milliseconds seeds with 0.
std::uint32_t clockSeed(double milliseconds) {
    if (!std::isfinite(milliseconds) || milliseconds < 0.0)
        return 0;
    return static_cast<std::uint32_t>(std::fmod(std::floor(milliseconds), 4294967296.0));
}

float randomSign(RandomSource& random) {
    return random.next() % 2 == 1 ? 1.0f : -1.0f;
}

} // namespace

void BannerAnimation::step(const MillisecondClock& clock, RandomSource& random) {
    if (!signXChosen || !signYChosen || !signZChosen) {
        random.seed(clockSeed(clock()));
        if (!signXChosen) {
            signX = randomSign(random);
            signXChosen = true;
        }
        if (!signYChosen) {
            signY = randomSign(random);
            signYChosen = true;
        }
        if (!signZChosen) {
            signZ = randomSign(random);
            signZChosen = true;
        }
    }

    const double now = clock();
    const float dt = static_cast<float>((now - previousTimeMs) * 0.001);
    previousTimeMs = now;

    const float stepA = std::sin(dt * 0.02f);
    const float stepB = std::sin(dt * 0.025f);

    angleX += stepA * signX;
    angleY += stepB * signY;
    angleZ += stepA * signZ;

    bounce(angleX, signX, stepA, kLimitX);
    bounce(angleY, signY, stepB, kLimitY);
    bounce(angleZ, signZ, stepA, kLimitZ);
}

} // namespace dk3::presentation
