#pragma once

// The banner control: a widget that owns a BannerRenderer and draws one frame of the swaying slab
// per timer tick while it runs.

#include "presentation/BannerRenderer.h"

#include <QTimer>
#include <QWidget>

#include <memory>

namespace dk3::presentation {

class BannerWidget : public QWidget {
    Q_OBJECT

public:
    // About 60 frames a second, the pace at which the platform's timers deliver a 1 ms period;
    // a faster timer would only burn processor time on frames nobody sees.
    static constexpr int kFrameIntervalMs = 16;
    // The longest the timer sleeps while no visible change is due, in ticks.
    static constexpr int kMaxSleepTicks = 8;

    explicit BannerWidget(const QString& picturePath, QWidget* parent = nullptr);
    explicit BannerWidget(std::unique_ptr<BannerRenderer> renderer, QWidget* parent = nullptr);
    ~BannerWidget() override;

    void start();
    void stop();
    bool isRunning() const { return timer_.isActive(); }
    const QTimer& frameTimer() const { return timer_; }

    BannerRenderer& renderer() { return *renderer_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void nextFrame();

    std::unique_ptr<BannerRenderer> renderer_;
    QTimer timer_;
};

} // namespace dk3::presentation
