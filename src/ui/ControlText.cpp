#include "ui/ControlText.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>

#include <algorithm>

namespace dk3::ui {
namespace {

void fitOnOneLine(QLabel* label) {
    // Measured in the dialog's font, so that an earlier tightening does not count.
    QFont font = label->parentWidget() ? label->parentWidget()->font() : label->font();
    const QString text = label->text();
    const int room = label->contentsRect().width() - 2 * label->margin();
    const int overflow = QFontMetrics(font).horizontalAdvance(text) - room;
    if (overflow > 0 && !label->wordWrap() && text.size() > 1) {
        const double tighter = std::min(0.5, (overflow + 1.0) / static_cast<double>(text.size()));
        font.setLetterSpacing(QFont::AbsoluteSpacing, -tighter);
    }
    if (label->font() != font)
        label->setFont(font);
}

} // namespace

void setCaption(QWidget* control, const QString& text) {
    QString literal = text;
    literal.replace(u'&', QStringLiteral("&&"));
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setText(literal);
    } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
        group->setTitle(literal);
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(text); // a plain label without a buddy shows '&' as it is
        fitOnOneLine(label);
    }
}

} // namespace dk3::ui
