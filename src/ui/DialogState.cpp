#include "ui/DialogState.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QLineEdit>
#include <QWidget>

namespace dk3::ui {
namespace {

class WheelGuard final : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Wheel)
            return false;
        auto* combo = qobject_cast<QComboBox*>(watched);
        if (!combo || combo->hasFocus())
            return false;
        // What would scroll the dialog still does; the list stays as it is.
        if (QWidget* parent = combo->parentWidget())
            QCoreApplication::sendEvent(parent, event);
        return true;
    }
};

} // namespace

QStringList shownValues(const QWidget& dialog, const QList<const QWidget*>& ignored) {
    QStringList values;
    for (const QWidget* child : dialog.findChildren<QWidget*>()) {
        if (ignored.contains(child))
            continue;
        if (const auto* edit = qobject_cast<const QLineEdit*>(child)) {
            // A combo box's own edit (none here) would count twice.
            if (!qobject_cast<const QComboBox*>(edit->parentWidget()))
                values << edit->text();
        } else if (const auto* combo = qobject_cast<const QComboBox*>(child)) {
            values << QString::number(combo->currentIndex()) << combo->currentText();
        }
    }
    return values;
}

void ignoreWheelWithoutFocus(QWidget& dialog) {
    auto* guard = new WheelGuard(&dialog);
    for (QComboBox* combo : dialog.findChildren<QComboBox*>()) {
        if (combo->focusPolicy() == Qt::WheelFocus)
            combo->setFocusPolicy(Qt::StrongFocus);
        combo->installEventFilter(guard);
    }
}

} // namespace dk3::ui
