#pragma once

// Geometry and motion of the banner's logo slab, without any toolkit: the slab's vertices, the
// matrices of the fixed-function pipeline the banner was designed for (row vectors, left-handed
// perspective), the projection onto the banner's pixels, face culling and the swaying motion.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>

namespace dk3::presentation {

inline constexpr std::uint32_t kSlabWhite = 0x00FFFFFFu; // front face: the picture unchanged
inline constexpr std::uint32_t kSlabGrey = 0x00222222u;  // edge faces: red, green, blue 34

// One vertex as the slab's geometry describes it: position, ARGB colour, texture coordinate.
struct SlabVertex {
    float x, y, z;
    std::uint32_t colour;
    float u, v;
};

// Faces in the order of the vertex table, four vertices each, every face a strip of two
// triangles starting at vertex 4 * face.
enum class Face { Front, Back, Top, Bottom, Right, Left };
inline constexpr int kFaceCount = 6;
inline constexpr int kSlabVertexCount = 24;

// The slab: 20 units wide, 6 high, 2 deep, centred on its own origin; the front face (z = -1)
// maps the whole picture.
extern const std::array<SlabVertex, kSlabVertexCount> kSlabVertices;

// A 4 x 4 matrix used with row vectors (v' = v * M), element (row, column).
struct Matrix4 {
    std::array<float, 16> m{};

    float& operator()(int row, int column) { return m[static_cast<std::size_t>(row * 4 + column)]; }
    float operator()(int row, int column) const {
        return m[static_cast<std::size_t>(row * 4 + column)];
    }

    static Matrix4 identity();
    // Left-handed perspective with a vertical field of view, depth mapped to 0 .. 1.
    static Matrix4 perspectiveFovLH(float fovY, float aspect, float zNear, float zFar);
    static Matrix4 rotationX(float angle);
    static Matrix4 rotationY(float angle);
    static Matrix4 rotationZ(float angle);
    static Matrix4 translation(float x, float y, float z);
};

// a * b: with row vectors, a is applied first.
Matrix4 multiply(const Matrix4& a, const Matrix4& b);

// The banner's fixed camera: vertical field of view pi/4 and the aspect ratio of the banner
// control (403 x 92 dialog units), whatever the pixel size it is finally drawn at.
inline constexpr float kBannerFovY = 0.7853982f;
inline constexpr float kBannerAspect = 4.380435f;
inline constexpr float kBannerNear = 0.1f;
inline constexpr float kBannerFar = 100.0f;
inline constexpr float kSlabDistance = 9.0f;

Matrix4 bannerProjection();
// RotationX * RotationY * RotationZ * Translation(0, 0, 9): the slab turns about its own centre,
// X first, and is then moved away from the viewer. The view matrix is the identity.
Matrix4 slabWorld(float angleX, float angleY, float angleZ);

// A vertex after transformation, perspective division and the viewport mapping onto a target of
// width x height pixels (y downwards). depth is 0 at the near and 1 at the far plane.
struct ScreenVertex {
    float x = 0, y = 0;
    float depth = 0;
    float w = 0;
    bool insideDepthRange = false; // between the near and the far plane
};

ScreenVertex projectVertex(const SlabVertex& vertex, const Matrix4& worldViewProjection,
                           float width, float height);
std::array<ScreenVertex, kSlabVertexCount> projectSlab(const Matrix4& worldViewProjection,
                                                       float width, float height);

// Whether the triangle strip's triangle `index` (0 or 1) of a face survives the default cull mode,
// which drops triangles that appear counter-clockwise on the screen. A strip swaps the winding of
// every second triangle, so both triangles of a flat quad agree.
bool stripTriangleDrawn(const std::array<ScreenVertex, kSlabVertexCount>& screen, Face face,
                        int index);

// Faces to draw: those whose two triangles survive culling and lie wholly between the near and
// far planes (always the case within the motion's range). The back face is never drawn.
//
// The slab is convex and the eye is outside it, so a ray from the eye enters it through exactly
// one face that faces the eye: the projections of the faces that survive culling never overlap
// (apart from shared edges). Painting them in any order therefore gives the picture a depth test
// would give, and no depth buffer is needed.
std::array<bool, kFaceCount> visibleFaces(const std::array<ScreenVertex, kSlabVertexCount>& screen);

// Source of the millisecond clock, like the platform's multimedia timer.
using MillisecondClock = std::function<double()>;
double steadyClockMilliseconds();

// The pseudo-random generator that picks the initial directions of motion.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual void seed(std::uint32_t value) = 0;
    virtual std::uint32_t next() = 0;
};

class StandardRandomSource final : public RandomSource {
public:
    void seed(std::uint32_t value) override { engine_.seed(value); }
    std::uint32_t next() override { return static_cast<std::uint32_t>(engine_()); }

private:
    std::minstd_rand engine_;
};

// The swaying motion: angles in radians, each bouncing between its limits at its own pace.
struct BannerAnimation {
    static constexpr float kLimitX = 0.5f;
    static constexpr float kLimitY = 0.25f;
    static constexpr float kLimitZ = 0.1f;

    double previousTimeMs = 0.0;
    float angleX = 0.0f;
    float angleY = 0.0f;
    float angleZ = 0.0f;
    float signX = 1.0f;
    float signY = 1.0f;
    float signZ = 1.0f;
    bool signXChosen = false;
    bool signYChosen = false;
    bool signZChosen = false;

    // One frame of motion. On the first frame the directions are chosen at random (the generator
    // seeded from the clock, +1 for an odd number), and the time since the clock's origin counts as
    // the first step; a step that would leave an angle's range is undone and turns the motion
    // round.
    void step(const MillisecondClock& clock, RandomSource& random);
};

} // namespace dk3::presentation
