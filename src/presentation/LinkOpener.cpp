#include "presentation/LinkOpener.h"

#include <QDesktopServices>

namespace dk3::presentation {

void DesktopLinkOpener::openLink(const QUrl& address) {
    (void)QDesktopServices::openUrl(address);
}

} // namespace dk3::presentation
