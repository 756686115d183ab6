#include "ui/SharedStylePalette.h"

#include <QStyleOptionButton>
#include <QStyleOptionComboBox>

#include <vector>

namespace dk3::ui {

QPalette sharedStylePalette(const QPalette& palette) {
    // A dialog has a set of colours or two; a few more are kept in case, and beyond that a
    // palette is simply used as it is.
    static constexpr std::size_t kKept = 8;
    static std::vector<QPalette> kept;
    const QPalette* shared = nullptr;
    for (const QPalette& candidate : kept) {
        if (candidate == palette) {
            shared = &candidate;
            break;
        }
    }
    if (!shared) {
        if (kept.size() >= kKept)
            return palette;
        kept.push_back(palette);
        shared = &kept.back();
    }
    QPalette result = *shared;
    result.setCurrentColorGroup(palette.currentColorGroup());
    return result;
}

void ComboBox::initStyleOption(QStyleOptionComboBox* option) const {
    QComboBox::initStyleOption(option);
    option->palette = sharedStylePalette(option->palette);
}

void PushButton::initStyleOption(QStyleOptionButton* option) const {
    QPushButton::initStyleOption(option);
    option->palette = sharedStylePalette(option->palette);
}

} // namespace dk3::ui
