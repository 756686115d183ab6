#include "ui/ColourScheme.h"

#include "ui/FocusRingStyle.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QChildEvent>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QPointer>
#include <QVariant>
#include <QWidget>

namespace dk3::ui {
namespace {

QColor blend(const QColor& from, const QColor& to, double share) {
    const auto mix = [share](int a, int b) {
        return static_cast<int>(a + (b - a) * share + 0.5);
    };
    return QColor(mix(from.red(), to.red()), mix(from.green(), to.green()),
                  mix(from.blue(), to.blue()));
}

// The dialog's focus style, made once per dialog. It is the dialog's child, made after the
// controls, so it is destroyed after the controls that use it.
FocusRingStyle* focusStyleOf(QWidget* dialog, const QColor& colour) {
    static constexpr char kProperty[] = "dk3FocusRingStyle";
    if (auto* existing =
            dynamic_cast<FocusRingStyle*>(dialog->property(kProperty).value<QObject*>())) {
        existing->setFocusColour(colour);
        return existing;
    }
    FocusRingStyle* style = makeFocusRingStyle(colour);
    style->setParent(dialog);
    dialog->setProperty(kProperty, QVariant::fromValue<QObject*>(style));
    return style;
}

// The drop-down list of a combo box, when it exists (asking the combo box for it makes it).
QAbstractItemView* existingList(const QComboBox* combo) {
    return combo->findChild<QAbstractItemView*>();
}

void paintList(QAbstractItemView* list, const QPalette& palette) {
    list->window()->setPalette(palette);
    list->setPalette(palette);
}

// Combo boxes still on the application's style. Qt makes a combo box's drop-down list (a window
// with a list view, its scroll bars and a delegate) as soon as its style changes, and a dialog
// full of them spent a fifth of the program's start-up on lists nobody had opened. Until it
// takes the focus, a combo box looks the same on the focus style as on the style it is built on,
// so it gets the focus style when the focus first comes to it; its list gets the dialog's colours
// when Qt polishes it, before it is first shown, whoever made it.
class DeferredComboScheme : public QObject {
public:
    DeferredComboScheme(QWidget* dialog, FocusRingStyle* style)
        : QObject(dialog), dialog_(dialog), style_(style) {}

    void watch(QComboBox* combo) { combo->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* combo = qobject_cast<QComboBox*>(watched);
        if (!combo)
            return false;
        if (event->type() == QEvent::FocusIn && combo->style() == QApplication::style()) {
            combo->setStyle(style_);
        } else if (event->type() == QEvent::ChildPolished) {
            auto* child = static_cast<QChildEvent*>(event)->child();
            if (auto* list = existingList(combo); list && list->window() == child)
                paintList(list, dialog_->palette());
        }
        return false;
    }

private:
    QWidget* dialog_;
    FocusRingStyle* style_;
};

DeferredComboScheme* deferredSchemeOf(QWidget* dialog, FocusRingStyle* style) {
    static constexpr char kProperty[] = "dk3DeferredComboScheme";
    if (auto* existing =
            dynamic_cast<DeferredComboScheme*>(dialog->property(kProperty).value<QObject*>()))
        return existing;
    auto* deferred = new DeferredComboScheme(dialog, style);
    dialog->setProperty(kProperty, QVariant::fromValue<QObject*>(deferred));
    return deferred;
}

// Every control that can take the keyboard focus shows it in the dialog's text colour. A control
// with a style of its own keeps it; one built on the focus style takes the colour.
void applyFocusRing(QWidget* dialog, const QColor& colour) {
    FocusRingStyle* style = focusStyleOf(dialog, colour);
    DeferredComboScheme* deferred = nullptr;
    for (QWidget* control : dialog->findChildren<QWidget*>()) {
        if (control->focusPolicy() == Qt::NoFocus || control->isWindow())
            continue;
        if (auto* own = dynamic_cast<FocusRingStyle*>(control->style())) {
            own->setFocusColour(colour);
        } else if (control->style() == QApplication::style()) {
            auto* combo = qobject_cast<QComboBox*>(control);
            if (combo && !existingList(combo) && !combo->hasFocus()) {
                if (!deferred)
                    deferred = deferredSchemeOf(dialog, style);
                deferred->watch(combo);
            } else {
                control->setStyle(style);
            }
        }
    }
}

} // namespace

QPalette colourSchemePalette(const QPalette& base, const QColor& text, const QColor& background) {
    QPalette palette = base;
    // Disabled text is dimmed only part of the way, so that it stays readable on the background.
    const QColor dimmed = blend(text, background, 0.4);
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const QColor& shown = group == QPalette::Disabled ? dimmed : text;
        for (const auto role :
             {QPalette::Window, QPalette::Base, QPalette::AlternateBase, QPalette::Button})
            palette.setColor(group, role, background);
        for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            palette.setColor(group, role, shown);
        palette.setColor(group, QPalette::PlaceholderText, dimmed);
    }
    return palette;
}

void applyColourScheme(QWidget* dialog, const QColor& text, const QColor& background) {
    const QPalette palette = colourSchemePalette(dialog->palette(), text, background);
    dialog->setPalette(palette);
    dialog->setAutoFillBackground(true);
    // Qt's Fusion style draws an edit field's frame in the Window colour darkened by 40%, which
    // on a dark background is invisible and leaves the field looking like a label. The field's
    // own Window role is used for nothing else, so it is set such that the frame comes out half
    // way between background and text.
    QPalette editPalette = palette;
    const QColor frame = blend(background, text, 0.5).lighter(140);
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        editPalette.setColor(group, QPalette::Window, frame);
    for (QLineEdit* edit : dialog->findChildren<QLineEdit*>())
        edit->setPalette(editPalette);
    applyFocusRing(dialog, text);
    // Lists not made yet get the colours when they are made (see DeferredComboScheme).
    for (QComboBox* combo : dialog->findChildren<QComboBox*>()) {
        if (QAbstractItemView* list = existingList(combo))
            paintList(list, palette);
    }
}

} // namespace dk3::ui
