#pragma once

// Qt's styles keep what they draw of a control (a combo box's frame and arrow, a button's bevel)
// in the pixmap cache, named by the control's size, state and the cache key of its palette. Every
// control of a dialog gets a palette of its own from the dialog's, with a key of its own, so each
// one misses the cache and is drawn afresh, although they all hold the same colours. The controls
// here draw with one palette object per set of colours instead, so that controls of the same size
// and state share one drawing.

#include <QComboBox>
#include <QPalette>
#include <QPushButton>

namespace dk3::ui {

// A palette with exactly the colours (and the current colour group) of palette, sharing its key
// with every earlier palette of the same colours.
QPalette sharedStylePalette(const QPalette& palette);

class ComboBox : public QComboBox {
public:
    using QComboBox::QComboBox;

protected:
    void initStyleOption(QStyleOptionComboBox* option) const override;
};

class PushButton : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void initStyleOption(QStyleOptionButton* option) const override;
};

} // namespace dk3::ui
