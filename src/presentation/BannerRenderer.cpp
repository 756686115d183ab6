#include "presentation/BannerRenderer.h"

#include <QImageReader>
#include <QPainter>
#include <QPolygonF>
#include <QRect>
#include <QSize>
#include <QTransform>

namespace dk3::presentation {

namespace {

QColor vertexColour(std::uint32_t argb) {
    // Blending is off, so the vertex alpha of 0 does not make the slab transparent.
    return QColor::fromRgb(static_cast<QRgb>(argb | 0xFF000000u));
}

// The four corners of a face as a closed loop: a strip runs 0, 1, 2, 3 in a zigzag, the loop
// round the quad is 0, 1, 3, 2.
constexpr std::array<std::size_t, 4> kLoopOrder = {0, 1, 3, 2};

QPolygonF faceOnScreen(const std::array<ScreenVertex, kSlabVertexCount>& screen, Face face) {
    const std::size_t first = static_cast<std::size_t>(face) * 4;
    QPolygonF polygon;
    polygon.reserve(4);
    for (std::size_t corner : kLoopOrder)
        polygon << QPointF(screen[first + corner].x, screen[first + corner].y);
    return polygon;
}

QImage loadPicture(const QString& path) {
    if (path.isEmpty())
        return {};
    QImageReader reader(path);
    QImage image = reader.read();
    if (image.isNull())
        return {};
    // The format the raster engine samples fastest through a projective transform.
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

BannerRenderer::BannerRenderer(const QString& picturePath, MillisecondClock clock,
                               std::unique_ptr<RandomSource> random)
    : picture_(loadPicture(picturePath)), projection_(bannerProjection()), clock_(std::move(clock)),
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

void BannerRenderer::paint(QPainter& painter, const QSize& size) const {
    const QRect area(QPoint(0, 0), size);
    if (area.isEmpty())
        return;

    painter.save();
    painter.setClipRect(area, Qt::IntersectClip);
    // No antialiasing, as the device the banner was designed for drew it: adjacent faces then
    // meet without a seam of background between them.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.fillRect(area, QColor::fromRgb(kBackground));

    // The view matrix is the identity: world * projection.
    const Matrix4 worldViewProjection =
        multiply(slabWorld(animation_.angleX, animation_.angleY, animation_.angleZ), projection_);
    const auto screen = projectSlab(worldViewProjection, static_cast<float>(size.width()),
                                    static_cast<float>(size.height()));
    const auto visible = visibleFaces(screen);

    // The visible faces never overlap (see visibleFaces), so their order does not matter.
    if (visible[static_cast<std::size_t>(Face::Front)])
        paintFront(painter, screen);
    for (Face face : {Face::Top, Face::Bottom, Face::Right, Face::Left}) {
        if (visible[static_cast<std::size_t>(face)])
            paintEdge(painter, screen, face);
    }
    painter.restore();
}

void BannerRenderer::paintFront(QPainter& painter,
                                const std::array<ScreenVertex, kSlabVertexCount>& screen) const {
    const QPolygonF target = faceOnScreen(screen, Face::Front);
    if (!picture_.isNull()) {
        // Where each corner's texture coordinate falls in the picture, in the same loop order.
        const std::size_t first = static_cast<std::size_t>(Face::Front) * 4;
        QPolygonF source;
        source.reserve(4);
        for (std::size_t corner : kLoopOrder) {
            const SlabVertex& v = kSlabVertices[first + corner];
            source << QPointF(static_cast<qreal>(v.u) * picture_.width(),
                              static_cast<qreal>(v.v) * picture_.height());
        }
        QTransform mapping;
        // quadToQuad fails for a face seen exactly edge-on; the plain face is then drawn instead.
        if (QTransform::quadToQuad(source, target, mapping)) {
            painter.save();
            painter.setTransform(mapping, true);
            painter.drawImage(QPointF(0, 0), picture_);
            painter.restore();
            return;
        }
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(vertexColour(kSlabVertices[0].colour));
    painter.drawPolygon(target);
}

void BannerRenderer::paintEdge(QPainter& painter,
                               const std::array<ScreenVertex, kSlabVertexCount>& screen,
                               Face face) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(vertexColour(kSlabVertices[static_cast<std::size_t>(face) * 4].colour));
    painter.drawPolygon(faceOnScreen(screen, face));
}

} // namespace dk3::presentation
