#include "ui/ProgramStyle.h"

#include <QGroupBox>
#include <QImage>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace dk3::ui {
namespace {

// The gap Fusion leaves above the frame.
constexpr int kTopGap = 3;
// Qt's painter shares out among threads any painting of 96 rows or more; the sides and the
// inside are painted in bands of fewer.
constexpr int kRowsPerBand = 64;

// Whether every row of the area is the same as its first row.
bool rowsRepeat(const QImage& picture, const QRect& area) {
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    const auto bytes = static_cast<std::size_t>(area.width()) * 4;
    const uchar* first =
        image.constScanLine(area.top()) + static_cast<std::ptrdiff_t>(area.left()) * 4;
    for (int y = area.top() + 1; y <= area.bottom(); ++y) {
        const uchar* row = image.constScanLine(y) + static_cast<std::ptrdiff_t>(area.left()) * 4;
        if (std::memcmp(row, first, bytes) != 0)
            return false;
    }
    return true;
}

} // namespace

bool ProgramStyle::stretchesRowByRow(const QPixmap& picture) {
    const int border = kFrameBorder;
    if (picture.width() <= 2 * border || picture.height() < 2 * border + 2)
        return false;
    const QImage image = picture.toImage();
    // Everything Fusion stretches downwards: the sides and the inside, the whole width between
    // the top and bottom borders.
    return rowsRepeat(image, QRect(0, border, picture.width(), picture.height() - 2 * border));
}

ProgramStyle::ProgramStyle(const QPixmap& groupBoxFrame)
    : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))), frame_(groupBoxFrame),
      stretchesRowByRow_(stretchesRowByRow(groupBoxFrame)) {}

void ProgramStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                 QPainter* painter, const QWidget* widget) const {
    if (element == PE_FrameGroupBox && option && painter && stretchesRowByRow_)
        drawGroupBoxFrame(*option, *painter, widget);
    else
        QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void ProgramStyle::drawGroupBoxFrame(const QStyleOption& option, QPainter& painter,
                                     const QWidget* widget) const {
    // Where Fusion puts the frame: below the title, or nearly at the top of a box without one.
    const auto* box = qobject_cast<const QGroupBox*>(widget);
    const bool titled = !box || box->isCheckable() || !box->title().isEmpty();
    const int top = kTopGap + (titled ? std::max(pixelMetric(PM_ExclusiveIndicatorHeight),
                                                 option.fontMetrics.height())
                                      : 0);
    const QRect target = option.rect.adjusted(0, top, 0, 0);
    const int border = kFrameBorder;
    if (target.width() < 2 * border || target.height() < 2 * border) {
        QProxyStyle::drawPrimitive(PE_FrameGroupBox, &option, &painter, widget);
        return;
    }
    const QRect inside = target.adjusted(border, border, -border, -border);
    const int sourceRight = frame_.width() - border;
    const int sourceLower = frame_.height() - border;
    const int sourceAcross = frame_.width() - 2 * border;
    // The corners as they are, the top and bottom edges stretched along their length as Fusion
    // stretches them (each is the same all along).
    const auto piece = [&](const QRect& to, const QRect& from) {
        painter.drawPixmap(to, frame_, from);
    };
    piece(QRect(target.left(), target.top(), border, border), QRect(0, 0, border, border));
    piece(QRect(inside.right() + 1, target.top(), border, border),
          QRect(sourceRight, 0, border, border));
    piece(QRect(target.left(), inside.bottom() + 1, border, border),
          QRect(0, sourceLower, border, border));
    piece(QRect(inside.right() + 1, inside.bottom() + 1, border, border),
          QRect(sourceRight, sourceLower, border, border));
    if (inside.width() > 0) {
        piece(QRect(inside.left(), target.top(), inside.width(), border),
              QRect(border, 0, sourceAcross, border));
        piece(QRect(inside.left(), inside.bottom() + 1, inside.width(), border),
              QRect(border, sourceLower, sourceAcross, border));
    }
    const int sourceDown = frame_.height() - 2 * border;
    if (inside.height() == sourceDown) {
        // As tall as the picture's own: Fusion copies them as they are, and so does this.
        piece(QRect(target.left(), inside.top(), border, sourceDown),
              QRect(0, border, border, sourceDown));
        piece(QRect(inside.right() + 1, inside.top(), border, sourceDown),
              QRect(sourceRight, border, border, sourceDown));
        if (inside.width() > 0)
            piece(inside, QRect(border, border, sourceAcross, sourceDown));
        return;
    }
    // The sides and the inside, every row of them alike, stretched down a band at a time: as
    // Fusion stretches them, and so drawn by the same means. A band is stretched from one row of
    // the picture, a band of one row from two: a plain copy would round differently.
    const auto stretchedBand = [&](QPainter& onto, int y, int rows) {
        const int from = rows == 1 ? 2 : 1;
        const auto part = [&](const QRect& to, const QRect& source) {
            onto.drawPixmap(to, frame_, source);
        };
        part(QRect(target.left(), y, border, rows), QRect(0, border, border, from));
        part(QRect(inside.right() + 1, y, border, rows), QRect(sourceRight, border, border, from));
        if (inside.width() > 0)
            part(QRect(inside.left(), y, inside.width(), rows),
                 QRect(border, border, sourceAcross, from));
    };
    // On a painter that only moves by whole pixels and blends plainly, the first band is
    // stretched once, into a picture of its own, and copied down the rest of the box: the same
    // pixels for a fraction of the work.
    const QTransform& moved = painter.deviceTransform();
    const bool copiesAlike = moved.type() <= QTransform::TxTranslate &&
                             moved.dx() == std::floor(moved.dx()) &&
                             moved.dy() == std::floor(moved.dy()) && painter.opacity() == 1.0 &&
                             painter.compositionMode() == QPainter::CompositionMode_SourceOver &&
                             painter.device() && painter.device()->devicePixelRatio() == 1.0;
    const int firstRows = std::min(kRowsPerBand, inside.height());
    if (copiesAlike && inside.height() > firstRows) {
        QImage band(target.width(), firstRows, QImage::Format_ARGB32_Premultiplied);
        if (!band.isNull()) {
            band.fill(Qt::transparent);
            QPainter bandPainter(&band);
            bandPainter.setRenderHints(painter.renderHints());
            bandPainter.setCompositionMode(QPainter::CompositionMode_Source);
            bandPainter.translate(-target.left(), 0);
            stretchedBand(bandPainter, 0, firstRows);
            bandPainter.end();
            for (int y = inside.top(); y <= inside.bottom(); y += firstRows) {
                const int rows = std::min(firstRows, inside.bottom() + 1 - y);
                painter.drawImage(QPoint(target.left(), y), band,
                                  QRect(0, 0, target.width(), rows));
            }
            return;
        }
    }
    for (int y = inside.top(); y <= inside.bottom(); y += kRowsPerBand)
        stretchedBand(painter, y, std::min(kRowsPerBand, inside.bottom() + 1 - y));
}

} // namespace dk3::ui
