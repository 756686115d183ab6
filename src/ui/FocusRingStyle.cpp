#include "ui/FocusRingStyle.h"

#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>

namespace dk3::ui {
namespace {

// The controls whose focus Fusion shows in the highlight colour. Item views are left out: their
// highlight is the colour of the selected item.
bool drawsFocusWithHighlight(QStyle::PrimitiveElement element) {
    switch (element) {
    case QStyle::PE_FrameLineEdit:
    case QStyle::PE_PanelLineEdit:
    case QStyle::PE_PanelButtonCommand:
    case QStyle::PE_PanelButtonBevel:
    case QStyle::PE_FrameButtonBevel:
    case QStyle::PE_IndicatorCheckBox:
    case QStyle::PE_IndicatorRadioButton:
        return true;
    default:
        return false;
    }
}

bool drawsFocusWithHighlight(QStyle::ControlElement element) {
    switch (element) {
    case QStyle::CE_PushButton:
    case QStyle::CE_PushButtonBevel:
    case QStyle::CE_CheckBox:
    case QStyle::CE_RadioButton:
        return true;
    default:
        return false;
    }
}

bool drawsFocusWithHighlight(QStyle::ComplexControl control) {
    return control == QStyle::CC_ComboBox || control == QStyle::CC_SpinBox ||
           control == QStyle::CC_Slider;
}

// Lends the option the focus colour as its highlight while the base style draws with it. The
// option belongs to the caller, who made it for this one call; it gets its palette back.
class FocusHighlight {
public:
    FocusHighlight(const QStyleOption* option, const QColor& colour)
        : option_(option && (option->state & QStyle::State_HasFocus)
                      ? const_cast<QStyleOption*>(option)
                      : nullptr) {
        if (!option_)
            return;
        saved_ = option_->palette;
        option_->palette.setColor(QPalette::Highlight, colour);
    }
    ~FocusHighlight() {
        if (option_)
            option_->palette = saved_;
    }
    FocusHighlight(const FocusHighlight&) = delete;
    FocusHighlight& operator=(const FocusHighlight&) = delete;

private:
    QStyleOption* option_;
    QPalette saved_;
};

// Shown however the focus came to the control: the player sees at once where Enter, Space or
// a typed letter goes, also after a click or at the start.
bool hasFocus(const QStyleOption* option) {
    return option && (option->state & QStyle::State_HasFocus);
}

// A second line inside the control's own outline, so that the focus reads at a glance.
void drawInnerOutline(QPainter* painter, const QRect& rect, const QColor& colour) {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setPen(QPen(colour, 1));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(rect.adjusted(1, 1, -2, -2));
    painter->restore();
}

} // namespace

FocusRingStyle::FocusRingStyle(QStyle* base, const QColor& focusColour)
    : QProxyStyle(base ? base : QStyleFactory::create(QStringLiteral("Fusion"))),
      focusColour_(focusColour) {}

void FocusRingStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                   QPainter* painter, const QWidget* widget) const {
    if (element == PE_FrameFocusRect && option) {
        // Fusion's ring here is nearly transparent; a solid one reads at a glance.
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, false);
        painter->setPen(QPen(focusColour_, 1));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
        painter->restore();
        return;
    }
    if (!drawsFocusWithHighlight(element)) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    const FocusHighlight lent(option, focusColour_);
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    // An edit field shows where typing goes however the focus came to it, as Fusion does.
    if (element == PE_FrameLineEdit && (option->state & State_HasFocus))
        drawInnerOutline(painter, option->rect, focusColour_);
}

void FocusRingStyle::drawControl(ControlElement element, const QStyleOption* option,
                                 QPainter* painter, const QWidget* widget) const {
    if (!drawsFocusWithHighlight(element)) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    const FocusHighlight lent(option, focusColour_);
    QProxyStyle::drawControl(element, option, painter, widget);
    if (element == CE_PushButton && hasFocus(option))
        drawInnerOutline(painter, option->rect, focusColour_);
}

void FocusRingStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                        QPainter* painter, const QWidget* widget) const {
    if (!drawsFocusWithHighlight(control)) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    const FocusHighlight lent(option, focusColour_);
    QProxyStyle::drawComplexControl(control, option, painter, widget);
    if (control == CC_ComboBox && hasFocus(option))
        drawInnerOutline(painter, option->rect, focusColour_);
}

FocusRingStyle* makeFocusRingStyle(const QColor& focusColour) {
    // The application's style is Fusion behind a proxy (see ProgramStyle), which has no name a
    // new copy could be made by.
    return new FocusRingStyle(nullptr, focusColour);
}

} // namespace dk3::ui
