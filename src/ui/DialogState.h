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

// Escape pressed in an open drop-down list closes the list and nothing else. Under Wayland the
// key reaches the dialog as well once the list has gone, where it would end the dialog; this
// drops an Escape that comes within a moment of a list of dialog closing. Covers the lists that
// are children of dialog when it is called.
void keepEscapeInDropDownLists(QWidget& dialog);

// A dialog that may be maximised by the window system: Wayland compositors maximise any window,
// and Qt 6.4 ends the program with a protocol error when a window of fixed size is maximised.
// There the dialog may grow, its controls staying where they are; elsewhere it keeps its size.
void allowGrowingWhereTheWindowSystemInsists(QWidget& dialog);

} // namespace dk3::ui
