// What the window system may do to the program's dialogs. Under the offscreen platform only the
// rules are checked; scripts/check-wayland.sh runs the same tests on a real Wayland compositor.

#include "ui/DialogState.h"
#include "ui/DialogTemplate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QTest>

#include <gtest/gtest.h>

namespace dk3::ui {
namespace {

constexpr ControlSpec kControls[] = {
    {1, ControlKind::ComboBox, 10, 10, 80, 60, nullptr},
    {2, ControlKind::DefaultPushButton, 10, 40, 50, 14, "OK"},
};
constexpr DialogSpec kSpec{200, 80, "Arial", 8, "", kControls};

bool onWayland() {
    return QGuiApplication::platformName().startsWith(QStringLiteral("wayland"));
}

TEST(WindowSystem, ADialogKeepsItsSizeUnlessTheWindowSystemMaximisesAnyWindow) {
    QDialog dialog;
    buildFromTemplate(dialog, kSpec);
    EXPECT_EQ(dialog.minimumSize(),
              mapDialogRect(dialogBaseUnits(dialog.font()), 0, 0, 200, 80).size());
    if (!onWayland()) {
        EXPECT_EQ(dialog.maximumSize(), dialog.minimumSize());
        return;
    }
    // A compositor's maximise is taken, and the program lives on.
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    dialog.setWindowState(Qt::WindowMaximized);
    QTest::qWait(500);
    EXPECT_TRUE(dialog.isVisible());
    dialog.setWindowState(Qt::WindowNoState);
    QTest::qWait(200);
    EXPECT_TRUE(dialog.isVisible());
}

TEST(WindowSystem, EscapeThatClosesADropDownListDoesNotEndTheDialog) {
    // A headless compositor has no seat, and Qt 6.4 cannot open a drop-down list without one.
    if (onWayland())
        GTEST_SKIP() << "no seat to open a drop-down list with";
    QDialog dialog;
    buildFromTemplate(dialog, kSpec);
    auto* list = controlAs<QComboBox>(dialog, 1);
    list->addItems({QStringLiteral("low"), QStringLiteral("high")});
    keepEscapeInDropDownLists(dialog);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));

    list->showPopup();
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->view()->isVisible(); }));
    QTest::keyClick(list->view(), Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !list->view()->isVisible(); }));
    // Where the window system hands the same key to the dialog once the list has gone.
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());

    // A later Escape is the dialog's own.
    QTest::qWait(300);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

} // namespace
} // namespace dk3::ui
