#pragma once

// Dialog templates: each dialog of the program is described by one table of controls, with
// positions in dialog units, and built by one routine into Qt widgets at those places.
//
// Dialog units scale with the dialog font: one horizontal unit is a quarter of the font's average
// character width, one vertical unit an eighth of its height. Every control carries its numeric
// ID as objectName (e.g. "1024") so code and tests find it by ID.

#include <QFont>
#include <QRect>
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

// The font's "base units" in pixels: the average character width (the width of the 52 Latin
// letters divided by 52, rounded to the nearest pixel) and the character height.
struct DialogBaseUnits {
    int averageWidth;
    int height;
};

DialogBaseUnits dialogBaseUnits(const QFont& font);

// Dialog units to pixels. Left and right edges (and top and bottom) are converted separately and
// rounded to the nearest pixel, so neighbouring controls stay flush at any font size.
QRect mapDialogRect(const DialogBaseUnits& units, int x, int y, int width, int height);

// The font a dialog table names. "MS Sans Serif" is a Windows bitmap font that Linux systems do
// not have; it is replaced by Arial (Liberation Sans through fontconfig), whose metrics are close.
QFont dialogFont(const char* family, int pointSize);

// Room left around a dialog for its window frame and title bar, in pixels, and the smallest
// font a dialog is made smaller to.
inline constexpr int kFrameAllowance = 8;
inline constexpr int kTitleAllowance = 40;
inline constexpr qreal kSmallestPointSize = 5.0;

// The font at which a dialog of dialogUnits fits, with its frame, into an available area of that
// size: font itself when it fits (or the area is unknown, empty), else the largest font a quarter
// point at a time smaller that fits, but no smaller than kSmallestPointSize.
QFont fittingDialogFont(const QFont& font, QSize dialogUnits, QSize available);

// Sets the dialog's font, fixed size and title and creates every control of the layout as a child
// at its place, in table order (which is also the tab order). The font is the table's, made
// smaller where the dialog would not fit the available area of its screen.
//
// Qt's controls need more height than the Windows ones they stand in for: a combo box gets the
// closed height its font needs (the table's height is that of the dropped-down list, which sets
// how many items the list shows), and an edit field too short for its font is made taller; x, y
// and width always come from the table. Label text is centred vertically in its rectangle; a
// label only one line high never wraps (a wrapped second line would be cut in half) and is moved
// up or down to be centred on the combo box or edit field beside it, if its row has one.
void buildFromTemplate(QDialog& dialog, const DialogSpec& layout);

// The control with that numeric ID, or nullptr when the dialog has none (or it is of another type).
QWidget* controlById(const QWidget& dialog, int id);
template <typename T> T* controlAs(const QWidget& dialog, int id) {
    return qobject_cast<T*>(controlById(dialog, id));
}

} // namespace dk3::ui
