#pragma once

// The application object. It runs the main dialog modally; the program ends when that dialog
// ends, and there is no message loop outside it.

#include <QApplication>
#include <QIcon>
#include <QPixmap>

#include <functional>
#include <memory>

namespace dk3::app {

// What the application runs: the main window's start-up sequence and, unless that asks the
// program to end, its modal loop.
class ModalMainWindow {
public:
    virtual ~ModalMainWindow() = default;
    virtual void runModal() = 0;
    // The program's exit status once runModal() has returned.
    virtual int exitCode() const { return 0; }
};

// The program's icon. TuningApp sets it for the whole application, so that every window shows it,
// the start-up messages that open before the main dialog and have no parent window among them.
QIcon programIcon();

// Puts the picture Fusion draws group box frames with into Qt's pixmap cache, where Fusion finds
// it without loading every image format plugin. Returns the pixmap, null when it cannot be read.
QPixmap preloadGroupBoxFrame();

class TuningApp {
public:
    TuningApp(int& argc, char** argv);

    // Creates the main window (without a parent), runs it and destroys it. The exit code is 0;
    // the dialog's result is not used.
    int run(const std::function<std::unique_ptr<ModalMainWindow>()>& createMainWindow);

private:
    // Until the window system is reached, a failure to reach it ends the program with one line
    // on the terminal and exit code 1, instead of Qt's report and an abort.
    static int& guardDisplayConnection(int& argc);

    QApplication application_;
};

} // namespace dk3::app
