#include "MainDialogFixture.h"
#include "advanced_dialog/OtherSettingsDialog.h"
#include "advanced_dialog/OtherSettingsLayout.h"
#include "platform/ProfileFile.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace dk3::test {
namespace {
namespace id = main_dialog::id;

TEST_F(MainDialogFixture, OtherSettingsButtonOpensTheAdvancedDialogModally) {
    auto dialog = startDialog("english");
    ASSERT_TRUE(ui::controlAs<QPushButton>(*dialog, id::kOtherSettings));

    // Looks at the dialog the button opened and ends it like the close box, each opening anew.
    QStringList titles, distances;
    int openings = 0;
    QTimer closer;
    closer.setInterval(10);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        auto* modal =
            qobject_cast<advanced::OtherSettingsDialog*>(QApplication::activeModalWidget());
        if (!modal)
            return;
        ++openings;
        EXPECT_EQ(modal->parentWidget(), dialog.get());
        titles << ui::controlAs<QLabel>(*modal, advanced::id::kTitle)->text();
        distances << ui::controlAs<QLineEdit>(*modal, advanced::id::kMaxCameraDistance)->text();
        modal->reject();
    });
    closer.start();

    ui::controlAs<QPushButton>(*dialog, id::kOtherSettings)->click();
    ASSERT_FALSE(profile::writeText(engineIni(), "Camera", "fMaxDistToPlayer", "900.0"));
    ui::controlAs<QPushButton>(*dialog, id::kOtherSettings)->click();
    closer.stop();

    EXPECT_EQ(openings, 2);
    EXPECT_EQ(titles,
              QStringList({QStringLiteral("OTHER SETTINGS"), QStringLiteral("OTHER SETTINGS")}));
    EXPECT_EQ(distances, QStringList({QStringLiteral("750"), QStringLiteral("900")}));
    EXPECT_TRUE(prompter.shown().empty());
}

} // namespace
} // namespace dk3::test
