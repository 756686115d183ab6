#include "ui/WindowTitle.h"

#include <QEvent>
#include <QVariant>
#include <QWidget>
#include <QWindow>

namespace dk3::ui {
namespace {

void blankIfEmpty(QWidget* window) {
    QWindow* handle = window->windowHandle();
    if (handle && window->windowTitle().isEmpty())
        handle->setTitle(QString::fromUtf16(kBlankTitle));
}

// The window handle exists from the first show on; Qt gives it the widget's title when it is made
// and whenever the widget's title changes, so the blank is put back after both.
class BlankTitleKeeper final : public QObject {
public:
    explicit BlankTitleKeeper(QWidget* window) : QObject(window) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::Show:
        case QEvent::WinIdChange:
        case QEvent::WindowTitleChange:
            if (auto* window = qobject_cast<QWidget*>(watched))
                blankIfEmpty(window);
            break;
        default:
            break;
        }
        return false;
    }
};

} // namespace

void keepTitleBlankWhenEmpty(QWidget* window) {
    static constexpr char kKept[] = "dk3BlankTitleKept";
    if (window->property(kKept).toBool())
        return;
    window->setProperty(kKept, true);
    window->installEventFilter(new BlankTitleKeeper(window));
    blankIfEmpty(window);
}

} // namespace dk3::ui
