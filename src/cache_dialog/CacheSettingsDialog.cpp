#include "cache_dialog/CacheSettingsDialog.h"

#include "app/GameRunning.h"
#include "app/OwnTexts.h"
#include "app/QualityWord.h"
#include "app/UnsavedChanges.h"
#include "cache_dialog/CacheDialogTemplate.h"
#include "platform/FileIO.h"
#include "platform/ProfileFile.h"
#include "platform/TextCodec.h"
#include "ui/ColourScheme.h"
#include "ui/ComboHelpers.h"
#include "ui/ControlText.h"
#include "ui/DialogState.h"
#include "ui/DialogTemplate.h"
#include "ui/Prompter.h"
#include "ui/TooltipControl.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <system_error>

namespace dk3::cache {
namespace {

using platform::fromWindows1252;
using platform::toWindows1252;

// The child dialogs read their texts into buffers of this size.
constexpr std::size_t kTextBuffer = 256;

struct BudgetSetting {
    const char* section;
    const char* key;
    const char* defaultText; // what restoring the defaults puts in, and what the tooltip names
};

constexpr const char* kEngineSetup = "Engine.Setup";
constexpr const char* kSliders = "Option.Sliders";

// By column, rows in the order of kAllCategories.
constexpr std::array<std::array<BudgetSetting, kCategoryCount>, kColumnCount> kBudgetSettings = {{
    {{
        {kEngineSetup, "Cache.SizeImage", "128000000"},
        {kEngineSetup, "Cache.SizeMesh", "70000000"},
        {kEngineSetup, "Cache.SizeSound", "80000000"},
        {kEngineSetup, "Cache.SizeMaterial", "40000000"},
        {kEngineSetup, "Cache.SizeCollisionMesh", "40000000"},
        {kEngineSetup, "Cache.SizeAnimation", "40000000"},
        {kEngineSetup, "Cache.SizeSpeedTree", "10000000"},
    }},
    {{
        {kSliders, "ResourceCache.u32ImageMaxMemUsage_Low", "32000000"},
        {kSliders, "ResourceCache.u32MeshMaxMemUsage_Low", "30000000"},
        {kSliders, "ResourceCache.u32SoundMaxMemUsage_Low", "10000000"},
        {kSliders, "ResourceCache.u32MaterialMaxMemUsage_Low", "18000"},
        {kSliders, "ResourceCache.u32CollisionMeshMaxMemUsage_Low", "13000000"},
        {kSliders, "ResourceCache.u32AnimationMaxMemUsage_Low", "25000000"},
        {kSliders, "ResourceCache.u32SpeedTreeMaxMemUsage_Low", "500000"},
    }},
    {{
        {kSliders, "ResourceCache.u32ImageMaxMemUsage_Medium", "70000000"},
        {kSliders, "ResourceCache.u32MeshMaxMemUsage_Medium", "40000000"},
        {kSliders, "ResourceCache.u32SoundMaxMemUsage_Medium", "15000000"},
        {kSliders, "ResourceCache.u32MaterialMaxMemUsage_Medium", "20000"},
        {kSliders, "ResourceCache.u32CollisionMeshMaxMemUsage_Medium", "16000000"},
        {kSliders, "ResourceCache.u32AnimationMaxMemUsage_Medium", "30000000"},
        {kSliders, "ResourceCache.u32SpeedTreeMaxMemUsage_Medium", "750000"},
    }},
    {{
        {kSliders, "ResourceCache.u32ImageMaxMemUsage_High", "96000000"},
        {kSliders, "ResourceCache.u32MeshMaxMemUsage_High", "96000000"},
        {kSliders, "ResourceCache.u32SoundMaxMemUsage_High", "20000000"},
        {kSliders, "ResourceCache.u32MaterialMaxMemUsage_High", "21000"},
        {kSliders, "ResourceCache.u32CollisionMeshMaxMemUsage_High", "18000000"},
        {kSliders, "ResourceCache.u32AnimationMaxMemUsage_High", "40000000"},
        {kSliders, "ResourceCache.u32SpeedTreeMaxMemUsage_High", "1000000"},
    }},
}};

constexpr BudgetSetting kTextureHighSetting = {
    kSliders, "ResourceCache.u32ImageMaxMemUsage_TextureQualityHigh", "350000000"};

// The order in which a save writes each column's keys. A key missing from the file is added at
// the end of its section, so this order is the order such keys end up in.
constexpr std::array<CacheCategory, kCategoryCount> kWriteOrder = {
    CacheCategory::Image,    CacheCategory::Material,      CacheCategory::Mesh,
    CacheCategory::Sound,    CacheCategory::CollisionMesh, CacheCategory::Animation,
    CacheCategory::SpeedTree};

// Translation keys, rows in the order of kAllCategories.
constexpr std::array<const char*, kCategoryCount> kRowCaptionKeys = {
    "TEXT_CACHEIMAGE",   "TEXT_CACHEMESH",      "TEXT_CACHESOUND",    "TEXT_CACHEMATERIAL",
    "TEXT_CACHECOLMESH", "TEXT_CACHEANIMATION", "TEXT_CACHESPEEDTREE"};
constexpr std::array<const char*, kCategoryCount> kRowTooltipKeys = {
    "TOOLTIP_CACHEIMAGE",    "TOOLTIP_CACHEMESH",    "TOOLTIP_CACHESOUND",
    "TOOLTIP_CACHEMATERIAL", "TOOLTIP_CACHECOLMESH", "TOOLTIP_CACHEANIMATION",
    "TOOLTIP_CACHESPEEDTREE"};
constexpr std::array<const char*, kColumnCount> kGroupCaptionKeys = {
    "TEXT_COMMON", "TEXT_RESOURCECACHELOW", "TEXT_RESOURCECACHEMEDIUM", "TEXT_RESOURCECACHEHIGH"};

std::size_t indexOf(CacheColumn column) {
    return static_cast<std::size_t>(column);
}
std::size_t indexOf(CacheCategory category) {
    return static_cast<std::size_t>(category);
}

const BudgetSetting& settingOf(CacheColumn column, CacheCategory category) {
    return kBudgetSettings[indexOf(column)][indexOf(category)];
}

std::string formatInteger(std::int32_t value) {
    char buffer[16];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

// "<optional sign><decimal digits>" and nothing else, whose value lies outside the signed
// 32-bit range.
bool isWholeNumberBeyond32Bits(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos)
        return false;
    const std::size_t firstNonZero = text.find_first_not_of('0');
    if (firstNonZero == std::string_view::npos)
        return false;
    text.remove_prefix(firstNonZero);
    if (text.size() > 10)
        return true;
    std::uint64_t magnitude = 0;
    std::from_chars(text.data(), text.data() + text.size(), magnitude);
    return magnitude > (negative ? 2147483648u : 2147483647u);
}

// The text a budget's field shows for what the file holds.
std::string storedBudgetText(const std::filesystem::path& file, const BudgetSetting& setting) {
    const std::int32_t value = profile::readInt(file, setting.section, setting.key, 0);
    // The stored text is read in a buffer large enough for any sensible number; a text that
    // fills it may be cut and is not taken as it stands.
    constexpr std::size_t kStoredBuffer = 1024;
    const std::string stored =
        profile::readText(file, setting.section, setting.key, "", kStoredBuffer);
    if (stored.size() < kStoredBuffer - 1 && isWholeNumberBeyond32Bits(stored))
        return stored;
    return formatInteger(value);
}

void setShownText(QWidget* control, const QString& text) {
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        if (edit->text() != text)
            edit->setText(text);
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        if (label->text() != text)
            label->setText(text);
    }
}

void setShownText(QWidget* control, const std::string& text) {
    setShownText(control, fromWindows1252(text));
}

} // namespace

CacheSettingsDialog::CacheSettingsDialog(std::filesystem::path engineIniPath,
                                         std::string languageName,
                                         app::TranslationCatalogue catalogue,
                                         ui::Prompter& prompter, QWidget* parent)
    : QDialog(parent), engineIniPath_(std::move(engineIniPath)),
      languageName_(std::move(languageName)), catalogue_(std::move(catalogue)),
      prompter_(prompter) {
    ui::buildFromTemplate(*this, cacheDialogTemplate());
    // A small tool-window frame with an empty title and a close box, and nothing else.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);
    ui::applyColourScheme(this, ui::kChildDialogText, ui::kChildDialogBackground);

    setCaptions();
    addTooltips();
    modelToFields();
    loadBudgets();
    modelToFields();
    connectHandlers();
    ui::ignoreWheelWithoutFocus(*this);
    ui::keepEscapeInDropDownLists(*this);
    savedValues_ = shownBudgets();
}

CacheSettingsDialog::~CacheSettingsDialog() = default;

void CacheSettingsDialog::setCaptions() {
    const auto setCaption = [this](int id, const char* key) {
        ui::setCaption(ui::controlById(*this, id),
                       catalogue_.caption(languageName_, key, kTextBuffer));
    };
    setCaption(id::kTitle, "TEXT_TITLECACHESETTINGS");
    setCaption(id::kWarning, "TEXT_WARNING");
    for (const CacheColumn column : kAllColumns) {
        const ColumnControlIds& ids = columnControls(column);
        setCaption(ids.group, kGroupCaptionKeys[indexOf(column)]);
        for (const CacheCategory category : kAllCategories)
            setCaption(ids.captions[indexOf(category)], kRowCaptionKeys[indexOf(category)]);
        setCaption(ids.totalCaption, "TEXT_TOTAL");
        setCaption(ids.percentageCaption, "TEXT_MODIFY");
        if (hasFinalCache(column))
            setCaption(ids.finalCacheCaption, "TEXT_FINALCACHE");
    }
    setCaption(id::kTextureHighCaption, "TEXT_CACHETEXTURES");
    setCaption(id::kRestoreDefaults, "TEXT_RESTORESETTINGS");
    setCaption(id::kSave, "TEXT_SAVE");
    setCaption(id::kClose, "TEXT_CLOSE");
}

void CacheSettingsDialog::addTooltips() {
    tooltips_ = new ui::TooltipControl(this);
    const auto tipText = [this](const char* key) {
        return app::TranslationCatalogue::replaceWithNewlines(
            catalogue_.lookupText(languageName_, key, kTextBuffer));
    };
    const auto addTool = [this](int id, const std::string& text) {
        tooltips_->addTool(ui::controlById(*this, id), fromWindows1252(text));
    };

    for (const CacheColumn column : kAllColumns) {
        const ColumnControlIds& ids = columnControls(column);
        for (const CacheCategory category : kAllCategories) {
            addTool(ids.values[indexOf(category)],
                    app::QualityWord::joinTexts(tipText(kRowTooltipKeys[indexOf(category)]),
                                                settingOf(column, category).defaultText));
        }
    }
    addTool(id::kTextureHigh, app::QualityWord::joinTexts(tipText("TOOLTIP_CACHETEXTURES"),
                                                          kTextureHighSetting.defaultText));
    const std::string finalCacheTip = tipText("TOOLTIP_FINALCACHE");
    const std::string increaseTip = tipText("TOOLTIP_INCREASECACHE");
    const std::string decreaseTip = tipText("TOOLTIP_DECREASECACHE");
    for (const CacheColumn column : kAllColumns) {
        const ColumnControlIds& ids = columnControls(column);
        if (hasFinalCache(column))
            addTool(ids.finalCache, finalCacheTip);
        addTool(ids.increase, increaseTip);
        addTool(ids.decrease, decreaseTip);
    }
    tooltips_->activate();
}

void CacheSettingsDialog::loadBudgets() {
    budgets_.setTextureHighText(storedBudgetText(engineIniPath_, kTextureHighSetting));
    budgets_.recomputeForTextureHigh();
    for (const CacheColumn column : kAllColumns) {
        for (const CacheCategory category : kAllCategories) {
            budgets_.setBudgetText(column, category,
                                   storedBudgetText(engineIniPath_, settingOf(column, category)));
        }
        budgets_.recompute(column);
    }
}

void CacheSettingsDialog::connectHandlers() {
    for (const CacheColumn column : kAllColumns) {
        const ColumnControlIds& ids = columnControls(column);
        for (const CacheCategory category : kAllCategories) {
            ui::onUserEdit(valueField(column, category), this, [this, column] {
                fieldsToModel();
                budgets_.recompute(column);
                modelToFields();
            });
        }
        connect(ui::controlAs<QPushButton>(*this, ids.increase), &QPushButton::clicked, this,
                [this, column] { scaleColumn(column, ScaleDirection::Increase); });
        connect(ui::controlAs<QPushButton>(*this, ids.decrease), &QPushButton::clicked, this,
                [this, column] { scaleColumn(column, ScaleDirection::Decrease); });
    }
    ui::onUserEdit(textureHighField(), this, [this] {
        fieldsToModel();
        budgets_.recomputeForTextureHigh();
        modelToFields();
    });
    connect(ui::controlAs<QPushButton>(*this, id::kRestoreDefaults), &QPushButton::clicked, this,
            &CacheSettingsDialog::restoreDefaults);
    connect(ui::controlAs<QPushButton>(*this, id::kSave), &QPushButton::clicked, this,
            &CacheSettingsDialog::save);
    connect(ui::controlAs<QPushButton>(*this, id::kClose), &QPushButton::clicked, this,
            &CacheSettingsDialog::accept);
}

void CacheSettingsDialog::restoreDefaults() {
    // The question is shown as the catalogue holds it: it has no line breaks to make.
    const QString question =
        catalogue_.caption(languageName_, "MESSAGE_RESTORESETTINGS", kTextBuffer);
    if (!prompter_.askYesNo(this, QString(), question))
        return;
    // The percentages have no handler, so only the fields know what the user typed there.
    fieldsToModel();
    for (const CacheColumn column : kAllColumns) {
        for (const CacheCategory category : kAllCategories)
            budgets_.setBudgetText(column, category, settingOf(column, category).defaultText);
    }
    budgets_.setTextureHighText(kTextureHighSetting.defaultText);
    modelToFields();
    for (const CacheColumn column : kAllColumns)
        budgets_.recompute(column);
    budgets_.recomputeForTextureHigh();
    modelToFields();
}

bool CacheSettingsDialog::save() {
    if (!app::confirmWriteWhileGameRuns(prompter_, this, languageName_))
        return false;
    fieldsToModel();
    std::vector<profile::ProfileWrite> writes;
    for (const CacheColumn column : kAllColumns) {
        for (const CacheCategory category : kWriteOrder) {
            const BudgetSetting& setting = settingOf(column, category);
            writes.push_back({std::string(setting.section), std::string(setting.key),
                              budgets_.budgetText(column, category)});
        }
    }
    writes.push_back({std::string(kTextureHighSetting.section),
                      std::string(kTextureHighSetting.key), budgets_.textureHighText()});

    // All 29 keys land in one atomic write or none does; when none does, the dialog stays open
    // with the user's values so that nothing typed is lost.
    if (const std::error_code error = profile::writeTexts(engineIniPath_, writes)) {
        constexpr app::OwnText kNotSaved{
            "Die Cache-Einstellungen konnten nicht gespeichert werden.\n\n%1:\n%2",
            "The cache settings could not be saved.\n\n%1:\n%2",
            "Non è stato possibile salvare le impostazioni della cache.\n\n%1:\n%2"};
        prompter_.showMessage(this, QString(),
                              app::ownText(languageName_, kNotSaved)
                                  .arg(platform::pathToQString(engineIniPath_),
                                       app::describeError(languageName_, error)),
                              ui::MessageIcon::Error);
        return false;
    }
    savedValues_ = shownBudgets();
    accept();
    return true;
}

void CacheSettingsDialog::scaleColumn(CacheColumn column, ScaleDirection direction) {
    fieldsToModel();
    budgets_.scale(column, direction);
    modelToFields();
}

void CacheSettingsDialog::accept() {
    if (!settleUnsavedChanges())
        return;
    fieldsToModel();
    QDialog::accept();
}

void CacheSettingsDialog::reject() {
    if (settleUnsavedChanges())
        QDialog::reject();
}

bool CacheSettingsDialog::hasUnsavedChanges() const {
    return shownBudgets() != savedValues_;
}

QStringList CacheSettingsDialog::shownBudgets() const {
    // The percentages only steer the arrows; they are never stored.
    QList<const QWidget*> percentages;
    for (const CacheColumn column : kAllColumns)
        percentages << percentageField(column);
    return ui::shownValues(*this, percentages);
}

bool CacheSettingsDialog::settleUnsavedChanges() {
    return app::settleUnsavedChanges(prompter_, this, languageName_, hasUnsavedChanges(), [this] {
        // A save that wrote everything has closed the dialog already.
        save();
        return false;
    });
}

void CacheSettingsDialog::fieldsToModel() {
    for (const CacheColumn column : kAllColumns) {
        for (const CacheCategory category : kAllCategories)
            budgets_.setBudgetText(column, category,
                                   toWindows1252(valueField(column, category)->text()));
        budgets_.setPercentageText(column, toWindows1252(percentageField(column)->text()));
    }
    budgets_.setTextureHighText(toWindows1252(textureHighField()->text()));
}

void CacheSettingsDialog::modelToFields() {
    for (const CacheColumn column : kAllColumns) {
        const ColumnControlIds& ids = columnControls(column);
        for (const CacheCategory category : kAllCategories) {
            const std::size_t row = indexOf(category);
            setShownText(valueField(column, category), budgets_.budgetText(column, category));
            setShownText(ui::controlById(*this, ids.megabytes[row]),
                         budgets_.budgetMegabyteText(column, category));
        }
        setShownText(ui::controlById(*this, ids.total), budgets_.totalText(column));
        setShownText(ui::controlById(*this, ids.totalMegabytes),
                     budgets_.totalMegabyteText(column));
        setShownText(percentageField(column), budgets_.percentageText(column));
        if (hasFinalCache(column)) {
            setShownText(ui::controlById(*this, ids.finalCache), budgets_.finalCacheText(column));
            setShownText(ui::controlById(*this, ids.finalCacheMegabytes),
                         budgets_.finalCacheMegabyteText(column));
        }
    }
    setShownText(textureHighField(), budgets_.textureHighText());
    setShownText(ui::controlById(*this, id::kTextureHighMegabytes),
                 budgets_.textureHighMegabyteText());
}

QLineEdit* CacheSettingsDialog::valueField(CacheColumn column, CacheCategory category) const {
    return ui::controlAs<QLineEdit>(*this, columnControls(column).values[indexOf(category)]);
}

QLineEdit* CacheSettingsDialog::percentageField(CacheColumn column) const {
    return ui::controlAs<QLineEdit>(*this, columnControls(column).percentage);
}

QLineEdit* CacheSettingsDialog::textureHighField() const {
    return ui::controlAs<QLineEdit>(*this, id::kTextureHigh);
}

} // namespace dk3::cache
