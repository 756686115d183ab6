#include "ui/ColourScheme.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
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
    for (QComboBox* combo : dialog->findChildren<QComboBox*>()) {
        // view() makes the drop-down window if it does not exist yet.
        QAbstractItemView* list = combo->view();
        list->window()->setPalette(palette);
        list->setPalette(palette);
    }
}

} // namespace dk3::ui
