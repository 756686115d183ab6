#include "platform/DisplayModes.h"

#include <QGuiApplication>

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <algorithm>
#include <array>

namespace dk3::platform {
namespace {

// The sizes Proton offers a game besides the desktop's own, as far as they fit on the desktop.
constexpr std::array<std::pair<std::uint32_t, std::uint32_t>, 21> kProtonSizes{{
    {640, 480},   {800, 600},   {1024, 768},  {1600, 1200}, // 4:3
    {960, 540},   {1280, 720},  {1600, 900},  {1920, 1080}, // 16:9
    {2560, 1440}, {2880, 1620}, {3200, 1800},               //
    {1440, 900},  {1680, 1050}, {1920, 1200}, {2560, 1600}, // 16:10
    {1440, 960},  {1920, 1280},                             // 3:2
    {2560, 1080},                                           // 21:9
    {1920, 800},  {3840, 1600},                             // 12:5
    {1280, 1024},                                           // 5:4
}};

DisplayMode withKnownRate(DisplayMode mode) {
    if (mode.refreshRate == 0)
        mode.refreshRate = kRateWithoutTimings;
    return mode;
}

// Shared access to the X connection and the primary output's screen resources.
class PrimaryOutput {
public:
    PrimaryOutput() {
        auto* x11 =
            qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
        display_ = x11 ? x11->display() : nullptr;
        if (!display_) // offscreen or Wayland: the interface may exist without a connection
            return;
        int eventBase = 0, errorBase = 0;
        if (!XRRQueryExtension(display_, &eventBase, &errorBase))
            return;
        const Window root = DefaultRootWindow(display_);
        resources_ = XRRGetScreenResources(display_, root);
        if (!resources_)
            return;
        RROutput primary = XRRGetOutputPrimary(display_, root);
        if (primary == None && resources_->noutput > 0)
            primary = resources_->outputs[0];
        if (primary != None)
            output_ = XRRGetOutputInfo(display_, resources_, primary);
    }
    ~PrimaryOutput() {
        if (output_)
            XRRFreeOutputInfo(output_);
        if (resources_)
            XRRFreeScreenResources(resources_);
    }
    PrimaryOutput(const PrimaryOutput&) = delete;
    PrimaryOutput& operator=(const PrimaryOutput&) = delete;

    std::optional<DisplayMode> mode(RRMode id) const {
        for (int m = 0; m < resources_->nmode; ++m) {
            const XRRModeInfo& info = resources_->modes[m];
            if (info.id == id)
                return DisplayMode{info.width, info.height,
                                   refreshRateOf(info.dotClock, info.hTotal, info.vTotal,
                                                 (info.modeFlags & RR_DoubleScan) != 0,
                                                 (info.modeFlags & RR_Interlace) != 0)};
        }
        return std::nullopt;
    }

    std::vector<DisplayMode> modes() const {
        std::vector<DisplayMode> result;
        if (!output_)
            return result;
        for (int i = 0; i < output_->nmode; ++i)
            if (const auto found = mode(output_->modes[i]))
                result.push_back(*found);
        return result;
    }

    std::optional<DisplayMode> current() const {
        if (!output_ || output_->crtc == None)
            return std::nullopt;
        XRRCrtcInfo* crtc = XRRGetCrtcInfo(display_, resources_, output_->crtc);
        if (!crtc)
            return std::nullopt;
        const RRMode id = crtc->mode;
        XRRFreeCrtcInfo(crtc);
        return id != None ? mode(id) : std::nullopt;
    }

private:
    Display* display_ = nullptr;
    XRRScreenResources* resources_ = nullptr;
    XRROutputInfo* output_ = nullptr;
};

} // namespace

std::uint32_t refreshRateOf(std::uint64_t dotClock, std::uint32_t hTotal, std::uint32_t vTotal,
                            bool doubleScan, bool interlace) {
    std::uint64_t dots = std::uint64_t{hTotal} * vTotal;
    if (dots == 0)
        return 0;
    if (doubleScan)
        dots *= 2;
    if (interlace)
        dots /= 2;
    return static_cast<std::uint32_t>((dotClock + dots / 2) / dots);
}

std::vector<DisplayMode> XRandrModeSource::modes() {
    return PrimaryOutput().modes();
}

std::optional<DisplayMode> XRandrModeSource::currentMode() {
    return PrimaryOutput().current();
}

std::vector<DisplayMode> modesOfferedToGame(ModeRules rules, const std::vector<DisplayMode>& modes,
                                            std::optional<DisplayMode> current) {
    std::vector<DisplayMode> offered;
    if (rules == ModeRules::Wine) {
        for (const DisplayMode& mode : modes)
            offered.push_back(withKnownRate(mode));
        return offered;
    }

    if (!current && !modes.empty())
        current = modes.front();
    if (!current)
        return offered;
    const DisplayMode desktop = withKnownRate(*current);
    const auto fits = [&](std::uint32_t width, std::uint32_t height) {
        return width <= desktop.width && height <= desktop.height;
    };
    offered.push_back(desktop);
    for (const auto& [width, height] : kProtonSizes)
        if (fits(width, height))
            offered.push_back({width, height, 60});
    for (const DisplayMode& mode : modes)
        if (fits(mode.width, mode.height))
            offered.push_back(withKnownRate(mode));

    std::stable_sort(offered.begin(), offered.end(),
                     [](const DisplayMode& a, const DisplayMode& b) {
                         if (a.width != b.width)
                             return a.width < b.width;
                         if (a.height != b.height)
                             return a.height < b.height;
                         return a.refreshRate > b.refreshRate;
                     });
    offered.erase(std::unique(offered.begin(), offered.end()), offered.end());
    return offered;
}

} // namespace dk3::platform
