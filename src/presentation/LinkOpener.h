#pragma once

// Opening a web address in the user's browser, behind a small interface so that dialogs can be
// driven by tests without starting a browser.

#include <QUrl>

namespace dk3::presentation {

class LinkOpener {
public:
    virtual ~LinkOpener() = default;
    // Hands the address to the desktop and returns at once; whether a browser came up is not
    // reported, a link is a courtesy and nothing depends on it.
    virtual void openLink(const QUrl& address) = 0;
};

class DesktopLinkOpener final : public LinkOpener {
public:
    void openLink(const QUrl& address) override;
};

} // namespace dk3::presentation
