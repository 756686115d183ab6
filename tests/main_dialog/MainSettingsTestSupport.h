#pragma once

// Small helpers for the main dialog's settings, texts and display-mode tests.

#include "main_dialog/MainSettingsDialog.h"
#include "platform/ProfileFile.h"
#include "platform/TextCodec.h"
#include "ui/TooltipControl.h"

#include <QApplication>
#include <QComboBox>
#include <QHelpEvent>
#include <QStringList>

#include <filesystem>
#include <string>
#include <string_view>

namespace dk3::test {

inline QStringList itemsOf(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

// A value as the game would read it; "<missing>" when the key is not there.
inline std::string storedValue(const std::filesystem::path& file, std::string_view section,
                               std::string_view key) {
    return profile::readText(file, section, key, "<missing>", 1024);
}

// A text of the translation file that the program carries, read independently of the program.
inline QString catalogueText(std::string_view language, std::string_view key) {
    return platform::fromWindows1252(profile::readText(
        DK3_SOURCE_DIR "/resources/vorlix_translation.ini", language, key, "", 1024));
}

// The tip the dialog's tooltip control shows when the mouse rests on a control; empty when it
// shows none.
inline QString tipOf(const QWidget& dialog, QWidget* control) {
    const auto tips = dialog.findChildren<ui::TooltipControl*>();
    if (tips.size() != 1 || !control)
        return QStringLiteral("<%1 tooltip controls>").arg(tips.size());
    const QPoint inside(control->width() / 2, control->height() / 2);
    QHelpEvent event(QEvent::ToolTip, inside, control->mapToGlobal(inside));
    QApplication::sendEvent(control, &event);
    const QString text = tips.front()->visibleTipText();
    tips.front()->hideTip();
    return text;
}

// What the player's own pick in a list does (the program's selections raise no handler).
inline void userSelects(QComboBox* combo, int index) {
    combo->setCurrentIndex(index);
    Q_EMIT combo->activated(index);
}

} // namespace dk3::test
