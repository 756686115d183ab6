#include "ui/ComboHelpers.h"

namespace dk3::ui {

int selectByPrefix(QComboBox* combo, const QString& text, int startAfter) {
    const int count = combo->count();
    if (startAfter < -1 || startAfter >= count)
        startAfter = -1;
    for (int step = 1; step <= count; ++step) {
        const int index = (startAfter + step) % count;
        if (combo->itemText(index).startsWith(text, Qt::CaseInsensitive)) {
            combo->setCurrentIndex(index);
            return index;
        }
    }
    return -1;
}

int selectIndex(QComboBox* combo, int index) {
    if (index < 0 || index >= combo->count())
        index = -1;
    combo->setCurrentIndex(index);
    return index;
}

void appendItem(QComboBox* combo, const QString& text) {
    const int selected = combo->currentIndex();
    combo->addItem(text);
    if (selected == -1)
        combo->setCurrentIndex(-1);
}

} // namespace dk3::ui
