#pragma once

// Draws the banner's swaying logo slab with QPainter: the front face carries the logo picture
// through a projective transform, the visible edge faces are dark grey, and everything else is the
// banner's dark red.

#include "presentation/BannerMath.h"

#include <QColor>
#include <QImage>
#include <QString>

#include <memory>

class QPainter;
class QSize;

namespace dk3::presentation {

class BannerRenderer {
public:
    // Opaque red 51, green 0, blue 0 behind the slab.
    static constexpr QRgb kBackground = 0xFF330000u;

    // The picture is read once from picturePath; when it is missing or unreadable the front face is
    // drawn in its plain vertex colour instead.
    explicit BannerRenderer(const QString& picturePath,
                            MillisecondClock clock = steadyClockMilliseconds,
                            std::unique_ptr<RandomSource> random = nullptr);
    ~BannerRenderer();
    BannerRenderer(const BannerRenderer&) = delete;
    BannerRenderer& operator=(const BannerRenderer&) = delete;

    bool hasPicture() const { return !picture_.isNull(); }

    // Moves the slab on by the time that passed since the previous frame.
    void advance();
    // Draws the slab in its current attitude into the rectangle (0, 0) .. size of the painter's
    // coordinates, touching nothing outside it.
    void paint(QPainter& painter, const QSize& size) const;
    // advance() then paint(): one frame.
    void renderFrame(QPainter& painter, const QSize& size);

    BannerAnimation& animation() { return animation_; }
    const BannerAnimation& animation() const { return animation_; }

private:
    void paintFront(QPainter& painter,
                    const std::array<ScreenVertex, kSlabVertexCount>& screen) const;
    static void paintEdge(QPainter& painter,
                          const std::array<ScreenVertex, kSlabVertexCount>& screen, Face face);

    QImage picture_;
    Matrix4 projection_;
    MillisecondClock clock_;
    std::unique_ptr<RandomSource> random_;
    BannerAnimation animation_;
};

} // namespace dk3::presentation
