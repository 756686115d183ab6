#pragma once

// Draws the banner's swaying logo slab: a scanline rasterizer of our own fills the visible faces
// row by row into a frame image on the calling thread (the front face with the logo picture,
// perspective-correct and bilinearly filtered, the edge faces dark grey, everything else the
// banner's dark red), and the finished frame is handed to QPainter as one plain blit.

#include "presentation/BannerMath.h"

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class QPainter;

namespace dk3::presentation {

// The logo picture prepared for sampling: opaque 32-bit texels with a one-texel border that
// repeats the outermost row and column, so that the four texels a bilinear fetch mixes (two side
// by side in a row and the two below them) never need a bounds check.
class BannerTexture {
public:
    BannerTexture() = default;
    explicit BannerTexture(const QImage& picture);
    // Texels already laid out as this class keeps them (rows of width + 2, height + 2 of them),
    // which stay where they are for as long as the texture is used; nothing is copied.
    static BannerTexture borrowed(const std::uint32_t* texels, int width, int height);
    BannerTexture(BannerTexture&&) = default;
    BannerTexture& operator=(BannerTexture&&) = default;
    BannerTexture(const BannerTexture&) = delete;
    BannerTexture& operator=(const BannerTexture&) = delete;

    bool isNull() const { return width_ == 0; }
    int width() const { return width_; }
    int height() const { return height_; }

    // Texel (x, y), x in -1 .. width, y in -1 .. height (the border included).
    const std::uint32_t* texel(int x, int y) const {
        return texels_ + static_cast<std::ptrdiff_t>(y + 1) * stride_ + (x + 1);
    }
    // Texels from one row to the next.
    int stride() const { return stride_; }

    // Asks the processor to bring the whole picture into its caches. Between two frames, other
    // programs (other machines, on a shared host) push it out; fetched at the pace of a frame's
    // drawing, a line at a time as the rows need it, it would cost several times what one sweep
    // over it costs.
    void prefetch() const;

private:
    std::vector<std::uint32_t> owned_;
    const std::uint32_t* texels_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    int stride_ = 0;
};

class BannerRenderer {
public:
    // Opaque red 51, green 0, blue 0 behind the slab.
    static constexpr QRgb kBackground = 0xFF330000u;
    // A frame is worth drawing anew once a corner of the slab has moved this far, in pixels. The
    // slab moves a few tens of pixels a second at most, and the picture is filtered between its
    // texels, so a step of half a pixel does not show; each frame drawn costs the display a copy
    // of the banner (and under X11 a round trip to the server).
    static constexpr float kVisibleMotionPixels = 0.5f;

    // The picture is read once from picturePath; when it is missing or unreadable the front face is
    // drawn in its plain vertex colour instead. A file that holds exactly the program's own
    // picture is not decoded: its texels are the ones decoded when the program was built.
    explicit BannerRenderer(const QString& picturePath,
                            MillisecondClock clock = steadyClockMilliseconds,
                            std::unique_ptr<RandomSource> random = nullptr);
    ~BannerRenderer();
    BannerRenderer(const BannerRenderer&) = delete;
    BannerRenderer& operator=(const BannerRenderer&) = delete;

    bool hasPicture() const { return !texture_.isNull(); }
    const BannerTexture& texture() const { return texture_; }

    // Moves the slab on by the time that passed since the previous frame.
    void advance();
    // Draws the slab in its current attitude into the rectangle (0, 0) .. size of the painter's
    // coordinates, touching nothing outside it. Given an area, a painter on an image may draw
    // only the pixels inside it when the rest of the image already shows this frame there (see
    // changedArea).
    void paint(QPainter& painter, const QSize& size, const QRect& area = {}) const;
    // The same straight into image, the rectangle offset .. offset + size of it, when it is an
    // image the slab can be drawn into without a painter (32-bit, at its own scale, the rectangle
    // inside it); false, and nothing drawn, otherwise.
    bool paintInto(QImage& image, QPoint offset, const QSize& size, const QRect& area = {}) const;
    // advance() then paint(): one frame.
    void renderFrame(QPainter& painter, const QSize& size);

    // The slab in its current attitude, drawn into an image of pixelSize. The image stays valid
    // until the next call.
    const QImage& frame(const QSize& pixelSize) const;
    // Whether the current attitude, drawn at pixelSize, would differ visibly from the frame drawn
    // last: a corner moved by kVisibleMotionPixels or more, or another set of faces shows.
    bool differsFromLastFrame(const QSize& pixelSize) const;
    // The pixels of a frame of pixelSize where the current attitude and the frame drawn last can
    // differ: around the slab as it is and as it was; everything else is background in both.
    QRect changedArea(const QSize& pixelSize) const;

    // How many ticks of tickMs from now, at the slab's present pace and direction, the next frame
    // is due: the first tick at which the attitude drawn at pixelSize would differ visibly from
    // the frame on the screen (counted from the current attitude when a frame of it is due now,
    // as it is about to be drawn). At least 1, at most maxTicks, and never past a tick that may
    // turn the motion round, so that turning happens on the same tick as it would with a step
    // every tick.
    int ticksUntilVisibleChange(const QSize& pixelSize, double tickMs, int maxTicks) const;
    // How many ticks of tickMs the slab may go on moving in one step, whatever is drawn: at least
    // 1, at most maxTicks, and never past a tick that may turn the motion round.
    int ticksBeforeTurn(double tickMs, int maxTicks) const;

    // Whether the picture may be filled eight pixels at a time where the processor can (AVX2);
    // otherwise, and on other processors, one pixel at a time with SSE2. Both give the same
    // pixels; tests compare them.
    static void allowWideVectors(bool allowed);

    BannerAnimation& animation() { return animation_; }
    const BannerAnimation& animation() const { return animation_; }

private:
    struct Drawn {
        QSize size;
        float angleX = 0, angleY = 0, angleZ = 0;
        std::array<ScreenVertex, kSlabVertexCount> screen{};
        std::array<bool, kFaceCount> visible{};
        // The pixels the visible faces can touch, with a pixel to spare, inside size.
        QRect bounds() const;
    };
    Drawn layout(const QSize& pixelSize) const;
    Drawn layoutAt(const QSize& pixelSize, float angleX, float angleY, float angleZ) const;
    // The farthest any vertex of a face visible in both has moved between a and b, in pixels;
    // infinity when another set of faces shows.
    static float largestMove(const Drawn& a, const Drawn& b);
    // Fills the part area (in frame coordinates) of the rectangle offset .. offset + drawn.size
    // of image.
    void draw(const Drawn& drawn, QImage& image, QPoint offset, QRect area) const;

    BannerTexture texture_;
    Matrix4 projection_;
    MillisecondClock clock_;
    std::unique_ptr<RandomSource> random_;
    BannerAnimation animation_;

    mutable QImage frame_;
    mutable bool frameIsLastDrawn_ = false;
    mutable std::optional<Drawn> lastDrawn_;
};

} // namespace dk3::presentation
