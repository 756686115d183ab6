#include "presentation/BannerRenderer.h"

#include "presentation/ShippedPicture.h"

#include <QFile>
#include <QImageReader>
#include <QPaintEngine>
#include <QPainter>
#include <QPointF>
#include <QPolygonF>
#include <QTransform>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <immintrin.h>
#include <limits>

namespace dk3::presentation {

namespace {

// Blending is off, so the vertex alpha of 0 does not make the slab transparent.
constexpr std::uint32_t opaque(std::uint32_t argb) {
    return argb | 0xFF000000u;
}

// The four corners of a face as a closed loop: a strip runs 0, 1, 2, 3 in a zigzag, the loop
// round the quad is 0, 1, 3, 2.
constexpr std::array<std::size_t, 4> kLoopOrder = {0, 1, 3, 2};

struct Point {
    float x, y;
};

using Quad = std::array<Point, 4>;

Quad faceOnScreen(const std::array<ScreenVertex, kSlabVertexCount>& screen, Face face) {
    const std::size_t first = static_cast<std::size_t>(face) * 4;
    Quad quad{};
    for (std::size_t i = 0; i < 4; ++i) {
        const ScreenVertex& v = screen[first + kLoopOrder[i]];
        quad[i] = {v.x, v.y};
    }
    return quad;
}

// The pixels of row y whose centres lie inside the convex quad: first .. end (exclusive), clipped
// to 0 .. width. A centre on a left or top edge belongs to the quad, one on a right or bottom edge
// does not, so faces that share an edge neither overlap nor leave a gap. Every edge is evaluated
// with its end points in the same order whichever face it belongs to, so both faces compute the
// same crossing to the last bit.
struct Span {
    int first = 0;
    int end = 0;
};

Span spanOnRow(const Quad& quad, int y, int width) {
    const float centreY = static_cast<float>(y) + 0.5f;
    float left = std::numeric_limits<float>::infinity();
    float right = -std::numeric_limits<float>::infinity();
    for (std::size_t i = 0; i < 4; ++i) {
        Point a = quad[i];
        Point b = quad[(i + 1) % 4];
        if (a.y > b.y || (a.y == b.y && a.x > b.x))
            std::swap(a, b);
        if (!(centreY >= a.y && centreY < b.y))
            continue;
        const float x = a.x + (centreY - a.y) * (b.x - a.x) / (b.y - a.y);
        left = std::min(left, x);
        right = std::max(right, x);
    }
    if (!(left < right))
        return {};
    auto firstCentreFrom = [width](float x) {
        const float pixel = std::ceil(x - 0.5f);
        return static_cast<int>(std::clamp(pixel, 0.0f, static_cast<float>(width)));
    };
    return {firstCentreFrom(left), firstCentreFrom(right)};
}

// The rows a quad can touch, clipped to 0 .. height.
std::pair<int, int> rowsOf(const Quad& quad, int height) {
    float top = quad[0].y, bottom = quad[0].y;
    for (const Point& p : quad) {
        top = std::min(top, p.y);
        bottom = std::max(bottom, p.y);
    }
    auto row = [height](float yValue) {
        return static_cast<int>(
            std::clamp(std::ceil(yValue - 0.5f), 0.0f, static_cast<float>(height)));
    };
    return {row(top), row(bottom)};
}

// The texels at and right of texel, and the two below them, their bytes interleaved channel by
// channel: blue, blue below, green, green below, ... of the left column, then of the right one.
inline __m128i fourTexels(const std::uint32_t* texel, int stride) {
    return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(texel)),
                             _mm_loadl_epi64(reinterpret_cast<const __m128i*>(texel + stride)));
}

// The bilinear mix of the four texels from texel on (see fourTexels), with weights dx and dy
// (0 .. 255) towards the right and lower ones, in 8-bit fixed point as the raster engine's own
// bilinear filter does. Each multiply-add mixes one channel of the upper and the lower texel at
// once, four channels to a register.
inline std::uint32_t bilinear(const std::uint32_t* texel, int stride, std::uint32_t dx,
                              std::uint32_t dy) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i rows = fourTexels(texel, stride);
    const __m128i down =
        _mm_shuffle_epi32(_mm_cvtsi32_si128(static_cast<int>((256 - dy) | (dy << 16))), 0);
    const __m128i left = _mm_srli_epi32(_mm_madd_epi16(_mm_unpacklo_epi8(rows, zero), down), 8);
    const __m128i right = _mm_srli_epi32(_mm_madd_epi16(_mm_unpackhi_epi8(rows, zero), down), 8);
    // Left and right column channel by channel side by side.
    const __m128i columns = _mm_or_si128(left, _mm_slli_epi32(right, 16));
    const __m128i across =
        _mm_shuffle_epi32(_mm_cvtsi32_si128(static_cast<int>((256 - dx) | (dx << 16))), 0);
    const __m128i mixed = _mm_srli_epi32(_mm_madd_epi16(columns, across), 8);
    const __m128i packed = _mm_packs_epi32(mixed, zero);
    return static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(packed, zero)));
}

// A texture coordinate in texels, 16.16 fixed point, already moved by half a texel so that its
// integer part is the upper left of the four texels a bilinear fetch mixes.
struct Fixed {
    std::int32_t u, v;
};

constexpr int kSegmentPixels = 16;

// Maps pixel centres of the screen to texel positions of the picture (the inverse of the front
// face's projective mapping).
class TexelMapping {
public:
    TexelMapping(const QTransform& screenToTexels, const BannerTexture& texture)
        : m_(screenToTexels), maxU_(texture.width() * 65536 - 1),
          maxV_(texture.height() * 65536 - 1) {}

    Fixed at(double x, double y) const {
        const double w = m_.m13() * x + m_.m23() * y + m_.m33();
        const double inverse = w == 0.0 ? 1.0 : 1.0 / w;
        const double u = (m_.m11() * x + m_.m21() * y + m_.m31()) * inverse - 0.5;
        const double v = (m_.m12() * x + m_.m22() * y + m_.m32()) * inverse - 0.5;
        return {clampFixed(u, maxU_), clampFixed(v, maxV_)};
    }

private:
    // Positions beyond the picture repeat its outermost texels: the fetch then mixes two copies of
    // the same texel from the border.
    static std::int32_t clampFixed(double texels, std::int32_t max) {
        const double fixed = std::clamp(texels * 65536.0, -65536.0, static_cast<double>(max));
        // Rounded down by truncation and a correction: std::floor has no instruction of its own
        // on the processors this is built for.
        const auto truncated = static_cast<std::int32_t>(fixed);
        return truncated - (static_cast<double>(truncated) > fixed ? 1 : 0);
    }

    QTransform m_;
    std::int32_t maxU_;
    std::int32_t maxV_;
};

// A stretch of length pixels of the picture, the texel position starting at (u, v) and moving by
// (stepU, stepV) from pixel to pixel.
struct Stretch {
    std::uint32_t* out;
    int length;
    std::int32_t u, v, stepU, stepV;
};

void fillStretch(const Stretch& s, const std::uint32_t* origin, int stride) {
    std::int32_t u = s.u;
    std::int32_t v = s.v;
    for (int i = 0; i < s.length; ++i, u += s.stepU, v += s.stepV) {
        const std::uint32_t* texel =
            origin + static_cast<std::ptrdiff_t>(v >> 16) * stride + (u >> 16);
        const std::uint32_t dx = (static_cast<std::uint32_t>(u) >> 8) & 0xFFu;
        const std::uint32_t dy = (static_cast<std::uint32_t>(v) >> 8) & 0xFFu;
        s.out[i] = bilinear(texel, stride, dx, dy);
    }
}

// Element j of each 128-bit lane spread over its lane.
__attribute__((target("avx2"), always_inline)) inline __m256i spread(__m256i values, int j) {
    switch (j) {
    case 0:
        return _mm256_shuffle_epi32(values, 0x00);
    case 1:
        return _mm256_shuffle_epi32(values, 0x55);
    case 2:
        return _mm256_shuffle_epi32(values, 0xAA);
    default:
        return _mm256_shuffle_epi32(values, 0xFF);
    }
}

// The same mix as bilinear(), to the bit, eight pixels at a time on processors with AVX2: register
// j holds the four texels of pixels j and j + 4, one pixel to a 128-bit lane, and the weights of
// each lane's pixel are spread over its lane.
__attribute__((target("avx2"), always_inline)) inline void
fillStretchAvx2(const Stretch& s, const std::uint32_t* origin, int stride) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i byte = _mm256_set1_epi32(0xFF);
    const __m256i full = _mm256_set1_epi32(256);
    const __m256i steps = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    __m256i u = _mm256_add_epi32(_mm256_set1_epi32(s.u),
                                 _mm256_mullo_epi32(steps, _mm256_set1_epi32(s.stepU)));
    __m256i v = _mm256_add_epi32(_mm256_set1_epi32(s.v),
                                 _mm256_mullo_epi32(steps, _mm256_set1_epi32(s.stepV)));
    const __m256i eightU = _mm256_set1_epi32(s.stepU * 8);
    const __m256i eightV = _mm256_set1_epi32(s.stepV * 8);
    int i = 0;
    for (; i + 8 <= s.length; i += 8) {
        // The first texels of the eight pixels, counted on the integer side while the vector side
        // mixes.
        std::ptrdiff_t offsets[8];
        for (int k = 0; k < 8; ++k) {
            const std::int32_t pu = s.u + (i + k) * s.stepU;
            const std::int32_t pv = s.v + (i + k) * s.stepV;
            offsets[k] = static_cast<std::ptrdiff_t>(pv >> 16) * stride + (pu >> 16);
        }
        // Each pixel's pair of 16-bit weights, (256 - d, d).
        const __m256i dx = _mm256_and_si256(_mm256_srli_epi32(u, 8), byte);
        const __m256i dy = _mm256_and_si256(_mm256_srli_epi32(v, 8), byte);
        const __m256i across =
            _mm256_or_si256(_mm256_sub_epi32(full, dx), _mm256_slli_epi32(dx, 16));
        const __m256i down = _mm256_or_si256(_mm256_sub_epi32(full, dy), _mm256_slli_epi32(dy, 16));
        __m256i mixed[4];
#pragma GCC unroll 4
        for (int j = 0; j < 4; ++j) {
            const __m256i rows = _mm256_inserti128_si256(
                _mm256_castsi128_si256(fourTexels(origin + offsets[j], stride)),
                fourTexels(origin + offsets[j + 4], stride), 1);
            const __m256i downHere = spread(down, j);
            const __m256i acrossHere = spread(across, j);
            const __m256i left =
                _mm256_srli_epi32(_mm256_madd_epi16(_mm256_unpacklo_epi8(rows, zero), downHere), 8);
            const __m256i right =
                _mm256_srli_epi32(_mm256_madd_epi16(_mm256_unpackhi_epi8(rows, zero), downHere), 8);
            const __m256i columns = _mm256_or_si256(left, _mm256_slli_epi32(right, 16));
            mixed[j] = _mm256_srli_epi32(_mm256_madd_epi16(columns, acrossHere), 8);
        }
        // Packed, the lanes hold pixels 0 .. 3 and 4 .. 7 in order.
        const __m256i packed = _mm256_packus_epi16(_mm256_packs_epi32(mixed[0], mixed[1]),
                                                   _mm256_packs_epi32(mixed[2], mixed[3]));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(s.out + i), packed);
        u = _mm256_add_epi32(u, eightU);
        v = _mm256_add_epi32(v, eightV);
    }
    if (i < s.length) {
        fillStretch(
            {s.out + i, s.length - i, s.u + i * s.stepU, s.v + i * s.stepV, s.stepU, s.stepV},
            origin, stride);
    }
}

// Pixels first .. end of a row in one colour, four at a time.
void fillPlain(std::uint32_t* first, std::uint32_t* end, std::uint32_t colour) {
    const __m128i four = _mm_set1_epi32(static_cast<int>(colour));
    for (; first + 4 <= end; first += 4)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(first), four);
    for (; first < end; ++first)
        *first = colour;
}

bool& wideVectorsAllowed() {
    static bool allowed = true;
    return allowed;
}

bool useAvx2() {
    static const bool supported = __builtin_cpu_supports("avx2");
    return supported && wideVectorsAllowed();
}

// The stretches of a row, one to a segment: the exact perspective mapping is computed every
// kSegmentPixels pixels and followed linearly in between; over so short a stretch of this gently
// tilted slab the two differ by far less than a texel. Up to kMostStretches of them from pixel
// first on, all ends mapped before any is filled so that their divisions overlap; returns the
// pixel after the last.
constexpr int kMostStretches = 64;
using Stretches = std::array<Stretch, kMostStretches>;

int stretchesFrom(std::uint32_t* row, int y, int first, int end, const TexelMapping& mapping,
                  Stretches& stretches, int& count) {
    const double centreY = y + 0.5;
    const int last = std::min(end, first + kMostStretches * kSegmentPixels);
    count = (last - first + kSegmentPixels - 1) / kSegmentPixels;
    std::array<Fixed, kMostStretches + 1> ends;
    ends[0] = mapping.at(first + 0.5, centreY);
    for (int n = 1; n <= count; ++n)
        ends[static_cast<std::size_t>(n)] =
            mapping.at(std::min(first + n * kSegmentPixels, last) + 0.5, centreY);
    for (int n = 0; n < count; ++n) {
        const int segment = first + n * kSegmentPixels;
        const int length = std::min(kSegmentPixels, last - segment);
        const Fixed& start = ends[static_cast<std::size_t>(n)];
        const Fixed& stop = ends[static_cast<std::size_t>(n) + 1];
        // A whole segment divides by a constant, which needs no division instruction.
        auto step = [length](std::int32_t distance) {
            return length == kSegmentPixels ? distance / kSegmentPixels : distance / length;
        };
        stretches[static_cast<std::size_t>(n)] = {
            row + segment,         length, start.u, start.v, step(stop.u - start.u),
            step(stop.v - start.v)};
    }
    return last;
}

__attribute__((target("avx2"))) void fillStretchesAvx2(const Stretches& stretches, int count,
                                                       const std::uint32_t* origin, int stride) {
    for (int n = 0; n < count; ++n)
        fillStretchAvx2(stretches[static_cast<std::size_t>(n)], origin, stride);
}

// Fills pixels first .. end of a row with the picture.
void fillTextured(std::uint32_t* row, int y, Span span, const TexelMapping& mapping,
                  const BannerTexture& texture) {
    const bool wide = useAvx2();
    const std::uint32_t* origin = texture.texel(0, 0);
    const int stride = texture.stride();
    Stretches stretches;
    int count = 0;
    for (int first = span.first; first < span.end;) {
        first = stretchesFrom(row, y, first, span.end, mapping, stretches, count);
        if (wide) {
            fillStretchesAvx2(stretches, count, origin, stride);
        } else {
            for (int n = 0; n < count; ++n)
                fillStretch(stretches[static_cast<std::size_t>(n)], origin, stride);
        }
    }
}

BannerTexture loadPicture(const QString& path) {
    if (path.isEmpty())
        return {};
    if (const ShippedPicture& shipped = shippedPicture(); shipped.encodedSize > 0) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly) &&
            file.size() == static_cast<qint64>(shipped.encodedSize)) {
            const QByteArray bytes = file.readAll();
            if (static_cast<std::size_t>(bytes.size()) == shipped.encodedSize &&
                std::memcmp(bytes.constData(), shipped.encoded, shipped.encodedSize) == 0)
                return BannerTexture::borrowed(shipped.texels, shipped.width, shipped.height);
        }
    }
    QImageReader reader(path);
    return BannerTexture(reader.read());
}

// The steps of the angles in one tick of tickMs, as BannerAnimation::step computes them: about
// X and Z, and about Y.
std::pair<float, float> tickSteps(double tickMs) {
    const float dt = static_cast<float>(tickMs * 0.001);
    return {std::sin(dt * 0.02f), std::sin(dt * 0.025f)};
}

} // namespace

void BannerRenderer::allowWideVectors(bool allowed) {
    wideVectorsAllowed() = allowed;
}

BannerTexture::BannerTexture(const QImage& picture) {
    if (picture.isNull())
        return;
    const QImage opaquePicture = picture.convertToFormat(QImage::Format_RGB32);
    width_ = opaquePicture.width();
    height_ = opaquePicture.height();
    stride_ = width_ + 2;
    owned_.resize(static_cast<std::size_t>(stride_) * static_cast<std::size_t>(height_ + 2));
    texels_ = owned_.data();
    // Row y, the border included, is row y + 1 of the texels; the rows and columns beyond the
    // picture repeat its edge.
    for (int y = -1; y <= height_; ++y) {
        const auto* source = reinterpret_cast<const std::uint32_t*>(
            opaquePicture.constScanLine(std::clamp(y, 0, height_ - 1)));
        std::uint32_t* target = owned_.data() + static_cast<std::ptrdiff_t>(y + 1) * stride_;
        std::copy(source, source + width_, target + 1);
        target[0] = target[1];
        target[width_ + 1] = target[width_];
    }
}

BannerTexture BannerTexture::borrowed(const std::uint32_t* texels, int width, int height) {
    BannerTexture texture;
    if (!texels || width <= 0 || height <= 0)
        return texture;
    texture.texels_ = texels;
    texture.width_ = width;
    texture.height_ = height;
    texture.stride_ = width + 2;
    return texture;
}

void BannerTexture::prefetch() const {
    // Reads in address order, which the processor's own prefetcher follows at full speed; the
    // sum only keeps the reads from being left out.
    const std::size_t perLine = 64 / sizeof(std::uint32_t);
    const std::size_t count =
        static_cast<std::size_t>(stride_) * static_cast<std::size_t>(height_ + 2);
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < count; i += perLine)
        sum += texels_[i];
    asm volatile("" : : "r"(sum));
}

BannerRenderer::BannerRenderer(const QString& picturePath, MillisecondClock clock,
                               std::unique_ptr<RandomSource> random)
    : texture_(loadPicture(picturePath)), projection_(bannerProjection()), clock_(std::move(clock)),
      random_(random ? std::move(random) : std::make_unique<StandardRandomSource>()) {
    if (!clock_)
        clock_ = steadyClockMilliseconds;
}

BannerRenderer::~BannerRenderer() = default;

void BannerRenderer::advance() {
    animation_.step(clock_, *random_);
}

void BannerRenderer::renderFrame(QPainter& painter, const QSize& size) {
    advance();
    paint(painter, size);
}

BannerRenderer::Drawn BannerRenderer::layout(const QSize& pixelSize) const {
    return layoutAt(pixelSize, animation_.angleX, animation_.angleY, animation_.angleZ);
}

BannerRenderer::Drawn BannerRenderer::layoutAt(const QSize& pixelSize, float angleX, float angleY,
                                               float angleZ) const {
    Drawn drawn;
    drawn.size = pixelSize;
    drawn.angleX = angleX;
    drawn.angleY = angleY;
    drawn.angleZ = angleZ;
    // The view matrix is the identity: world * projection.
    const Matrix4 worldViewProjection = multiply(slabWorld(angleX, angleY, angleZ), projection_);
    drawn.screen = projectSlab(worldViewProjection, static_cast<float>(pixelSize.width()),
                               static_cast<float>(pixelSize.height()));
    drawn.visible = visibleFaces(drawn.screen);
    return drawn;
}

float BannerRenderer::largestMove(const Drawn& a, const Drawn& b) {
    if (a.size != b.size || a.visible != b.visible)
        return std::numeric_limits<float>::infinity();
    float largest = 0;
    for (std::size_t i = 0; i < a.screen.size(); ++i) {
        const float move = std::max(std::fabs(a.screen[i].x - b.screen[i].x),
                                    std::fabs(a.screen[i].y - b.screen[i].y));
        // A move that is no number counts as a visible change.
        if (!(move <= largest))
            largest = std::isnan(move) ? std::numeric_limits<float>::infinity() : move;
    }
    return largest;
}

bool BannerRenderer::differsFromLastFrame(const QSize& pixelSize) const {
    if (!lastDrawn_)
        return true;
    return !(largestMove(layout(pixelSize), *lastDrawn_) < kVisibleMotionPixels);
}

int BannerRenderer::ticksBeforeTurn(double tickMs, int maxTicks) const {
    const BannerAnimation& m = animation_;
    if (maxTicks <= 1 || !m.signXChosen || !m.signYChosen || !m.signZChosen)
        return 1;
    const auto [stepA, stepB] = tickSteps(tickMs);
    // Ticks before an axis could pass its limit: one step short of it, so that the step which
    // passes it, and is undone, is a step of one tick.
    auto ticksWithin = [](float angle, float sign, float step, float limit) {
        const float room = limit - angle * sign;
        return room > step ? static_cast<int>((room - step) / step) : 0;
    };
    return std::max(
        1, std::min({maxTicks, ticksWithin(m.angleX, m.signX, stepA, BannerAnimation::kLimitX),
                     ticksWithin(m.angleY, m.signY, stepB, BannerAnimation::kLimitY),
                     ticksWithin(m.angleZ, m.signZ, stepA, BannerAnimation::kLimitZ)}));
}

int BannerRenderer::ticksUntilVisibleChange(const QSize& pixelSize, double tickMs,
                                            int maxTicks) const {
    const BannerAnimation& m = animation_;
    if (!lastDrawn_)
        return 1;
    const int ticks = ticksBeforeTurn(tickMs, maxTicks);
    if (ticks <= 1)
        return 1;
    const auto [stepA, stepB] = tickSteps(tickMs);
    // A frame that is due now is drawn with the present attitude, so the next one is counted
    // from here.
    const Drawn now = layout(pixelSize);
    const Drawn& shown = largestMove(now, *lastDrawn_) < kVisibleMotionPixels ? *lastDrawn_ : now;
    // The motion is stepped ahead a tick at a time as advance() would move it at this pace (no
    // turn can come within these ticks), up to the first attitude that would differ visibly.
    float angleX = m.angleX;
    float angleY = m.angleY;
    float angleZ = m.angleZ;
    for (int tick = 1; tick < ticks; ++tick) {
        angleX += stepA * m.signX;
        angleY += stepB * m.signY;
        angleZ += stepA * m.signZ;
        if (!(largestMove(layoutAt(pixelSize, angleX, angleY, angleZ), shown) <
              kVisibleMotionPixels))
            return tick;
    }
    return ticks;
}

const QImage& BannerRenderer::frame(const QSize& pixelSize) const {
    if (frameIsLastDrawn_ && lastDrawn_ && lastDrawn_->size == pixelSize &&
        lastDrawn_->angleX == animation_.angleX && lastDrawn_->angleY == animation_.angleY &&
        lastDrawn_->angleZ == animation_.angleZ)
        return frame_;
    if (frame_.size() != pixelSize || frame_.format() != QImage::Format_RGB32)
        frame_ = QImage(pixelSize, QImage::Format_RGB32);
    if (frame_.isNull())
        return frame_;
    const Drawn drawn = layout(pixelSize);
    draw(drawn, frame_, QPoint(0, 0), QRect(QPoint(0, 0), pixelSize));
    lastDrawn_ = drawn;
    frameIsLastDrawn_ = true;
    return frame_;
}

void BannerRenderer::draw(const Drawn& drawn, QImage& image, QPoint offset, QRect area) const {
    const int width = drawn.size.width();
    const int height = drawn.size.height();
    area &= QRect(QPoint(0, 0), drawn.size);
    const int left = area.left();
    const int right = area.right() + 1;

    struct Fill {
        Quad quad;
        std::uint32_t colour;
        bool textured;
        std::pair<int, int> rows;
    };
    std::array<Fill, kFaceCount> fills{};
    std::size_t fillCount = 0;
    std::optional<TexelMapping> mapping;
    for (int f = 0; f < kFaceCount; ++f) {
        if (!drawn.visible[static_cast<std::size_t>(f)])
            continue;
        const Face face = static_cast<Face>(f);
        Fill fill{faceOnScreen(drawn.screen, face),
                  opaque(kSlabVertices[static_cast<std::size_t>(f) * 4].colour),
                  false,
                  {}};
        fill.rows = rowsOf(fill.quad, height);
        if (face == Face::Front && !texture_.isNull()) {
            // Where each corner's texture coordinate falls in the picture, in the same loop order.
            QPolygonF target, source;
            for (std::size_t i = 0; i < 4; ++i) {
                target << QPointF(fill.quad[i].x, fill.quad[i].y);
                const SlabVertex& v = kSlabVertices[kLoopOrder[i]];
                source << QPointF(static_cast<qreal>(v.u) * texture_.width(),
                                  static_cast<qreal>(v.v) * texture_.height());
            }
            QTransform screenToTexels;
            // The mapping fails only for a face seen exactly edge-on, which then covers no pixel
            // anyway; it is drawn plain.
            if (QTransform::quadToQuad(target, source, screenToTexels)) {
                mapping.emplace(screenToTexels, texture_);
                fill.textured = true;
            }
        }
        fills[fillCount++] = fill;
    }

    if (mapping)
        texture_.prefetch();

    // The visible faces never overlap (see visibleFaces), so their order does not matter; every
    // pixel of the area is written once, the background only between the faces' spans.
    for (int y = area.top(); y <= area.bottom(); ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(image.scanLine(offset.y() + y)) + offset.x();
        std::array<std::pair<Span, const Fill*>, kFaceCount> spans{};
        std::size_t spanCount = 0;
        for (std::size_t i = 0; i < fillCount; ++i) {
            const Fill& fill = fills[i];
            if (y < fill.rows.first || y >= fill.rows.second)
                continue;
            const Span span = spanOnRow(fill.quad, y, width);
            if (span.first < span.end)
                spans[spanCount++] = {span, &fill};
        }
        // At most a handful of spans: sorted by insertion.
        for (std::size_t i = 1; i < spanCount; ++i) {
            for (std::size_t j = i; j > 0 && spans[j].first.first < spans[j - 1].first.first; --j)
                std::swap(spans[j], spans[j - 1]);
        }
        int x = left;
        for (std::size_t i = 0; i < spanCount; ++i) {
            const auto& [span, fill] = spans[i];
            // Spans of neighbouring faces meet exactly; the test keeps the fill safe should
            // rounding ever let them overlap by a pixel.
            const Span part{std::max(span.first, x), std::min(span.end, right)};
            if (part.first >= part.end)
                continue;
            fillPlain(row + x, row + part.first, kBackground);
            if (fill->textured)
                fillTextured(row, y, part, *mapping, texture_);
            else
                fillPlain(row + part.first, row + part.end, fill->colour);
            x = part.end;
        }
        fillPlain(row + x, row + right, kBackground);
    }
}

QRect BannerRenderer::Drawn::bounds() const {
    float top = std::numeric_limits<float>::infinity(), leftmost = top;
    float bottom = -top, rightmost = -top;
    for (int f = 0; f < kFaceCount; ++f) {
        if (!visible[static_cast<std::size_t>(f)])
            continue;
        for (std::size_t i = 0; i < 4; ++i) {
            const ScreenVertex& v = screen[static_cast<std::size_t>(f) * 4 + i];
            leftmost = std::min(leftmost, v.x);
            rightmost = std::max(rightmost, v.x);
            top = std::min(top, v.y);
            bottom = std::max(bottom, v.y);
        }
    }
    const QRect whole(QPoint(0, 0), size);
    if (!(leftmost <= rightmost && top <= bottom))
        return {};
    // Whole pixels around every pixel centre the faces can reach, and one more on each side.
    const float limit = 1e6f;
    auto low = [limit](float v) {
        return static_cast<int>(std::floor(std::clamp(v, -limit, limit))) - 1;
    };
    auto high = [limit](float v) {
        return static_cast<int>(std::ceil(std::clamp(v, -limit, limit))) + 1;
    };
    return QRect(QPoint(low(leftmost), low(top)), QPoint(high(rightmost), high(bottom))) & whole;
}

QRect BannerRenderer::changedArea(const QSize& pixelSize) const {
    const QRect whole(QPoint(0, 0), pixelSize);
    if (!lastDrawn_ || lastDrawn_->size != pixelSize)
        return whole;
    return layout(pixelSize).bounds() | lastDrawn_->bounds();
}

namespace {

// Whether the slab can be drawn straight into image at offset: a 32-bit opaque-or-premultiplied
// image (a window's backing store, for one) at its own scale, the rectangle of size inside it.
bool drawableInto(const QImage& image, QPoint offset, const QSize& size) {
    return (image.format() == QImage::Format_RGB32 ||
            image.format() == QImage::Format_ARGB32_Premultiplied) &&
           image.devicePixelRatio() == 1.0 && image.rect().contains(QRect(offset, size));
}

// The image a painter paints on, when the slab can be drawn straight into it: the raster engine
// on an image the slab can be drawn into, moved by whole pixels only, without a clip of the
// caller's. Nothing else is painted on those pixels meanwhile, so the frame needs no copy of its
// own.
QImage* directTarget(QPainter& painter, const QSize& size, QPoint& offset) {
    QPaintEngine* engine = painter.paintEngine();
    if (!engine || engine->type() != QPaintEngine::Raster || painter.hasClipping())
        return nullptr;
    QPaintDevice* device = engine->paintDevice();
    if (!device || device->devType() != QInternal::Image)
        return nullptr;
    const QTransform transform = painter.deviceTransform();
    if (transform.type() > QTransform::TxTranslate ||
        transform.dx() != std::floor(transform.dx()) ||
        transform.dy() != std::floor(transform.dy()))
        return nullptr;
    offset = QPoint(static_cast<int>(transform.dx()), static_cast<int>(transform.dy()));
    auto* image = static_cast<QImage*>(device);
    return drawableInto(*image, offset, size) ? image : nullptr;
}

} // namespace

bool BannerRenderer::paintInto(QImage& image, QPoint offset, const QSize& size,
                               const QRect& area) const {
    if (size.isEmpty() || !drawableInto(image, offset, size))
        return false;
    const Drawn drawn = layout(size);
    // Outside the area the image keeps the pixels it has: the caller's promise that they show
    // this frame already.
    draw(drawn, image, offset, area.isEmpty() ? QRect(QPoint(0, 0), size) : area);
    lastDrawn_ = drawn;
    frameIsLastDrawn_ = false;
    return true;
}

void BannerRenderer::paint(QPainter& painter, const QSize& size, const QRect& area) const {
    if (size.isEmpty())
        return;
    QPoint offset;
    if (QImage* target = directTarget(painter, size, offset);
        target && paintInto(*target, offset, size, area))
        return;
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QSize pixelSize = (QSizeF(size) * ratio).toSize();
    if (pixelSize.isEmpty())
        return;
    const QImage& image = frame(pixelSize);
    if (image.isNull())
        return;
    // A frame of exactly the target's size at the device's own scale is a plain copy.
    painter.drawImage(QRectF(0, 0, size.width(), size.height()), image);
}

} // namespace dk3::presentation
