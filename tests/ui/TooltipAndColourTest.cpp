#include "ui/ColourScheme.h"
#include "ui/TooltipControl.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QHelpEvent>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStyleOptionViewItem>
#include <QTest>

#include <cstdlib>
#include <gtest/gtest.h>

namespace dk3::ui {
namespace {

bool hover(QWidget* widget) {
    const QPoint inside(widget->width() / 2, widget->height() / 2);
    QHelpEvent event(QEvent::ToolTip, inside, widget->mapToGlobal(inside));
    QApplication::sendEvent(widget, &event);
    return event.isAccepted();
}

QLabel* tipWindow(const QWidget& dialog) {
    for (QLabel* label : dialog.findChildren<QLabel*>())
        if (label->windowType() == Qt::ToolTip)
            return label;
    return nullptr;
}

TEST(TooltipControl, ShowsPlainTextTipsOnHoverOnceActive) {
    QDialog dialog;
    auto* button = new QPushButton(QStringLiteral("save"), &dialog);
    auto* edit = new QLineEdit(&dialog);
    edit->move(0, 40);
    auto* tips = new TooltipControl(&dialog);
    const QString text = QStringLiteral("level detail factor\r\n< 1.0 for <b>\"weak\"</b> & older|"
                                        "\n> 1.0 for \"HighEnd\" systems\nStandard: 0.01");
    tips->addTool(button, text);
    tips->addTool(edit, QString());
    dialog.show();

    hover(button);
    EXPECT_FALSE(tips->isTipVisible()) << "tips show only after activate()";

    tips->activate();
    hover(button);
    ASSERT_TRUE(tips->isTipVisible());
    QString expected = text;
    expected.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    EXPECT_EQ(tips->visibleTipText(), expected);
    QLabel* tip = tipWindow(dialog);
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(tip->textFormat(), Qt::PlainText);
    EXPECT_FALSE(tip->wordWrap()); // lines end at '\n' only
    EXPECT_EQ(tip->palette().color(QPalette::Window), QColor(255, 255, 0));
    EXPECT_EQ(tip->palette().color(QPalette::WindowText), QColor(Qt::black));

    // Leaving the tool ends its tip; a tool with an empty text shows none.
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(button, &leave);
    EXPECT_FALSE(tips->isTipVisible());
    hover(edit);
    EXPECT_FALSE(tips->isTipVisible());

    // Only a line wider than 1000 pixels wraps.
    tips->addTool(edit, QString(400, u'x').replace(QStringLiteral("xxxx"), QStringLiteral("xxx ")));
    hover(edit);
    ASSERT_TRUE(tips->isTipVisible());
    EXPECT_TRUE(tip->wordWrap());
    EXPECT_LE(tip->width(), TooltipControl::kMaxTipWidth + 10);

    // Gone with its control: no filter is left behind, nothing shows.
    delete tips;
    EXPECT_EQ(tipWindow(dialog), nullptr);
    EXPECT_FALSE(hover(button));
}

TEST(ColourScheme, ReachesEveryControlAndTheDropDownLists) {
    const QColor text = kMainDialogText;
    const QColor background = kMainDialogBackground;
    QDialog dialog;
    auto* label = new QLabel(QStringLiteral("resolution:"), &dialog);
    auto* combo = new QComboBox(&dialog);
    combo->addItems({QStringLiteral("low"), QStringLiteral("medium"), QStringLiteral("high")});
    auto* readOnly = new QLineEdit(QStringLiteral("1234"), &dialog);
    readOnly->setReadOnly(true);
    auto* disabled = new QLineEdit(QStringLiteral("5678"), &dialog);
    disabled->setEnabled(false);
    applyColourScheme(&dialog, text, background);

    EXPECT_TRUE(dialog.autoFillBackground());
    EXPECT_EQ(label->palette().color(QPalette::WindowText), text);
    EXPECT_EQ(label->palette().color(QPalette::Window), background);
    EXPECT_EQ(readOnly->palette().color(QPalette::Text), text);

    // Disabled text is dimmed but stays clearly apart from the background.
    const QColor dim = disabled->palette().color(QPalette::Disabled, QPalette::Text);
    EXPECT_NE(dim, text);
    EXPECT_GT(dim.red() + dim.green() - background.red() - background.green(), 100);

    // The drop-down list is a window of its own and still shows the scheme.
    QAbstractItemView* list = combo->view();
    ASSERT_NE(list->window(), &dialog);
    EXPECT_EQ(list->window()->palette().color(QPalette::Window), background);
    dialog.show();
    combo->showPopup();
    ASSERT_TRUE(list->isVisible());
    const QImage image = list->viewport()->grab().toImage();
    const QRect lastItem = list->visualRect(combo->model()->index(2, 0)); // not the current one
    EXPECT_EQ(image.pixelColor(image.width() - 3, lastItem.center().y()), background);
    combo->hidePopup();
}

// Pixels of image within a few steps of colour.
int pixelsOf(const QImage& image, const QColor& colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (std::abs(pixel.red() - colour.red()) + std::abs(pixel.green() - colour.green()) +
                    std::abs(pixel.blue() - colour.blue()) <=
                12)
                ++count;
        }
    return count;
}

TEST(ColourScheme, KeyboardFocusIsOutlinedInTheTextColourAndSelectionsKeepTheirHighlight) {
    QDialog dialog;
    dialog.resize(300, 120);
    auto* save = new QPushButton(QStringLiteral("save"), &dialog);
    save->setGeometry(10, 10, 90, 26);
    auto* close = new QPushButton(QStringLiteral("close"), &dialog);
    close->setGeometry(110, 10, 90, 26);
    auto* list = new QComboBox(&dialog);
    list->addItems({QStringLiteral("high"), QStringLiteral("low")});
    list->setGeometry(10, 50, 120, 22);
    applyColourScheme(&dialog, kChildDialogText, kChildDialogBackground);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    dialog.setAttribute(Qt::WA_KeyboardFocusChange); // as after the player pressed Tab

    // The button's and the list's outline in amber, at least a line all round; the text is drawn
    // in amber too, so focused and unfocused pictures are compared.
    const auto amberOf = [](QWidget* control) {
        return pixelsOf(control->grab().toImage(), kChildDialogText);
    };
    close->setFocus(Qt::TabFocusReason);
    const int buttonUnfocused = amberOf(save);
    const int listUnfocused = amberOf(list);
    save->setFocus(Qt::TabFocusReason);
    EXPECT_GT(amberOf(save), buttonUnfocused + save->width() + save->height());
    list->setFocus(Qt::TabFocusReason);
    EXPECT_GT(amberOf(list), listUnfocused + list->width() + list->height());
    // Its drop-down list, made when the focus first came to it, shows the dialog's colours.
    list->showPopup();
    ASSERT_TRUE(list->view()->isVisible());
    EXPECT_EQ(list->view()->window()->palette().color(QPalette::Window), kChildDialogBackground);
    EXPECT_EQ(list->view()->palette().color(QPalette::Text), kChildDialogText);
    list->hidePopup();

    // A selected item in a list is drawn in the system's highlight, focused or not.
    QImage item(40, 10, QImage::Format_RGB32);
    item.fill(Qt::black);
    QStyleOptionViewItem option;
    option.initFrom(list);
    option.rect = item.rect();
    option.state |= QStyle::State_Selected | QStyle::State_HasFocus | QStyle::State_Active;
    option.showDecorationSelected = true;
    QPainter painter(&item);
    list->style()->drawPrimitive(QStyle::PE_PanelItemViewItem, &option, &painter, list);
    painter.end();
    EXPECT_EQ(item.pixelColor(20, 5), list->palette().color(QPalette::Active, QPalette::Highlight));
    EXPECT_NE(item.pixelColor(20, 5), kChildDialogText);
}

} // namespace
} // namespace dk3::ui
