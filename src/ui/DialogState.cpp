#include "ui/DialogState.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QChildEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
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

// How long after a list closed an Escape still belongs to that list.
constexpr qint64 kEscapeAfterListMs = 250;

class EscapeGuard final : public QObject {
public:
    explicit EscapeGuard(QWidget* dialog) : QObject(dialog), dialog_(dialog) {}

    // A list's pop-up window is made the first time the list opens; it is watched from then on.
    void watchPopUpsOf(QComboBox* combo) {
        combo->installEventFilter(this);
        for (QObject* child : combo->children())
            watchIfPopUp(child);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != dialog_) {
            if (event->type() == QEvent::ChildPolished && qobject_cast<QComboBox*>(watched))
                watchIfPopUp(static_cast<QChildEvent*>(event)->child());
            else if (event->type() == QEvent::Hide && !qobject_cast<QComboBox*>(watched))
                listClosed_.start();
            return false;
        }
        if (event->type() != QEvent::KeyPress ||
            static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape)
            return false;
        const bool listOpen = QApplication::activePopupWidget() != nullptr;
        const bool listJustClosed =
            listClosed_.isValid() && listClosed_.elapsed() < kEscapeAfterListMs;
        return listOpen || listJustClosed;
    }

private:
    void watchIfPopUp(QObject* child) {
        if (child->isWidgetType() && static_cast<QWidget*>(child)->isWindow())
            child->installEventFilter(this);
    }

    QWidget* dialog_;
    QElapsedTimer listClosed_;
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

void keepEscapeInDropDownLists(QWidget& dialog) {
    auto* guard = new EscapeGuard(&dialog);
    dialog.installEventFilter(guard);
    // Asking a list for its view would make every pop-up window at once, most never opened.
    for (QComboBox* combo : dialog.findChildren<QComboBox*>())
        guard->watchPopUpsOf(combo);
}

void allowGrowingWhereTheWindowSystemInsists(QWidget& dialog) {
    if (QGuiApplication::platformName().startsWith(QStringLiteral("wayland")))
        dialog.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}

} // namespace dk3::ui
