#pragma once

// The display modes the game can be set to: those Wine (or Proton) offers it on the primary
// screen of the X server it runs on.

#include <cstdint>
#include <optional>
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
    // The mode the screen is in now; nothing when the source cannot tell.
    virtual std::optional<DisplayMode> currentMode() { return std::nullopt; }
};

// The modes of the primary output of the X server the application is connected to (XWayland
// included), in XRandR's order, each rate rounded as Wine rounds it. Empty without an X
// connection (offscreen, pure Wayland).
class XRandrModeSource final : public DisplayModeSource {
public:
    std::vector<DisplayMode> modes() override;
    std::optional<DisplayMode> currentMode() override;
};

// Refresh rate of a mode from its timings, rounded to whole hertz the way Wine's X11 driver does
// (half a hertz up, in whole numbers); 0 when the timings are unknown (Xvfb reports a dot clock
// and totals of 0).
std::uint32_t refreshRateOf(std::uint64_t dotClock, std::uint32_t hTotal, std::uint32_t vTotal,
                            bool doubleScan, bool interlace);

// The rate a mode without timings is offered at: Wine lists the sizes it makes up for a screen
// with one mode at 60 Hz, and Proton its fixed sizes.
inline constexpr std::uint32_t kRateWithoutTimings = 60;

// How the game's Direct3D sees the screen's modes.
enum class ModeRules {
    // Plain Wine: every mode of the output in XRandR's order; a mode change is a real one.
    Wine,
    // Proton: the desktop's own mode, the fixed sizes that fit inside it at 60 Hz and the
    // output's own modes no larger than it, sorted as DXVK sorts them (width, then height
    // ascending, the rate descending), each once. Nothing larger than the desktop.
    Proton,
};

// The modes the game is offered, from the output's modes in XRandR's order and its current mode.
// Without a current mode, Proton takes the output's first mode as the desktop. No mode comes out
// with a rate of 0.
std::vector<DisplayMode> modesOfferedToGame(ModeRules rules, const std::vector<DisplayMode>& modes,
                                            std::optional<DisplayMode> current);

} // namespace dk3::platform
