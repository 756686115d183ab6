#include "ui/Prompter.h"

#include "ui/WindowTitle.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

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
    dialog.setFileMode(mode == QFileDialog::AcceptOpen && !request.acceptAnyName
                           ? QFileDialog::ExistingFile
                           : QFileDialog::AnyFile);
    if (!request.startFolder.isEmpty())
        dialog.setDirectory(request.startFolder);
    if (request.showHidden)
        dialog.setFilter(dialog.filter() | QDir::Hidden);
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

std::optional<int> QtPrompter::chooseItem(QWidget* parent, const QString& caption,
                                          const QString& text, const QStringList& items) {
    QDialog dialog(ownerOnScreen(parent));
    dialog.setWindowTitle(caption);
    keepTitleBlankWhenEmpty(&dialog);
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(text, &dialog);
    label->setWordWrap(true);
    layout->addWidget(label);
    auto* list = new QListWidget(&dialog);
    // Entries are shown whole (an installation's folder may be long): they wrap, after a path
    // separator where a zero-width space lets a line break, instead of hiding behind a scroll bar.
    list->setWordWrap(true);
    list->setTextElideMode(Qt::ElideNone);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setResizeMode(QListView::Adjust);
    int widest = 0;
    for (const QString& item : items) {
        widest = std::max(widest, list->fontMetrics().horizontalAdvance(item));
        list->addItem(QString(item).replace(QLatin1Char('/'), QStringLiteral("/\u200B")));
    }
    list->setCurrentRow(0);
    const QScreen* screen = dialog.screen();
    const int roomy = screen ? screen->availableGeometry().width() * 4 / 5 : 1000;
    list->setMinimumWidth(std::clamp(widest + 40, 560, std::max(560, roomy)));
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
    if (dialog.exec() != QDialog::Accepted || list->currentRow() < 0)
        return std::nullopt;
    return list->currentRow();
}

} // namespace dk3::ui
