#pragma once

// Setting the caption of a control to a text of the translation file.

#include <QString>

class QWidget;

namespace dk3::ui {

// Sets the text of a label, group box or button as the translation file gives it. The text is
// shown literally: an '&' is no keyboard mnemonic. A one-line label whose text is a little wider
// than its place (some translations are, by a few pixels) gets its letters set up to half a pixel
// closer rather than losing its last characters.
void setCaption(QWidget* control, const QString& text);

} // namespace dk3::ui
