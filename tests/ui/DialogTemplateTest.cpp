#include "ui/DialogTemplate.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <cstdlib>
#include <gtest/gtest.h>

namespace dk3::ui {
namespace {

// Rows of the main dialog's layout: a frame, labels, a group box, combo boxes, edits, buttons.
constexpr ControlSpec kControls[] = {
    {1086, ControlKind::Frame, 7, 7, 403, 92, nullptr},
    {1117, ControlKind::Label, 140, 101, 118, 11, "Benutzung auf eigene Gefahr!", kCentred},
    {1053, ControlKind::Label, 313, 101, 97, 10, "Linux-Ausgabe", kRightAligned},
    {1114, ControlKind::GroupBox, 7, 116, 179, 230, "Allgemeine Einstellungen"},
    {1121, ControlKind::Label, 20, 179, 65, 10, "Grafikeinstellungen:", kNoWrap},
    {1024, ControlKind::ComboBox, 92, 178, 80, 72, nullptr},
    {1091, ControlKind::Label, 20, 197, 66, 10, "Sichtweite Hoch:", kNoWrap},
    {1002, ControlKind::ComboBox, 92, 196, 80, 72, nullptr},
    {1015, ControlKind::Edit, 320, 145, 74, 13, nullptr, kDigitsOnly | kRightAligned},
    {1076, ControlKind::Edit, 320, 204, 74, 13, nullptr, kReadOnly},
    {-1, ControlKind::Separator, 7, 371, 403, 2, nullptr},
    {1029, ControlKind::PushButton, 184, 381, 47, 16, "&Credits"},
    {1118, ControlKind::DefaultPushButton, 324, 380, 86, 21, "B&eenden"},
};
constexpr DialogSpec kDialog{417, 407, "Arial", 8, "Draskel 3 Tuning Utility", kControls};

TEST(DialogUnits, ConvertWithWindowsRounding) {
    // Edges are converted separately and rounded half away from zero.
    const DialogBaseUnits units{6, 12};
    EXPECT_EQ(mapDialogRect(units, 7, 7, 403, 92), QRect(11, 11, 604, 138));
    EXPECT_EQ(mapDialogRect({5, 13}, 1, 1, 1, 1), QRect(1, 2, 2, 1)); // 1.25 -> 1, 2.5 -> 3

    // Base units: average of the 52 letters, rounded; height of the font.
    const QFont font = dialogFont("Arial", 8);
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    EXPECT_EQ(dialogBaseUnits(font).averageWidth, qRound(letters / 52.0));
    EXPECT_EQ(dialogBaseUnits(font).height, metrics.height());
    EXPECT_EQ(dialogFont("MS Sans Serif", 8).family(), QStringLiteral("Arial"));
}

TEST(DialogUnits, ADialogTooLargeForTheScreenGetsTheLargestFontThatFits) {
    const QFont font = dialogFont("Arial", 8);
    const QSize units(417, 407); // the main dialog
    const auto pixels = [&](const QFont& f) {
        return mapDialogRect(dialogBaseUnits(f), 0, 0, units.width(), units.height()).size();
    };
    const QSize nominal = pixels(font);
    const QSize frame(kFrameAllowance, kTitleAllowance);

    // Room enough, or no known screen: the font as it is.
    EXPECT_EQ(fittingDialogFont(font, units, nominal + frame), font);
    EXPECT_EQ(fittingDialogFont(font, units, QSize()), font);

    // A screen a fifth too low: smaller, fitting, and no smaller than needed.
    const QSize low(nominal.width() + 100, nominal.height() * 4 / 5);
    const QFont fitted = fittingDialogFont(font, units, low);
    EXPECT_LT(fitted.pointSizeF(), font.pointSizeF());
    EXPECT_LE(pixels(fitted).height(), low.height() - kTitleAllowance);
    EXPECT_LE(pixels(fitted).width(), low.width() - kFrameAllowance);
    QFont larger = fitted;
    larger.setPointSizeF(fitted.pointSizeF() + 0.25);
    EXPECT_GT(pixels(larger).height(), low.height() - kTitleAllowance);

    // A screen far too small: the smallest font, not an unreadable one.
    EXPECT_EQ(fittingDialogFont(font, units, QSize(200, 150)).pointSizeF(), kSmallestPointSize);
}

TEST(DialogTemplate, ADialogOpensWithinTheAvailableAreaOfItsScreen) {
    static constexpr ControlSpec kFarCorner[] = {
        {1, ControlKind::PushButton, 360, 580, 50, 14, "far corner"}};
    const DialogSpec huge{417, 600, "Arial", 8, "", kFarCorner};
    QDialog dialog;
    buildFromTemplate(dialog, huge);
    const QRect available = dialog.screen()->availableGeometry();
    EXPECT_LE(dialog.height(), available.height() - kTitleAllowance);
    EXPECT_LT(dialog.font().pointSizeF(), 8.0);
    const QWidget* button = controlById(dialog, 1);
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(dialog.rect().contains(button->geometry())) << "every control stays inside";
}

TEST(DialogTemplate, PlacesEveryControlByIdAndKind) {
    QDialog dialog;
    buildFromTemplate(dialog, kDialog);
    const DialogBaseUnits units = dialogBaseUnits(dialog.font());
    const auto rectOf = [&](const ControlSpec& c) {
        return mapDialogRect(units, c.x, c.y, c.width, c.height);
    };
    EXPECT_EQ(dialog.size(), mapDialogRect(units, 0, 0, 417, 407).size());
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());

    for (const ControlSpec& control : kControls) {
        if (control.id == -1)
            continue;
        QWidget* widget = controlById(dialog, control.id);
        ASSERT_NE(widget, nullptr) << control.id;
        EXPECT_EQ(widget->x(), rectOf(control).x()) << control.id;
        EXPECT_EQ(widget->width(), rectOf(control).width()) << control.id;
        if (control.kind != ControlKind::Label) {
            EXPECT_EQ(widget->y(), rectOf(control).y()) << control.id;
        }
    }
    EXPECT_EQ(controlById(dialog, 4711), nullptr);
    EXPECT_EQ(controlAs<QComboBox>(dialog, 1015), nullptr); // an edit, not a combo box

    // A label beside a field is centred on it; one without a field stays where the table says.
    const auto middle = [&](int id) {
        return controlById(dialog, id)->geometry().center().y();
    };
    EXPECT_LE(std::abs(middle(1121) - middle(1024)), 1);
    EXPECT_EQ(controlById(dialog, 1117)->y(), rectOf(kControls[1]).y());
    auto* risk = controlAs<QLabel>(dialog, 1117);
    EXPECT_EQ(risk->text(), QStringLiteral("Benutzung auf eigene Gefahr!"));
    EXPECT_EQ(risk->alignment(), Qt::AlignHCenter | Qt::AlignVCenter);
    EXPECT_EQ(risk->textFormat(), Qt::PlainText);
    EXPECT_EQ(controlAs<QLabel>(dialog, 1053)->alignment(), Qt::AlignRight | Qt::AlignVCenter);

    // A combo box is as high as closed combo boxes are; the table's height is the list's.
    auto* combo = controlAs<QComboBox>(dialog, 1024);
    EXPECT_FALSE(combo->isEditable());
    EXPECT_GE(combo->height(), combo->fontMetrics().height() + 4);
    EXPECT_LE(combo->geometry().bottom(), controlById(dialog, 1002)->y()) << "rows overlap";
    EXPECT_GE(combo->maxVisibleItems(), 3);

    auto* digits = controlAs<QLineEdit>(dialog, 1015);
    EXPECT_EQ(digits->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_GE(digits->height(), digits->minimumSizeHint().height()) << "edit text clipped";
    EXPECT_TRUE(controlAs<QLineEdit>(dialog, 1076)->isReadOnly());

    EXPECT_EQ(controlAs<QPushButton>(dialog, 1029)->text(), QStringLiteral("&Credits"));
    EXPECT_FALSE(controlAs<QPushButton>(dialog, 1029)->isDefault());
    EXPECT_TRUE(controlAs<QPushButton>(dialog, 1118)->isDefault());

    // Tab order follows the table.
    QWidget* next = combo->nextInFocusChain();
    while (next->focusPolicy() == Qt::NoFocus)
        next = next->nextInFocusChain();
    EXPECT_EQ(next, controlById(dialog, 1002));
}

TEST(DialogTemplate, ControlsTakeTheDialogsFontAndTheApplicationKeepsItsOwn) {
    const QFont before = QApplication::font();
    QDialog dialog;
    buildFromTemplate(dialog, kDialog);
    EXPECT_EQ(QApplication::font(), before);
    EXPECT_NE(dialog.font(), before);
    for (QWidget* control : dialog.findChildren<QWidget*>())
        EXPECT_EQ(control->font(), dialog.font()) << control->objectName().toStdString();
    // A control made afterwards takes the application's font again where it has no dialog.
    QLineEdit alone;
    EXPECT_EQ(alone.font(), before);
}

TEST(DialogTemplate, DigitsOnlyEditTakesTypedDigitsOnly) {
    QDialog dialog;
    buildFromTemplate(dialog, kDialog);
    auto* edit = controlAs<QLineEdit>(dialog, 1015);
    ASSERT_NE(edit, nullptr);

    QTest::keyClicks(edit, QStringLiteral("12a-3.4 "));
    EXPECT_EQ(edit->text(), QStringLiteral("1234"));

    // The program may show any text (a large float reads "1e+06"); the user still adds digits only
    // and may delete what is there.
    edit->setText(QStringLiteral("1e+06"));
    edit->end(false);
    QTest::keyClicks(edit, QStringLiteral("x7e"));
    EXPECT_EQ(edit->text(), QStringLiteral("1e+067"));
    edit->setCursorPosition(2);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, QStringLiteral("+5"));
    EXPECT_EQ(edit->text(), QStringLiteral("15+067")); // a second '+' was refused
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("9x"));
    EXPECT_EQ(edit->text(), QStringLiteral("9"));
}

} // namespace
} // namespace dk3::ui
