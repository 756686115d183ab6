#pragma once

// Dialog templates: each dialog of the program is described by one table of controls, with
// positions in dialog units, and built by one routine into Qt widgets at those places.
//
// Dialog units scale with the dialog font: one horizontal unit is a quarter of the font's average
// character width, one vertical unit an eighth of its height. Every control carries its numeric
// ID as objectName (e.g. "1024") so code and tests find it by ID.

#include <QString>
#include <QWidget>

#include <span>

class QDialog;

namespace dk3::ui {

enum class ControlKind {
    Label,             // static text
    GroupBox,          // frame with a caption
    ComboBox,          // drop-down list, not sorted; height is that of the dropped-down list
    Edit,              // single-line edit field
    PushButton,        //
    DefaultPushButton, // the button Enter presses
    Separator,         // grey horizontal bar
    Frame,             // sunken frame without text (e.g. the banner area)
    Picture,           // picture shown at its own size; caption names the Qt resource
};

// Style flags, combined with |.
enum ControlFlag : unsigned {
    kNoFlags = 0,
    kCentred = 1u << 0,      // text centred (labels)
    kRightAligned = 1u << 1, // text right-aligned (labels, edits)
    kNoWrap = 1u << 2,       // label text is not wrapped
    kSunken = 1u << 3,       // sunken border
    kBordered = 1u << 4,     // thin border
    kDigitsOnly = 1u << 5,   // edit takes typed digits only
    kReadOnly = 1u << 6,     // edit is read-only
};

struct ControlSpec {
    int id; // -1 for controls that no code addresses
    ControlKind kind;
    int x, y, width, height; // dialog units
    const char* caption;     // UTF-8; nullptr for none
    unsigned flags = kNoFlags;
};

struct DialogSpec {
    int width, height;      // dialog units
    const char* fontFamily; // e.g. "Arial"; fontconfig substitutes a metric-compatible font
    int pointSize;
    const char* title; // UTF-8 window title, may be empty
    std::span<const ControlSpec> controls;
};

// Sets the dialog's font, fixed size and title and creates every control of spec as a child at
// its place, in table order (which is also the tab order).
void buildFromTemplate(QDialog& dialog, const DialogSpec& spec);

// The control with that numeric ID, or nullptr when the dialog has none (or it is of another type).
QWidget* controlById(const QWidget& dialog, int id);
template <typename T> T* controlAs(const QWidget& dialog, int id) {
    return qobject_cast<T*>(controlById(dialog, id));
}

} // namespace dk3::ui
