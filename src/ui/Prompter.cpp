#include "ui/Prompter.h"

#include "ui/WindowTitle.h"

#include <QFileDialog>
#include <QMessageBox>

namespace dk3::ui {
namespace {

QMessageBox::Icon toQt(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// The window a box or chooser is centred on: its parent's window while that is on screen. A
// window that is not shown yet (the main dialog during start-up) has no place of its own, and a
// box centred on it would land in the screen's top-left corner; without an owner Qt centres the
// box on the screen.
QWidget* ownerOnScreen(QWidget* parent) {
    if (!parent)
        return nullptr;
    QWidget* window = parent->window();
    return window->isVisible() && !window->isMinimized() ? window : nullptr;
}

std::optional<QString> runChooser(QWidget* parent, const FileRequest& request,
                                  QFileDialog::AcceptMode mode) {
    QFileDialog dialog(ownerOnScreen(parent), request.title);
    keepTitleBlankWhenEmpty(&dialog);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setNameFilter(request.filter);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.initialName.isEmpty())
        dialog.selectFile(request.initialName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

} // namespace

void QtPrompter::showMessage(QWidget* parent, const QString& caption, const QString& text,
                             MessageIcon icon) {
    QMessageBox box(toQt(icon), caption, text, QMessageBox::Ok, ownerOnScreen(parent));
    keepTitleBlankWhenEmpty(&box);
    box.exec();
}

bool QtPrompter::askYesNo(QWidget* parent, const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Yes | QMessageBox::No,
                    ownerOnScreen(parent));
    keepTitleBlankWhenEmpty(&box);
    return box.exec() == QMessageBox::Yes;
}

std::optional<QString> QtPrompter::chooseExistingFile(QWidget* parent, const FileRequest& request) {
    return runChooser(parent, request, QFileDialog::AcceptOpen);
}

std::optional<QString> QtPrompter::chooseSaveFile(QWidget* parent, const FileRequest& request) {
    return runChooser(parent, request, QFileDialog::AcceptSave);
}

} // namespace dk3::ui
