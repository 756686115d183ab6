#pragma once

// Selecting items of drop-down lists the way the game's tools always have, and the one rule that
// keeps the program's own selections apart from the user's.
//
// The rule: a dialog binds its user handlers with onUserSelection() and onUserEdit() only. They
// connect to QComboBox::activated and QLineEdit::textEdited, which Qt emits for the user's
// actions alone. selectByPrefix(), selectIndex(), setCurrentIndex() and setText() therefore never
// run a user handler; never bind one to currentIndexChanged or textChanged.

#include <QComboBox>
#include <QLineEdit>
#include <QMetaObject>
#include <QString>

#include <utility>

namespace dk3::ui {

// Selects the first item whose text begins with text, compared without regard to letter case.
// The search starts at the item after startAfter, runs to the end of the list and wraps around
// to the start, so every item is examined once and item startAfter last (-1, or any index
// outside the list, searches from item 0). Returns the selected index; when nothing matches it
// returns -1 and the selection stays as it was.
//
// An empty text is a prefix of every item and so selects the first item examined (item 0 for
// startAfter -1); only an empty list gives -1.
int selectByPrefix(QComboBox* combo, const QString& text, int startAfter = -1);

// Selects the item at index; an index outside the list clears the selection (the combo box then
// shows nothing). Returns the selected index or -1.
int selectIndex(QComboBox* combo, int index);

// Appends an item without changing the selection. QComboBox selects the first item added to an
// empty list by itself; a list of the game's tools keeps showing nothing until something is
// selected, and the dialogs rely on that (a stored value that matches no item leaves the list
// without a selection).
void appendItem(QComboBox* combo, const QString& text);

// Runs handler when the user picks an item (also when it is the item already shown), with the
// picked index as argument if the handler takes one.
template <typename Receiver, typename Handler>
QMetaObject::Connection onUserSelection(QComboBox* combo, const Receiver* receiver,
                                        Handler&& handler) {
    return QObject::connect(combo, &QComboBox::activated, receiver, std::forward<Handler>(handler));
}

// Runs handler when the user changes the text of edit (typing, deleting, pasting, undo), with the
// new text as argument if the handler takes one.
template <typename Receiver, typename Handler>
QMetaObject::Connection onUserEdit(QLineEdit* edit, const Receiver* receiver, Handler&& handler) {
    return QObject::connect(edit, &QLineEdit::textEdited, receiver, std::forward<Handler>(handler));
}

} // namespace dk3::ui
