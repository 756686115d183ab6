#include "platform/DisplayModes.h"

#include <QGuiApplication>

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <cmath>

namespace dk3::platform {

std::uint32_t refreshRateOf(std::uint64_t dotClock, std::uint32_t hTotal, std::uint32_t vTotal,
                            bool doubleScan, bool interlace) {
    double lines = vTotal;
    if (doubleScan)
        lines *= 2;
    if (interlace)
        lines /= 2;
    if (dotClock == 0 || hTotal == 0 || lines <= 0)
        return 0;
    return static_cast<std::uint32_t>(
        std::lround(static_cast<double>(dotClock) / (hTotal * lines)));
}

std::vector<DisplayMode> XRandrModeSource::modes() {
    std::vector<DisplayMode> result;
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display) // offscreen or Wayland: the interface may exist without a connection
        return result;

    int eventBase = 0, errorBase = 0;
    if (!XRRQueryExtension(display, &eventBase, &errorBase))
        return result;
    const Window root = DefaultRootWindow(display);
    XRRScreenResources* resources = XRRGetScreenResources(display, root);
    if (!resources)
        return result;
    RROutput primary = XRRGetOutputPrimary(display, root);
    if (primary == None && resources->noutput > 0)
        primary = resources->outputs[0];

    XRROutputInfo* output =
        primary != None ? XRRGetOutputInfo(display, resources, primary) : nullptr;
    if (output) {
        for (int i = 0; i < output->nmode; ++i) {
            for (int m = 0; m < resources->nmode; ++m) {
                const XRRModeInfo& info = resources->modes[m];
                if (info.id != output->modes[i])
                    continue;
                result.push_back({info.width, info.height,
                                  refreshRateOf(info.dotClock, info.hTotal, info.vTotal,
                                                (info.modeFlags & RR_DoubleScan) != 0,
                                                (info.modeFlags & RR_Interlace) != 0)});
                break;
            }
        }
        XRRFreeOutputInfo(output);
    }
    XRRFreeScreenResources(resources);
    return result;
}

} // namespace dk3::platform
