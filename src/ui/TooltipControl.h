#pragma once

// One tooltip control per dialog: a list of tools (controls) with their tip texts, shown when the
// mouse rests on a tool. Tips are black plain text on yellow, broken into lines only at '\n'
// (a line wider than 1000 pixels, which no tip of the program has, wraps at word boundaries);
// an empty text shows no tip. Nothing shows until activate().
//
// The control is a child of its dialog and is destroyed with it; a dialog that rebuilds its tips
// (the main dialog, at every change of language) deletes the old control and makes a new one.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <vector>

class QLabel;
class QWidget;

namespace dk3::ui {

class TooltipControl final : public QObject {
    Q_OBJECT

public:
    static constexpr int kMaxTipWidth = 1000;

    explicit TooltipControl(QWidget* dialog);
    ~TooltipControl() override;

    // The tool covers the whole control, children included. Adding a control twice replaces its
    // text. "\r\n" and a lone '\r' count as line breaks too.
    void addTool(QWidget* control, const QString& text);

    void activate(bool active = true);
    bool isActive() const { return active_; }

    // The tip on screen now, for tests and for callers that must close it.
    bool isTipVisible() const;
    QString visibleTipText() const;
    void hideTip();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Tool {
        QPointer<QWidget> control;
        QString text;
    };

    Tool* findTool(const QObject* control);
    void showTip(const Tool& tool, const QPoint& globalPos);

    QPointer<QWidget> dialog_;
    std::vector<Tool> tools_;
    bool active_ = false;
    QPointer<QLabel> tip_;       // made on first use
    QPointer<QWidget> tipOwner_; // the tool whose tip is shown
    QTimer hideTimer_;
};

} // namespace dk3::ui
