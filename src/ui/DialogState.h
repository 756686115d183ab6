#pragma once

// What a dialog's controls show, to tell whether the player changed anything since the dialog
// last loaded or saved its values; and the rule that a mouse wheel changes only the list that has
// the keyboard focus.

#include <QList>
#include <QStringList>

class QWidget;

namespace dk3::ui {

// The text of every edit field and the selection (index and text) of every drop-down list among
// dialog's children, in the order they were made. Controls in ignored are left out.
QStringList shownValues(const QWidget& dialog, const QList<const QWidget*>& ignored = {});

// A wheel turned over a drop-down list without the keyboard focus goes to the list's parent (as
// on Windows) instead of changing the selection; the wheel no longer gives a list the focus
// either. Covers the lists that are children of dialog when it is called.
void ignoreWheelWithoutFocus(QWidget& dialog);

} // namespace dk3::ui
