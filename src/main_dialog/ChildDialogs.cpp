#include "advanced_dialog/OtherSettingsDialog.h"
#include "app/OwnTexts.h"
#include "cache_dialog/CacheSettingsDialog.h"
#include "main_dialog/MainDialogTemplate.h"
#include "main_dialog/MainSettingsDialog.h"
#include "platform/ResourceExtractor.h"
#include "platform/TextCodec.h"
#include "presentation/BannerWidget.h"
#include "presentation/CreditsDialog.h"
#include "ui/DialogTemplate.h"
#include "ui/TooltipControl.h"

#include <QFrame>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>

// The banner and the buttons that open the child dialogs.

namespace dk3::main_dialog {
namespace {

// Stands in when the program was given nowhere to open web links.
constexpr app::OwnText kChooseInstallation{"Andere Installation des Spiels wählen …",
                                           "Choose another installation of the game …",
                                           "Scegli un'altra installazione del gioco …"};

// Which installation the dialog edits, shown as the banner's tip.
constexpr app::OwnText kInstallationTip{
    "Spielordner: %1\nGefunden durch: %2\nEigene Dateien des Spiels: %3\n\n"
    "Rechtsklick oder %4: andere Installation wählen",
    "Game folder: %1\nFound through: %2\nThe game's documents folder: %3\n\n"
    "Right-click or %4: choose another installation",
    "Cartella del gioco: %1\nTrovata tramite: %2\nCartella documenti del gioco: %3\n\n"
    "Clic destro o %4: scegli un'altra installazione"};
// The key that opens the choice of another installation, as the menu shows it too.
QKeySequence chooseInstallationKey() {
    return QKeySequence(Qt::CTRL | Qt::Key_O);
}

class NoLinkOpener final : public presentation::LinkOpener {
public:
    void openLink(const QUrl& /*address*/) override {}
};

} // namespace

void MainSettingsDialog::connectChildDialogButtons() {
    connect(ui::controlAs<QPushButton>(*this, id::kCacheSettings), &QPushButton::clicked, this,
            &MainSettingsDialog::openCacheSettings);
    connect(ui::controlAs<QPushButton>(*this, id::kOtherSettings), &QPushButton::clicked, this,
            &MainSettingsDialog::openOtherSettings);
    connect(ui::controlAs<QPushButton>(*this, id::kCredits), &QPushButton::clicked, this,
            &MainSettingsDialog::openCredits);
}

void MainSettingsDialog::openCacheSettings() {
    // The dialog reads the engine file when it is made, so every opening shows the file as it
    // is now; what it changes is only in that file, so nothing here needs reloading afterwards.
    cache::CacheSettingsDialog dialog(paths().engineIniPath, languageName(), catalogue(),
                                      prompter(), this);
    dialog.exec();
}

void MainSettingsDialog::openOtherSettings() {
    // A new dialog for every opening, so that it reads the game's files afresh; nothing here
    // depends on how it ended.
    advanced::OtherSettingsDialog dialog(paths(), languageName(), catalogue(), vocabulary(),
                                         prompter(), this);
    dialog.exec();
}

void MainSettingsDialog::openCredits() {
    NoLinkOpener nowhere;
    presentation::LinkOpener& links = services_.linkOpener ? *services_.linkOpener : nowhere;
    presentation::CreditsDialog credits(languageName_, catalogue_, tempFolder_,
                                        services_.musicPlayers, links, this);
    credits.exec();
}

void MainSettingsDialog::setUpBanner() {
    // Without its picture the banner still sways, with a plain front face.
    const auto extracted = platform::extractResourceToTemp(QStringLiteral(":/dk3/vorlix_logo.jpg"),
                                                           "vorlix_logo.jpg", tempFolder_);
    if (extracted.path)
        bannerTexturePath_ = *extracted.path;

    // The banner fills the inside of control 1086's sunken edge. It is decoration only: clicks
    // and the keyboard focus stay with the dialog's controls.
    auto* area = ui::controlAs<QFrame>(*this, id::kBanner);
    banner_ = new presentation::BannerWidget(
        bannerTexturePath_.empty() ? QString() : platform::pathToQString(bannerTexturePath_), area);
    banner_->setGeometry(area->contentsRect());
    banner_->setAttribute(Qt::WA_TransparentForMouseEvents);
    banner_->setFocusPolicy(Qt::NoFocus);
    banner_->show();

    // The banner's menu offers to pick another installation of the game, for a stored one that
    // is wrong or a second copy of the game; the dialog's layout stays as it is.
    area->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(area, &QWidget::customContextMenuRequested, this, [this, area](const QPoint& at) {
        QMenu menu(this);
        QAction* choose = menu.addAction(app::ownText(languageName_, kChooseInstallation));
        choose->setShortcut(chooseInstallationKey());
        if (menu.exec(area->mapToGlobal(at)) == choose)
            chooseAnotherInstallation();
    });
    // The same from the keyboard, wherever the focus is.
    auto* shortcut = new QShortcut(chooseInstallationKey(), this);
    connect(shortcut, &QShortcut::activated, this, [this] { chooseAnotherInstallation(); });
}

QString MainSettingsDialog::installationDescription() const {
    const auto shown = [](const std::filesystem::path& folder) {
        return folder.empty() ? QStringLiteral("-") : platform::pathToQString(folder);
    };
    return app::ownText(languageName_, kInstallationTip)
        .arg(shown(installation_.gameFolder), app::sourceText(languageName_, installation_.source),
             shown(installation_.documentsFolder),
             chooseInstallationKey().toString(QKeySequence::NativeText));
}

void MainSettingsDialog::showInstallationTip() {
    if (tooltipControl_)
        tooltipControl_->addTool(ui::controlById(*this, id::kBanner), installationDescription());
}

void MainSettingsDialog::startBannerTimer() {
    if (banner_)
        banner_->start();
}

void MainSettingsDialog::releaseBanner() {
    // The widget's own destructor stops its frame timer.
    delete banner_;
    banner_ = nullptr;
}

} // namespace dk3::main_dialog
