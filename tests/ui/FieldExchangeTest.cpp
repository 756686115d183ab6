#include "ui/FieldExchange.h"

#include "support/ScriptedPrompter.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>

#include <gtest/gtest.h>

namespace dk3::ui {
namespace {

TEST(FieldValues, FormatAndParseLikeTheCLibrary) {
    EXPECT_EQ(formatFieldValue(3500.0f), QStringLiteral("3500"));
    EXPECT_EQ(formatFieldValue(0.015f), QStringLiteral("0.015"));
    EXPECT_EQ(formatFieldValue(1200.5), QStringLiteral("1200.5"));
    EXPECT_EQ(formatFieldValue(1e6f), QStringLiteral("1e+06"));
    EXPECT_EQ(formatFieldValue(1234567.0f), QStringLiteral("1.23457e+06"));
    EXPECT_EQ(formatFieldValue(std::uint32_t{4294967295u}), QStringLiteral("4294967295"));

    EXPECT_EQ(parseFieldValue<float>(QStringLiteral(" +12.5\t")), 12.5f);
    EXPECT_EQ(parseFieldValue<float>(QStringLiteral("1e+06")), 1e6f);
    for (const char* bad :
         {"", "  ", "abc", "12abc", "1 2", "1,5", "0x10", "inf", "nan", "1e39", "+-1", "+"})
        EXPECT_FALSE(parseFieldValue<float>(QString::fromUtf8(bad))) << bad;
    EXPECT_EQ(parseFieldValue<std::int32_t>(QStringLiteral("-2147483648")), INT32_MIN);
    EXPECT_EQ(parseFieldValue<std::int32_t>(QStringLiteral(" +5 ")), 5);
    for (const char* bad : {"2147483648", "1.5", "12x", "٣"})
        EXPECT_FALSE(parseFieldValue<std::int32_t>(QString::fromUtf8(bad))) << bad;
    EXPECT_EQ(parseFieldValue<std::uint32_t>(QStringLiteral("\t007 ")), 7u);
    for (const char* bad : {"4294967296", "-1", "+1", "-0"})
        EXPECT_FALSE(parseFieldValue<std::uint32_t>(QString::fromUtf8(bad))) << bad;
}

struct ExchangeDialog {
    QDialog dialog;
    QLineEdit* range = new QLineEdit(&dialog);
    QLineEdit* ragdolls = new QLineEdit(&dialog);
    QLineEdit* offset = new QLineEdit(&dialog);
    QLabel* ratio = new QLabel(&dialog);
    float rangeValue = 3500.0f;
    std::uint32_t ragdollsValue = 999;
    std::int32_t offsetValue = -300;
    QString ratioText = QStringLiteral("16:10");
    FieldExchange exchange;

    ExchangeDialog() {
        exchange.bind(range, rangeValue);
        exchange.bind(ragdolls, ragdollsValue);
        exchange.bind(offset, offsetValue);
        exchange.bind(ratio, ratioText);
        exchange.membersToFields();
    }
};

TEST(FieldExchange, MovesMembersToFieldsAndBack) {
    ExchangeDialog d;
    EXPECT_EQ(d.range->text(), QStringLiteral("3500"));
    EXPECT_EQ(d.offset->text(), QStringLiteral("-300"));
    EXPECT_EQ(d.ratio->text(), QStringLiteral("16:10"));
    // A field that already shows its value is left alone: the user's caret stays.
    d.range->setCursorPosition(1);
    d.exchange.membersToFields();
    EXPECT_EQ(d.range->cursorPosition(), 1);

    d.ragdolls->setText(QStringLiteral(" 12 "));
    d.offset->setText(QStringLiteral("+300"));
    d.ratio->setText(QStringLiteral("4:3"));
    test::ScriptedPrompter prompter;
    EXPECT_TRUE(d.exchange.fieldsToMembers(prompter, &d.dialog));
    EXPECT_EQ(d.ragdollsValue, 12u);
    EXPECT_EQ(d.offsetValue, 300);
    EXPECT_EQ(d.ratioText, QStringLiteral("4:3"));
    EXPECT_TRUE(prompter.shown().empty());
}

TEST(FieldExchange, StopsAtTheFirstFieldWithoutANumber) {
    ExchangeDialog d;
    d.range->setText(QStringLiteral("1200"));
    d.ragdolls->setText(QStringLiteral("+12")); // a sign is not part of an unsigned number
    d.offset->setText(QStringLiteral("abc"));
    d.ratio->setText(QStringLiteral("4:3"));

    test::ScriptedPrompter prompter;
    EXPECT_FALSE(d.exchange.fieldsToMembers(prompter, &d.dialog));
    EXPECT_EQ(d.rangeValue, 1200.0f); // before the bad field: taken
    EXPECT_EQ(d.ragdollsValue, 999u); // the bad field and everything after it: unchanged
    EXPECT_EQ(d.ratioText, QStringLiteral("16:10"));
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].text, QStringLiteral("Please enter a number."));
    EXPECT_EQ(prompter.shown()[0].icon, MessageIcon::Warning);
    EXPECT_EQ(d.dialog.focusWidget(), d.ragdolls);
    EXPECT_EQ(d.ragdolls->selectedText(), QStringLiteral("+12"));

    // Once that field is right, the pass stops at the next bad one, in the dialog's own words.
    d.exchange.setInvalidNumberMessage(QStringLiteral("Bitte eine Zahl eingeben."));
    d.ragdolls->setText(QStringLiteral("12"));
    prompter.clear();
    EXPECT_FALSE(d.exchange.fieldsToMembers(prompter, &d.dialog));
    EXPECT_EQ(d.ragdollsValue, 12u);
    EXPECT_EQ(d.offsetValue, -300);
    EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Bitte eine Zahl eingeben.")});
    EXPECT_EQ(d.dialog.focusWidget(), d.offset);
}

} // namespace
} // namespace dk3::ui
