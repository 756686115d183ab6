#pragma once

// The colours of a dialog: one text colour on one background colour for the dialog and every
// control in it, drop-down lists included.
//
// Call once, after the dialog's controls are built. Controls inherit the dialog's palette; the
// drop-down lists of combo boxes are windows of their own, which inherit nothing, so they get the
// palette here too (a combo box made later needs applyColourScheme again). Selected items keep
// the system's highlight colours. Disabled controls show the text colour dimmed towards the
// background, still readable; read-only fields look like the others.

#include <QColor>
#include <QPalette>

class QWidget;

namespace dk3::ui {

// The colours of each dialog of the program.
inline const QColor kMainDialogText{220, 150, 0};
inline const QColor kMainDialogBackground{75, 0, 0};
inline const QColor kChildDialogText{240, 170, 0}; // resource cache and advanced dialogs
inline const QColor kChildDialogBackground{100, 0, 0};
inline const QColor kCreditsDialogText{200, 130, 0};
inline const QColor kCreditsDialogBackground{50, 50, 50};

// base with text and background put into every role that a control's text or face is drawn in.
QPalette colourSchemePalette(const QPalette& base, const QColor& text, const QColor& background);

void applyColourScheme(QWidget* dialog, const QColor& text, const QColor& background);

} // namespace dk3::ui
