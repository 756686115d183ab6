#pragma once

// The display modes the game can be set to: those the primary screen offers.

#include <cstdint>
#include <vector>

namespace dk3::platform {

struct DisplayMode {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t refreshRate = 0; // whole hertz; 0 when the screen reports none

    friend bool operator==(const DisplayMode&, const DisplayMode&) = default;
};

class DisplayModeSource {
public:
    virtual ~DisplayModeSource() = default;
    // The modes in the order the platform lists them; empty when there is no such source.
    virtual std::vector<DisplayMode> modes() = 0;
};

// The modes of the primary output of the X server the application is connected to (XWayland
// included), in XRandR's order. Empty without an X connection (offscreen, pure Wayland).
class XRandrModeSource final : public DisplayModeSource {
public:
    std::vector<DisplayMode> modes() override;
};

// Refresh rate of a mode from its timings, rounded to whole hertz; 0 when the timings are
// unknown (Xvfb reports a dot clock and totals of 0).
std::uint32_t refreshRateOf(std::uint64_t dotClock, std::uint32_t hTotal, std::uint32_t vTotal,
                            bool doubleScan, bool interlace);

} // namespace dk3::platform
