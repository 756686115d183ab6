#include "presentation/BannerWidget.h"

#include <QCoreApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QWindow>

namespace dk3::presentation {

BannerWidget::BannerWidget(const QString& picturePath, QWidget* parent)
    : BannerWidget(std::make_unique<BannerRenderer>(picturePath), parent) {}

BannerWidget::BannerWidget(std::unique_ptr<BannerRenderer> renderer, QWidget* parent)
    : QWidget(parent), renderer_(std::move(renderer)) {
    // Every frame covers the whole widget, so the background need not be erased first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(kFrameIntervalMs);
    connect(&timer_, &QTimer::timeout, this, &BannerWidget::nextFrame);
}

BannerWidget::~BannerWidget() {
    timer_.stop();
}

void BannerWidget::start() {
    timer_.start(kFrameIntervalMs);
}

void BannerWidget::stop() {
    timer_.stop();
}

void BannerWidget::nextFrame() {
    renderer_->advance();
    // While the window cannot be seen (minimised, on another desktop, covered by a locked screen)
    // the slab only moves on; the window is painted afresh when it shows again.
    const QWindow* shownIn = window()->windowHandle();
    if (shownIn && !shownIn->isExposed()) {
        timer_.setInterval(renderer_->ticksBeforeTurn(kFrameIntervalMs, kMaxSleepTicks) *
                           kFrameIntervalMs);
        return;
    }
    // The slab moves a fraction of a pixel per tick: a frame that would look like the one on the
    // screen is not drawn, which spares the paint and the copy to the display; and the timer
    // sleeps until the tick on which the next frame is due, stepping the motion by the time that
    // passed when it wakes.
    const QSize pixels = (QSizeF(size()) * devicePixelRatioF()).toSize();
    if (renderer_->differsFromLastFrame(pixels)) {
        // Only around the slab: the background beyond it stays as it is, on the screen too. The
        // frame is painted now rather than queued: a queued update wakes the event loop once more
        // per frame only to come back here.
        const QRect changed = renderer_->changedArea(pixels);
        const qreal ratio = devicePixelRatioF();
        repaint(ratio == 1.0
                    ? changed
                    : QRectF(QPointF(changed.topLeft()) / ratio, QSizeF(changed.size()) / ratio)
                          .toAlignedRect());
    }
    const int ticks = renderer_->ticksUntilVisibleChange(pixels, kFrameIntervalMs, kMaxSleepTicks);
    timer_.setInterval(ticks * kFrameIntervalMs);
}

void BannerWidget::paintEvent(QPaintEvent* event) {
    // Painted for the window, the widget is redirected into the window's backing store, an image
    // the frame is drawn straight into; setting up a painter only to find those pixels costs
    // about a twentieth of a frame. Anything else (a grab, a painter shared for an effect) paints
    // through a painter.
    QPoint redirection;
    QPaintDevice* device = sharedPainter() ? nullptr : redirected(&redirection);
    if (!device || device->devType() != QInternal::Image ||
        !renderer_->paintInto(*static_cast<QImage*>(device), -redirection, size(), event->rect())) {
        QPainter painter(this);
        renderer_->paint(painter, size(), event->rect());
    }
    // For the start-up benchmark: the program ends once its window has been painted (the
    // banner is painted with it), after this paint has reached the screen.
    static const bool quitAfterFirstFrame = qEnvironmentVariableIsSet("DK3_QUIT_AFTER_FIRST_FRAME");
    if (quitAfterFirstFrame)
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

} // namespace dk3::presentation
