#pragma once

// The credits window (template 141): the large picture, the version, the author's contact and
// web site, the translators, the thanks to the game's community with a link to its site, and the
// program's short tune, which plays while the window is open.

#include "app/TranslationCatalogue.h"
#include "presentation/LinkOpener.h"
#include "presentation/MusicPlayback.h"
#include "ui/DialogTemplate.h"

#include <QDialog>

#include <filesystem>
#include <memory>
#include <string>

class QLabel;

namespace dk3::presentation {

namespace credits_id {
inline constexpr int kVersion = 1120;
inline constexpr int kContactLabel = 1123;
inline constexpr int kContact = 1122;
inline constexpr int kAuthorLink = 1085;
inline constexpr int kTranslators = 1124;
inline constexpr int kEnglishLabel = 1199;
inline constexpr int kEnglishTranslator = 1200;
inline constexpr int kItalianLabel = 1201;
inline constexpr int kItalianTranslator = 1202;
inline constexpr int kThanks = 1121;
inline constexpr int kCommunityLink = 1084;
} // namespace credits_id

// Template 141: 321 x 350 dialog units, Arial 8, no title.
const ui::DialogSpec& creditsDialogTemplate();

class CreditsDialog : public QDialog {
    Q_OBJECT

public:
    // Where the two link buttons lead; the captions come from the translation file.
    static constexpr const char* kCommunitySiteGerman = "https://www.example.org/de/";
    static constexpr const char* kCommunitySiteEnglish = "https://www.example.org/en/";
    static constexpr const char* kAuthorSite = "https://www.example.com/vorlix/";

    // The tune and the name it is unpacked under in the temporary folder.
    static constexpr const char* kMusicResource = ":/dk3/vorlix.mp3";
    static constexpr const char* kMusicFileName = "vorlix.mp3";

    // languageName is the section of the translation file the texts come from. musicPlayers may
    // be empty or give no player: the window is then silent. links must outlive the dialog.
    CreditsDialog(std::string languageName, const app::TranslationCatalogue& catalogue,
                  std::filesystem::path tempFolder, MusicPlayerFactory musicPlayers,
                  LinkOpener& links, QWidget* parent = nullptr);
    ~CreditsDialog() override;

    // Button 1084: the community's site, in German for the German texts, else in English.
    void openCommunitySite();
    // Button 1085.
    void openAuthorSite();

    // Whether a player is held (from opening until the window closes).
    bool holdsPlayer() const { return player_ != nullptr; }

    QLabel* largePicture() const { return largePicture_; }
    QLabel* smallPicture() const { return smallPicture_; }

    // Every way of closing ends here: the music stops with the window.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void placePictures();
    void addWindowFrame();
    void startMusic();
    void setTexts();
    void stopMusic();

    std::string languageName_;
    app::TranslationCatalogue catalogue_;
    std::filesystem::path tempFolder_;
    MusicPlayerFactory musicPlayers_;
    LinkOpener& links_;

    std::unique_ptr<MusicPlayer> player_;
    bool opened_ = false;
    QLabel* largePicture_ = nullptr;
    QLabel* smallPicture_ = nullptr;
};

} // namespace dk3::presentation
