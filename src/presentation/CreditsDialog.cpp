#include "presentation/CreditsDialog.h"

#include "platform/ResourceExtractor.h"
#include "platform/TextCodec.h"
#include "ui/ColourScheme.h"
#include "ui/ControlText.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>
#include <qdrawutil.h>

#include <array>
#include <system_error>

namespace dk3::presentation {
namespace {

using ui::ControlSpec;
using K = ui::ControlKind;
namespace cid = credits_id;

constexpr std::array kControls = {
    ControlSpec{-1, K::Picture, 0, 0, 321, 185, ":/dk3/credits_large.bmp", ui::kSunken},
    ControlSpec{cid::kVersion, K::Label, 0, 185, 321, 14, nullptr, ui::kCentred | ui::kBordered},
    ControlSpec{cid::kContactLabel, K::Label, 25, 216, 93, 14, nullptr, ui::kCentred},
    ControlSpec{cid::kContact, K::Label, 25, 231, 93, 14, nullptr, ui::kCentred},
    ControlSpec{-1, K::Picture, 134, 208, 52, 45, ":/dk3/credits_small.bmp"},
    ControlSpec{cid::kAuthorLink, K::PushButton, 200, 222, 104, 15, nullptr},
    ControlSpec{cid::kTranslators, K::Label, 0, 263, 321, 14, nullptr,
                ui::kCentred | ui::kBordered},
    ControlSpec{cid::kEnglishLabel, K::Label, 24, 288, 38, 12, nullptr},
    ControlSpec{cid::kEnglishTranslator, K::Label, 62, 288, 58, 12, nullptr},
    ControlSpec{cid::kItalianLabel, K::Label, 203, 288, 38, 12, nullptr},
    ControlSpec{cid::kItalianTranslator, K::Label, 242, 288, 63, 12, nullptr},
    ControlSpec{-1, K::Separator, 0, 309, 321, 2, nullptr},
    ControlSpec{cid::kThanks, K::Label, 0, 317, 321, 9, nullptr, ui::kCentred},
    ControlSpec{cid::kCommunityLink, K::PushButton, 108, 331, 104, 15, nullptr},
};

const ui::DialogSpec kTemplate{321, 350, "Arial", 8, "", kControls};

// The texts in the order they are set, each into the control beside it.
struct TextBinding {
    int control;
    const char* key;
};
constexpr std::array kTexts = {
    TextBinding{cid::kVersion, "TEXT_VERSION"},
    TextBinding{cid::kCommunityLink, "TEXT_LINK"},
    TextBinding{cid::kAuthorLink, "TEXT_LINK2"},
    TextBinding{cid::kThanks, "TEXT_THANKS"},
    TextBinding{cid::kContactLabel, "TEXT_EMAIL"},
    TextBinding{cid::kContact, "TEXT_CONTACT"},
    TextBinding{cid::kTranslators, "TEXT_TRANSLATION"},
    TextBinding{cid::kEnglishLabel, "TEXT_ENGLISH"},
    TextBinding{cid::kEnglishTranslator, "TEXT_NAMEENGLISH"},
    TextBinding{cid::kItalianLabel, "TEXT_ITALIAN"},
    TextBinding{cid::kItalianTranslator, "TEXT_NAMEITALIAN"},
};

// The window has no title bar, so it draws its own edge: a raised frame around a sunken one, as
// a captionless modal dialog with a sunken client area looks on the game's home platform. The
// template's positions are those of the area inside both.
constexpr int kOuterFrame = 3;
constexpr int kInnerFrame = 2;
constexpr int kFrame = kOuterFrame + kInnerFrame;

} // namespace

const ui::DialogSpec& creditsDialogTemplate() {
    return kTemplate;
}

CreditsDialog::CreditsDialog(std::string languageName, const app::TranslationCatalogue& catalogue,
                             std::filesystem::path tempFolder, MusicPlayerFactory musicPlayers,
                             LinkOpener& links, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), languageName_(std::move(languageName)),
      catalogue_(catalogue), tempFolder_(std::move(tempFolder)),
      musicPlayers_(std::move(musicPlayers)), links_(links) {
    setModal(true);
    ui::buildFromTemplate(*this, kTemplate);
    placePictures();
    addWindowFrame();

    // Texts and pictures take no clicks of their own: a click on them is a click on the window,
    // which closes it. Only the two link buttons answer for themselves.
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!qobject_cast<QPushButton*>(child))
            child->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    connect(ui::controlAs<QPushButton>(*this, cid::kCommunityLink), &QPushButton::clicked, this,
            &CreditsDialog::openCommunitySite);
    connect(ui::controlAs<QPushButton>(*this, cid::kAuthorLink), &QPushButton::clicked, this,
            &CreditsDialog::openAuthorSite);

    ui::applyColourScheme(this, ui::kCreditsDialogText, ui::kCreditsDialogBackground);
}

CreditsDialog::~CreditsDialog() {
    stopMusic();
}

void CreditsDialog::placePictures() {
    // Pictures are shown at their own size, as the template's bitmap controls size themselves.
    // The large one is cut at its box: the dialog font here is smaller than the one the layout
    // was made with, and the picture would otherwise cover the version line below it. The small
    // one has room around it and stays whole.
    const ui::DialogBaseUnits units = ui::dialogBaseUnits(font());
    const auto labels = findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
    for (const ControlSpec& control : kControls) {
        if (control.kind != K::Picture)
            continue;
        const QRect box =
            ui::mapDialogRect(units, control.x, control.y, control.width, control.height);
        QLabel* picture = nullptr;
        for (QLabel* label : labels) {
            if (!label->pixmap().isNull() && label->pos() == box.topLeft())
                picture = label;
        }
        if (!picture)
            continue; // the resource is missing: the box stays empty
        picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        if (control.flags & ui::kSunken) {
            picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            picture->setLineWidth(1);
        }
        const int edge = picture->frameWidth();
        const QRect shown(box.topLeft(), picture->pixmap().deviceIndependentSize().toSize() +
                                             QSize(2 * edge, 2 * edge));
        if (!largePicture_) {
            largePicture_ = picture; // the table's first picture
            picture->setGeometry(shown.intersected(box));
        } else {
            smallPicture_ = picture;
            picture->setGeometry(shown);
        }
    }
}

void CreditsDialog::addWindowFrame() {
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        child->move(child->pos() + QPoint(kFrame, kFrame));
    setFixedSize(size() + QSize(2 * kFrame, 2 * kFrame));
}

void CreditsDialog::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    // Edge shades derived from the background, so the frame suits the dark grey of the window.
    const QColor background = ui::kCreditsDialogBackground;
    QPalette edges = palette();
    edges.setColor(QPalette::Light, background.lighter(300));
    edges.setColor(QPalette::Midlight, background.lighter(180));
    edges.setColor(QPalette::Dark, background.darker(200));
    edges.setColor(QPalette::Shadow, Qt::black);
    edges.setColor(QPalette::Button, background);
    const QRect outer = rect();
    qDrawWinPanel(&painter, outer, edges, false);
    const QRect inner = outer.adjusted(kOuterFrame, kOuterFrame, -kOuterFrame, -kOuterFrame);
    qDrawWinPanel(&painter, inner, edges, true);
}

void CreditsDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // A window brought back by the window manager is not opened again.
    if (event->spontaneous() || opened_)
        return;
    opened_ = true;
    startMusic();
    setTexts();
}

void CreditsDialog::startMusic() {
    if (tempFolder_.empty())
        return; // nowhere private to unpack the tune to: stay silent
    const auto extracted = platform::extractResourceToTemp(QString::fromLatin1(kMusicResource),
                                                           kMusicFileName, tempFolder_);
    if (!extracted.path)
        return;
    if (musicPlayers_)
        player_ = musicPlayers_();
    if (player_)
        player_->play(platform::pathToQString(*extracted.path));
    // Qt's player has opened the file before play() returns and reads on through its handle, so
    // the name can go at once and no copy of the tune stays behind in the temporary folder; the
    // next opening unpacks it again. A player that failed simply stays silent.
    std::error_code ignored;
    std::filesystem::remove(*extracted.path, ignored);
}

void CreditsDialog::setTexts() {
    for (const TextBinding& binding : kTexts) {
        ui::setCaption(ui::controlById(*this, binding.control),
                       catalogue_.caption(languageName_, binding.key,
                                          app::TranslationCatalogue::kShortBuffer));
    }
}

void CreditsDialog::openCommunitySite() {
    const bool german = languageName_ == "deutsch";
    links_.openLink(
        QUrl(QString::fromLatin1(german ? kCommunitySiteGerman : kCommunitySiteEnglish)));
}

void CreditsDialog::openAuthorSite() {
    links_.openLink(QUrl(QString::fromLatin1(kAuthorSite)));
}

void CreditsDialog::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        accept();
        return;
    }
    QDialog::mousePressEvent(event);
}

void CreditsDialog::done(int result) {
    stopMusic();
    opened_ = false;
    QDialog::done(result);
}

void CreditsDialog::stopMusic() {
    if (!player_)
        return;
    player_->stop();
    player_.reset();
}

} // namespace dk3::presentation
