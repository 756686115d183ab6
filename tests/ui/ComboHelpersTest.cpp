#include "ui/ComboHelpers.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace dk3::ui {
namespace {

TEST(ComboHelpers, SelectByPrefixAndByIndexAsWindowsDoes) {
    QComboBox combo;
    combo.addItems({QStringLiteral("low"), QStringLiteral("Medium"), QStringLiteral("high"),
                    QStringLiteral("medium rare"), QStringLiteral("Lowest")});
    combo.setCurrentIndex(-1);

    // Prefix, any letter case, first match wins.
    EXPECT_EQ(selectByPrefix(&combo, QStringLiteral("MED")), 1);
    EXPECT_EQ(combo.currentIndex(), 1);
    // The search starts after startAfter and wraps around; startAfter itself comes last.
    EXPECT_EQ(selectByPrefix(&combo, QStringLiteral("medium"), 1), 3);
    EXPECT_EQ(selectByPrefix(&combo, QStringLiteral("medium"), 3), 1);
    EXPECT_EQ(selectByPrefix(&combo, QStringLiteral("low"), 0), 4);
    EXPECT_EQ(selectByPrefix(&combo, QStringLiteral("high"), 2), 2); // only match: examined last
    EXPECT_EQ(selectByPrefix(&combo, QStringLiteral("low"), 99), 0); // outside: whole list
    // No match: the selection stays.
    EXPECT_EQ(selectByPrefix(&combo, QStringLiteral("ultra")), -1);
    EXPECT_EQ(combo.currentIndex(), 0);
    // The empty text is a prefix of everything: the first item examined.
    EXPECT_EQ(selectByPrefix(&combo, QString(), 2), 3);

    // An index outside the list clears the selection.
    EXPECT_EQ(selectIndex(&combo, 2), 2);
    EXPECT_EQ(selectIndex(&combo, 5), -1);
    EXPECT_EQ(combo.currentIndex(), -1);
    EXPECT_TRUE(combo.currentText().isEmpty());
    EXPECT_EQ(selectByPrefix(&combo, QStringLiteral("x")), -1);
    EXPECT_EQ(combo.currentIndex(), -1);
}

TEST(ComboHelpers, UserHandlersRunForTheUsersActionsOnly) {
    QWidget parent;
    auto* combo = new QComboBox(&parent);
    combo->addItems({QStringLiteral("low"), QStringLiteral("medium"), QStringLiteral("high")});
    auto* edit = new QLineEdit(&parent);
    std::vector<int> picked;
    QStringList edited;
    onUserSelection(combo, &parent, [&](int index) { picked.push_back(index); });
    onUserEdit(edit, &parent, [&](const QString& text) { edited << text; });

    selectByPrefix(combo, QStringLiteral("med"));
    selectIndex(combo, 7);
    combo->setCurrentIndex(0);
    edit->setText(QStringLiteral("3500"));
    EXPECT_TRUE(picked.empty());
    EXPECT_TRUE(edited.isEmpty());

    QTest::keyClick(combo, Qt::Key_Down); // the user steps to the next item
    EXPECT_EQ(picked, std::vector<int>{1});
    QTest::keyClicks(edit, QStringLiteral("7"));
    EXPECT_EQ(edited, QStringList{QStringLiteral("35007")});
}

} // namespace
} // namespace dk3::ui

namespace dk3::ui {
namespace {

TEST(ComboHelpers, AppendingItemsNeverSelectsOne) {
    QComboBox combo;
    appendItem(&combo, QStringLiteral("low"));
    appendItem(&combo, QStringLiteral("high"));
    EXPECT_EQ(combo.currentIndex(), -1);
    combo.setCurrentIndex(1);
    appendItem(&combo, QStringLiteral("custom"));
    EXPECT_EQ(combo.currentIndex(), 1);
}

} // namespace
} // namespace dk3::ui
