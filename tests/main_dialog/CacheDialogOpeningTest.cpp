#include "MainDialogFixture.h"
#include "cache_dialog/CacheSettingsDialog.h"
#include "platform/ProfileFile.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include <functional>

namespace dk3::test {
namespace {

using cache::CacheSettingsDialog;

struct CacheDialogOpening : MainDialogFixture {
    // Clicks the main dialog's cache button; look runs on the modal dialog once it is up, which
    // is then closed with Escape's path. Returns whether the dialog came up.
    bool openAndLook(main_dialog::MainSettingsDialog& main,
                     const std::function<void(CacheSettingsDialog&)>& look) {
        bool seen = false;
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<CacheSettingsDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            poll.stop();
            seen = true;
            look(*dialog);
            dialog->reject();
        });
        poll.start();
        // Should the dialog never come up, the test ends with a failure instead of hanging.
        QTimer::singleShot(10000, &poll, [] {
            if (QWidget* modal = QApplication::activeModalWidget())
                if (auto* dialog = qobject_cast<QDialog*>(modal))
                    dialog->reject();
        });
        control<QPushButton>(main, main_dialog::id::kCacheSettings)->click();
        return seen;
    }
};

TEST_F(CacheDialogOpening, ButtonOpensTheCacheDialogOnTheCurrentFilesEveryTime) {
    auto main = startDialog("english");
    ASSERT_TRUE(openAndLook(*main, [&](CacheSettingsDialog& dialog) {
        EXPECT_EQ(dialog.parentWidget(), main.get());
        EXPECT_EQ(edit(dialog, 1067)->text(), QStringLiteral("100000000")); // the demo's value
        EXPECT_EQ(ui::controlAs<QPushButton>(dialog, 1194)->text(), QStringLiteral("close"));
    }));

    // Changed behind the program's back: the next opening shows the file as it is now.
    ASSERT_FALSE(profile::writeText(engineIni(), "Engine.Setup", "Cache.SizeImage", "123"));
    ASSERT_TRUE(openAndLook(*main, [&](CacheSettingsDialog& dialog) {
        EXPECT_EQ(edit(dialog, 1067)->text(), QStringLiteral("123"));
        EXPECT_EQ(edit(dialog, 1131)->text(), QStringLiteral("0"));
    }));
    EXPECT_TRUE(prompter.shown().empty());
    EXPECT_TRUE(main->findChildren<CacheSettingsDialog*>().isEmpty());
}

} // namespace
} // namespace dk3::test
