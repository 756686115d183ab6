// Controls that draw with a palette shared by every control of the same colours: they look
// exactly like Qt's own, and controls of one size and state share the style's cached drawing.

#include "ui/SharedStylePalette.h"

#include "ui/ColourScheme.h"

#include <QDialog>
#include <QImage>
#include <QPixmap>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>

#include <gtest/gtest.h>

namespace dk3::ui {
namespace {

struct ComboProbe : ComboBox {
    using ComboBox::ComboBox;
    QStyleOptionComboBox option() const {
        QStyleOptionComboBox o;
        initStyleOption(&o);
        return o;
    }
};

struct ButtonProbe : PushButton {
    using PushButton::PushButton;
    QStyleOptionButton option() const {
        QStyleOptionButton o;
        initStyleOption(&o);
        return o;
    }
};

TEST(SharedStylePalette, ControlsLookLikeQtsOwnAndShareOneKeyPerSetOfColours) {
    QDialog dialog;
    dialog.setFixedSize(400, 200);
    auto* ours = new ComboProbe(&dialog);
    auto* second = new ComboProbe(&dialog);
    auto* qts = new QComboBox(&dialog);
    for (QComboBox* combo : {static_cast<QComboBox*>(ours), static_cast<QComboBox*>(second), qts}) {
        combo->addItems({QStringLiteral("Hoch"), QStringLiteral("Niedrig")});
        combo->resize(150, 24);
    }
    auto* button = new ButtonProbe(QStringLiteral("&Speichern"), &dialog);
    auto* qtsButton = new QPushButton(QStringLiteral("&Speichern"), &dialog);
    for (QPushButton* each : {static_cast<QPushButton*>(button), qtsButton}) {
        each->resize(90, 26);
        each->setAutoDefault(false); // else the first one shown becomes the default
    }
    applyColourScheme(&dialog, QColor(230, 220, 180), QColor(40, 30, 20));
    dialog.show();

    // The same pixels as Qt's own controls, in the dialog's colours.
    EXPECT_EQ(ours->grab().toImage(), qts->grab().toImage());
    EXPECT_EQ(button->grab().toImage(), qtsButton->grab().toImage());

    // Each control's own palette has a key of its own; what the style is handed does not.
    EXPECT_NE(ours->palette().cacheKey(), second->palette().cacheKey());
    EXPECT_EQ(ours->option().palette.cacheKey(), second->option().palette.cacheKey());
    EXPECT_EQ(ours->option().palette, ours->palette());
    EXPECT_EQ(button->option().palette, button->palette());
    // The colour group of the moment is kept.
    dialog.setEnabled(false);
    EXPECT_EQ(ours->option().palette.currentColorGroup(), QPalette::Disabled);
    EXPECT_EQ(ours->grab().toImage(), qts->grab().toImage());

    // Other colours, another palette.
    QPalette other = ours->palette();
    other.setColor(QPalette::Button, Qt::red);
    second->setPalette(other);
    EXPECT_NE(ours->option().palette.cacheKey(), second->option().palette.cacheKey());
    EXPECT_EQ(second->option().palette.color(QPalette::Button), QColor(Qt::red));
}

} // namespace
} // namespace dk3::ui
