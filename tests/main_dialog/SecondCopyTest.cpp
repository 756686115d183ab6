#include "MainDialogFixture.h"

#include <QTest>

namespace dk3::test {
namespace {
using main_dialog::MainSettingsDialog;
using Outcome = MainSettingsDialog::StartupOutcome;

struct SecondCopy : MainDialogFixture {};

TEST_F(SecondCopy, ASecondStartSaysSoAndBringsTheRunningWindowForward) {
    auto first = startDialog("english");
    first->showMinimized();
    ASSERT_TRUE(QTest::qWaitFor([&] { return first->isMinimized(); }, 2000));

    MainSettingsDialog second(services());
    EXPECT_EQ(second.startUp(), Outcome::EndAfterStartup);
    ASSERT_FALSE(prompter.shown().empty());
    EXPECT_EQ(prompter.shown()[0].text,
              QStringLiteral("Programm wurde bereits gestartet!\n\nApplication already started!"));
    // The running copy hears of it in its own event loop.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !first->isMinimized(); }, 2000));
    EXPECT_TRUE(first->isVisible());
    EXPECT_FALSE(second.isVisible());
}

} // namespace
} // namespace dk3::test
