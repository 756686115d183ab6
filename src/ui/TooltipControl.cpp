#include "ui/TooltipControl.h"

#include <QEvent>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QScreen>
#include <QToolTip>
#include <QWidget>

#include <algorithm>

namespace dk3::ui {
namespace {

QLabel* makeTipWindow(QWidget* dialog) {
    // Parented to the dialog so that it is a transient window of it and dies with it.
    auto* tip = new QLabel(dialog, Qt::ToolTip | Qt::BypassGraphicsProxyWidget);
    tip->setAttribute(Qt::WA_ShowWithoutActivating);
    // Catalogue texts may hold '<' and '&': they are never markup.
    tip->setTextFormat(Qt::PlainText);
    tip->setFont(QToolTip::font());
    QPalette palette = tip->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Window, QColor(255, 255, 0));
        palette.setColor(group, QPalette::WindowText, Qt::black);
    }
    tip->setPalette(palette);
    tip->setAutoFillBackground(true);
    tip->setFrameStyle(QFrame::Box | QFrame::Plain);
    tip->setLineWidth(1);
    tip->setMargin(2);
    return tip;
}

// Qt's own rule for how long a tip stays: ten seconds, more for long texts.
int tipLifetimeMs(const QString& text) {
    return 10000 + 40 * std::max<int>(0, static_cast<int>(text.size()) - 100);
}

} // namespace

TooltipControl::TooltipControl(QWidget* dialog) : QObject(dialog), dialog_(dialog) {
    hideTimer_.setSingleShot(true);
    connect(&hideTimer_, &QTimer::timeout, this, &TooltipControl::hideTip);
    // A tip must not outlive its dialog on screen when the dialog moves, hides or loses focus.
    if (dialog_)
        dialog_->installEventFilter(this);
}

TooltipControl::~TooltipControl() {
    for (const Tool& tool : tools_)
        if (tool.control)
            tool.control->removeEventFilter(this);
    if (dialog_)
        dialog_->removeEventFilter(this);
    delete tip_.data();
}

void TooltipControl::addTool(QWidget* control, const QString& text) {
    if (!control)
        return;
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    if (Tool* existing = findTool(control)) {
        existing->text = lines;
        return;
    }
    tools_.push_back({control, lines});
    control->installEventFilter(this);
    connect(control, &QObject::destroyed, this, [this] {
        if (!tipOwner_)
            hideTip();
    });
}

void TooltipControl::activate(bool active) {
    active_ = active;
    if (!active_)
        hideTip();
}

bool TooltipControl::isTipVisible() const {
    return tip_ && tip_->isVisible();
}

QString TooltipControl::visibleTipText() const {
    return isTipVisible() ? tip_->text() : QString();
}

void TooltipControl::hideTip() {
    hideTimer_.stop();
    tipOwner_ = nullptr;
    if (tip_)
        tip_->hide();
}

TooltipControl::Tool* TooltipControl::findTool(const QObject* control) {
    const auto found = std::find_if(tools_.begin(), tools_.end(), [control](const Tool& tool) {
        return tool.control && tool.control.data() == control;
    });
    return found == tools_.end() ? nullptr : &*found;
}

void TooltipControl::showTip(const Tool& tool, const QPoint& globalPos) {
    if (!tip_)
        tip_ = makeTipWindow(dialog_);
    tip_->setWordWrap(false);
    tip_->setText(tool.text);
    QSize size = tip_->sizeHint();
    const int chrome = 2 * (tip_->frameWidth() + tip_->margin());
    if (size.width() - chrome > kMaxTipWidth) {
        tip_->setWordWrap(true);
        size = QSize(kMaxTipWidth + chrome, tip_->heightForWidth(kMaxTipWidth + chrome));
    }
    tip_->resize(size);

    // Below the mouse pointer, kept on the screen; above the pointer when there is no room below.
    QPoint pos = globalPos + QPoint(2, 20);
    const QScreen* screen = QGuiApplication::screenAt(globalPos);
    if (!screen)
        screen = tool.control->screen();
    if (screen) {
        const QRect area = screen->availableGeometry();
        if (pos.y() + size.height() > area.bottom())
            pos.setY(globalPos.y() - size.height() - 4);
        pos.setX(
            std::clamp(pos.x(), area.left(), std::max(area.left(), area.right() - size.width())));
        pos.setY(std::max(pos.y(), area.top()));
    }
    tip_->move(pos);
    tipOwner_ = tool.control;
    tip_->show();
    tip_->raise();
    hideTimer_.start(tipLifetimeMs(tool.text));
}

bool TooltipControl::eventFilter(QObject* watched, QEvent* event) {
    if (watched == dialog_) {
        switch (event->type()) {
        case QEvent::Hide:
        case QEvent::Move:
        case QEvent::WindowDeactivate:
            hideTip();
            break;
        default:
            break;
        }
        return false;
    }

    const Tool* tool = findTool(watched);
    if (!tool)
        return false;
    switch (event->type()) {
    case QEvent::ToolTip:
        if (!active_ || tool->text.isEmpty()) {
            if (tipOwner_ == tool->control)
                hideTip();
            return false;
        }
        showTip(*tool, static_cast<QHelpEvent*>(event)->globalPos());
        event->accept();
        return true;
    case QEvent::Leave:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::Wheel:
    case QEvent::Hide:
        if (tipOwner_ == tool->control)
            hideTip();
        break;
    default:
        break;
    }
    return false;
}

} // namespace dk3::ui
