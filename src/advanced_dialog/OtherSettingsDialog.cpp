#include "advanced_dialog/OtherSettingsDialog.h"

#include "advanced_dialog/AdvancedMessages.h"
#include "advanced_dialog/BloomShaderPatch.h"
#include "advanced_dialog/OtherSettingsLayout.h"
#include "app/GameRunning.h"
#include "app/OwnTexts.h"
#include "app/UnsavedChanges.h"
#include "platform/FileIO.h"
#include "platform/TextCodec.h"
#include "ui/ColourScheme.h"
#include "ui/ComboHelpers.h"
#include "ui/ControlText.h"
#include "ui/DialogState.h"
#include "ui/DialogTemplate.h"
#include "ui/FocusRingStyle.h"
#include "ui/Prompter.h"
#include "ui/TooltipControl.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QStyleOptionComplex>

#include <algorithm>
#include <array>
#include <type_traits>
#include <vector>

namespace dk3::advanced {
namespace {

using app::TranslationCatalogue;
constexpr std::size_t kBuffer = TranslationCatalogue::kShortBuffer;

// The order in which the fields are taken and shown; a field that holds no number stops a take
// there, leaving it and the fields after it as they were.
constexpr std::array kExchangeOrder = {
    id::kHighObjects,      id::kHighHighQuality,     id::kHighLowQuality,    id::kLowObjects,
    id::kLowHighQuality,   id::kLowLowQuality,       id::kMediumObjects,     id::kMediumHighQuality,
    id::kMediumLowQuality, id::kLevelOfDetailFactor, id::kFpsAverage,        id::kFpsMax,
    id::kFpsMin,           id::kPrefetchCellSize,    id::kMaxCameraDistance, id::kDofEnd,
    id::kDofStart,         id::kBloomStrength,
};

// Qt's Fusion style gives a drop-down list's arrow a wider button than Windows does, and in the
// 50-unit switch lists that cost "deaktiviert" and "disattivato" their last letters. This style
// narrows the arrow's button by a third and gives the room to the text.
class NarrowArrowStyle final : public ui::FocusRingStyle {
public:
    using ui::FocusRingStyle::FocusRingStyle;

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl part,
                         const QWidget* widget) const override {
        QRect rect = ui::FocusRingStyle::subControlRect(control, option, part, widget);
        if (control != CC_ComboBox || (part != SC_ComboBoxArrow && part != SC_ComboBoxEditField))
            return rect;
        const QRect arrow =
            ui::FocusRingStyle::subControlRect(control, option, SC_ComboBoxArrow, widget);
        const int spare = arrow.width() / 3;
        const bool arrowOnTheRight = option->direction != Qt::RightToLeft;
        if (part == SC_ComboBoxArrow)
            return arrowOnTheRight ? rect.adjusted(spare, 0, 0, 0) : rect.adjusted(0, 0, -spare, 0);
        return arrowOnTheRight ? rect.adjusted(0, 0, spare, 0) : rect.adjusted(-spare, 0, 0, 0);
    }
};

} // namespace

OtherSettingsDialog::OtherSettingsDialog(const app::GamePaths& paths, std::string languageName,
                                         const app::TranslationCatalogue& catalogue,
                                         const app::QualityWord& vocabulary, ui::Prompter& prompter,
                                         QWidget* parent)
    : QDialog(parent), paths_(paths), languageName_(std::move(languageName)), catalogue_(catalogue),
      vocabulary_(vocabulary), prompter_(prompter) {
    // A small tool window with a close box and no caption text.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setModal(true);
    ui::buildFromTemplate(*this, otherSettingsTemplate());
    playerMemory_ = ui::controlAs<QComboBox>(*this, id::kPlayerMemory);
    testMode_ = ui::controlAs<QComboBox>(*this, id::kTestMode);

    for (const int control : kExchangeOrder) {
        auto* field = ui::controlAs<QLineEdit>(*this, control);
        const AdvancedSetting* setting = advancedSettingFor(control);
        std::visit(
            [&](auto AdvancedValues::*member) {
                if constexpr (!std::is_same_v<decltype(values_.*member), std::string&>)
                    exchange_.bind(field, values_.*member);
            },
            setting->member);
    }

    connect(ui::controlAs<QPushButton>(*this, id::kSave), &QPushButton::clicked, this,
            [this] { save(); });
    connect(ui::controlAs<QPushButton>(*this, id::kRestoreDefaults), &QPushButton::clicked, this,
            &OtherSettingsDialog::restoreDefaults);
    connect(ui::controlAs<QPushButton>(*this, id::kClose), &QPushButton::clicked, this,
            &OtherSettingsDialog::accept);
    ui::onUserEdit(ui::controlAs<QLineEdit>(*this, id::kBloomStrength), this,
                   [this] { limitBloomStrength(); });

    // Made after the controls, so that it is destroyed after the lists that use it.
    auto* listStyle =
        new NarrowArrowStyle(nullptr, ui::kChildDialogText); // on Fusion, as the whole program
    listStyle->setParent(this);
    playerMemory_->setStyle(listStyle);
    testMode_->setStyle(listStyle);

    setTexts();
    ui::applyColourScheme(this, ui::kChildDialogText, ui::kChildDialogBackground);
    ui::ignoreWheelWithoutFocus(*this);
    ui::keepEscapeInDropDownLists(*this);
    load();
    savedValues_ = ui::shownValues(*this);
}

OtherSettingsDialog::~OtherSettingsDialog() {
    delete tooltips_;
}

ui::TooltipControl* OtherSettingsDialog::tooltipControl() const {
    return tooltips_;
}

QString OtherSettingsDialog::caption(const char* key) const {
    return catalogue_.caption(languageName_, key, kBuffer);
}

void OtherSettingsDialog::setTexts() {
    exchange_.setInvalidNumberMessage(app::ownText(languageName_, app::kEnterNumber));
    // Disabled is item 0 and enabled item 1 in both lists: the stored words map to these indexes.
    const QString disabled = caption("TEXT_DISABLED");
    ui::appendItem(playerMemory_, disabled);
    ui::appendItem(testMode_, disabled);
    const QString enabled = caption("TEXT_ENABLED");
    ui::appendItem(testMode_, enabled);
    ui::appendItem(playerMemory_, enabled);

    for (const ControlText& text : otherSettingsCaptions())
        ui::setCaption(ui::controlById(*this, text.control), caption(text.key));

    tooltips_ = new ui::TooltipControl(this);
    const std::string disabledBytes =
        catalogue_.lookupText(languageName_, "TEXT_DISABLED", kBuffer);
    for (const ControlText& tip : otherSettingsTooltips()) {
        const AdvancedSetting* setting = advancedSettingFor(tip.control);
        const std::string defaultText =
            setting->restoreDefault ? std::string(setting->restoreDefault) : disabledBytes;
        const std::string lines = TranslationCatalogue::replaceWithNewlines(
            catalogue_.lookupText(languageName_, tip.key, kBuffer));
        tooltips_->addTool(
            ui::controlById(*this, tip.control),
            platform::fromWindows1252(app::QualityWord::joinTexts(lines, defaultText)));
    }
    tooltips_->activate();
    exchange_.membersToFields();
}

void OtherSettingsDialog::load() {
    values_ = loadAdvancedSettings(paths_);
    showSwitch(playerMemory_, values_.playerMemory);
    showSwitch(testMode_, values_.testMode);
    exchange_.membersToFields();

    // The shader last: when it cannot be read the dialog still opens with the INI values.
    const BloomFileResult bloom = readBloomPercent(paths_.shaderPath);
    values_.bloomPercent = bloom.percent;
    exchange_.membersToFields();
    if (!bloom.ok())
        reportToUser(bloomFailureText(languageName_, bloom));
}

void OtherSettingsDialog::showSwitch(QComboBox* list, const std::string& storedWord) {
    ui::selectIndex(list, app::QualityWord::indexForIniWord(storedWord, app::LevelScale::Quality));
}

std::string OtherSettingsDialog::switchWord(const QComboBox* list) const {
    std::string word = vocabulary_.iniWordForText(platform::toWindows1252(list->currentText()));
    // Only a vocabulary of another language than the lists' could give another word; the
    // game's switch must never be written empty or as a quality word.
    if (word != "true" && word != "false")
        word = list->currentIndex() == 1 ? "true" : "false";
    return word;
}

void OtherSettingsDialog::reportToUser(const QString& text) {
    // While the dialog is being opened it is not on screen yet: the message then belongs to the
    // window the user sees.
    QWidget* owner = isVisible() || !parentWidget() ? this : parentWidget();
    prompter_.showMessage(owner, QString(), text, ui::MessageIcon::Error);
}

bool OtherSettingsDialog::save() {
    if (!app::confirmWriteWhileGameRuns(prompter_, this, languageName_))
        return false;
    // A field without a number would leave its member and those taken after it at their earlier
    // values; nothing is written then, rather than a mix of old and new values.
    if (!exchange_.fieldsToMembers(prompter_, this))
        return false;
    values_.playerMemory = switchWord(playerMemory_);
    values_.testMode = switchWord(testMode_);

    QStringList problems = writeFailureTexts(languageName_, saveAdvancedSettings(paths_, values_));
    const BloomFileResult bloom = writeBloomPercent(paths_.shaderPath, values_.bloomPercent);
    if (!bloom.ok())
        problems << bloomFailureText(languageName_, bloom);
    if (!problems.isEmpty()) {
        problems.prepend(notEverythingSavedText(languageName_));
        reportToUser(problems.join(QStringLiteral("\n\n")));
        return false;
    }
    savedValues_ = ui::shownValues(*this);
    accept();
    return result() == QDialog::Accepted;
}

void OtherSettingsDialog::restoreDefaults() {
    // Shown as it stands: this text holds no line breaks.
    if (!prompter_.askYesNo(this, QString(), caption("MESSAGE_RESTORESETTINGS")))
        return;
    values_ = restoredAdvancedSettings();
    showSwitch(playerMemory_, values_.playerMemory);
    showSwitch(testMode_, values_.testMode);
    exchange_.membersToFields();
}

void OtherSettingsDialog::limitBloomStrength() {
    // Every change takes all fields, so a field left empty anywhere is reported at once. After a
    // failed take nothing is shown: that would put the earlier values back over what the user
    // typed into the invalid field and the fields taken after it.
    if (!exchange_.fieldsToMembers(prompter_, this))
        return;
    values_.bloomPercent = std::min(values_.bloomPercent, kMaxBloomPercent);
    exchange_.membersToFields();
}

void OtherSettingsDialog::accept() {
    if (exchange_.fieldsToMembers(prompter_, this) && settleUnsavedChanges())
        QDialog::accept();
}

void OtherSettingsDialog::reject() {
    if (settleUnsavedChanges())
        QDialog::reject();
}

bool OtherSettingsDialog::hasUnsavedChanges() const {
    return ui::shownValues(*this) != savedValues_;
}

bool OtherSettingsDialog::settleUnsavedChanges() {
    return app::settleUnsavedChanges(prompter_, this, languageName_, hasUnsavedChanges(), [this] {
        // A save that wrote everything has closed the dialog already.
        save();
        return false;
    });
}

} // namespace dk3::advanced
