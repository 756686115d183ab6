#pragma once

// A plainly visible keyboard focus in a dialog's own colours. Fusion draws the focus of a control
// as a thin line in the highlight colour, a grey-blue that vanishes on dark red. This style draws
// the focused control's outline double and in the dialog's text colour instead (buttons, lists and
// edit fields, however the focus came there) and, around check boxes
// and radio buttons, a solid ring where Fusion draws a faint one. Everything else, the colours of
// selected items included, stays as Fusion draws it.

#include <QColor>
#include <QProxyStyle>

namespace dk3::ui {

class FocusRingStyle : public QProxyStyle {
public:
    // Draws like base (Fusion when null), with the focus in colour.
    FocusRingStyle(QStyle* base, const QColor& focusColour);

    const QColor& focusColour() const { return focusColour_; }
    void setFocusColour(const QColor& colour) { focusColour_ = colour; }

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget) const override;

private:
    QColor focusColour_;
};

// A new Fusion-based focus style, as the controls' style when nothing else is set.
FocusRingStyle* makeFocusRingStyle(const QColor& focusColour);

} // namespace dk3::ui
