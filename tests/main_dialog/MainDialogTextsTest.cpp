#include "MainDialogFixture.h"
#include "MainSettingsTestSupport.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace dk3::test {
namespace {
namespace id = main_dialog::id;

const int kButtons[] = {
    id::kRemoveStartLogos, id::kRestoreStartLogos, id::kCacheSettings, id::kOtherSettings,
    id::kLoadBackup,       id::kCreateBackup,      id::kSave,          id::kCredits};

struct MainDialogTexts : MainDialogFixture {
    static QString labelText(const QWidget& dialog, int id) {
        return control<QLabel>(dialog, id)->text();
    }
    static QString tip(const QWidget& dialog, int id) {
        return tipOf(dialog, ui::controlById(dialog, id));
    }
    // The stored tooltip text with its line breaks, followed by a default.
    static QString tipWithDefault(std::string_view language, std::string_view key,
                                  const QString& appended) {
        return catalogueText(language, key).replace(u'|', u'\n') + appended;
    }
};

TEST_F(MainDialogTexts, CaptionsListsAndTooltipsComeFromTheLanguagesSection) {
    for (const std::string language : {"english", "deutsch", "italiano"}) {
        SCOPED_TRACE(language);
        auto dialog = startDialog(language);
        const auto text = [&](std::string_view key) {
            return catalogueText(language, key);
        };

        EXPECT_EQ(labelText(*dialog, id::kVersion), text("TEXT_VERSION"));
        EXPECT_EQ(labelText(*dialog, id::kRisk), text("TEXT_RISK"));
        EXPECT_EQ(control<QGroupBox>(*dialog, id::kAdvancedGroup)->title(),
                  text("TEXT_ADVANCEDSETTINGS"));
        EXPECT_EQ(control<QPushButton>(*dialog, id::kExit)->text(), text("TEXT_EXIT"));
        // Never translated, so that a player lost in a language finds the way back.
        EXPECT_EQ(labelText(*dialog, id::kLanguageLabel), QStringLiteral("Sprache / language:"));
        EXPECT_EQ(itemsOf(combo(*dialog, id::kLanguage)),
                  QStringList({QStringLiteral("deutsch"), QStringLiteral("english"),
                               QStringLiteral("italiano")}));

        const QString low = text("TEXT_LOWQUALITY"), medium = text("TEXT_MEDIUMQUALITY"),
                      high = text("TEXT_HIGHQUALITY"), off = text("TEXT_DISABLED"),
                      on = text("TEXT_ENABLED"), ultra = text("TEXT_ULTRAHIGHQUALITY");
        EXPECT_EQ(itemsOf(combo(*dialog, id::kPreset)),
                  QStringList({low, medium, high, text("TEXT_CUSTOMQUALITY")}));
        EXPECT_EQ(itemsOf(combo(*dialog, id::kDistanceHigh)), QStringList({low, medium, high}));
        EXPECT_EQ(itemsOf(combo(*dialog, id::kShadowQuality)),
                  QStringList({off, low, medium, high}));
        EXPECT_EQ(itemsOf(combo(*dialog, id::kLowPolygons)), QStringList({off, on}));
        EXPECT_EQ(itemsOf(combo(*dialog, id::kImageQuality)),
                  QStringList({text("TEXT_NORMALQUALITY"), high, ultra}));
        EXPECT_EQ(
            itemsOf(combo(*dialog, id::kShaderQuality)),
            QStringList({QStringLiteral("1.4"), QStringLiteral("2.0"), QStringLiteral("3.0")}));
        EXPECT_EQ(itemsOf(combo(*dialog, id::kPostProcessing)),
                  QStringList({off, text("TEXT_POSTPROCESSINGBLOOM"),
                               text("TEXT_POSTPROCESSINGHORIZONTALBLUR")}));
        EXPECT_EQ(combo(*dialog, id::kTextureFilter)->itemText(4),
                  text("TEXT_TEXTUREFILTERANISOTROPIC16X"));
        EXPECT_EQ(platform::fromWindows1252(dialog->vocabulary().ultraHighWord), ultra);

        // Tooltips end with the recommended value in the current language.
        EXPECT_EQ(tip(*dialog, id::kDistanceLow),
                  tipWithDefault(language, "TOOLTIP_VIEWRANGELOW", medium));
        EXPECT_EQ(tip(*dialog, id::kVegetationQuality),
                  tipWithDefault(language, "TOOLTIP_VEGETATIONQUALITY", low));
        EXPECT_EQ(tip(*dialog, id::kResolution),
                  tipWithDefault(language, "TOOLTIP_RESOLUTION", QStringLiteral("1024x768@60Hz")));
        EXPECT_EQ(tip(*dialog, id::kTextureFilter),
                  tipWithDefault(language, "TOOLTIP_TEXTUREFILTER",
                                 text("TEXT_TEXTUREFILTERANISOTROPIC")));
        EXPECT_EQ(tip(*dialog, id::kVegetationDetails),
                  tipWithDefault(language, "TOOLTIP_VEGETATIONDETAILS", high));
        EXPECT_EQ(tip(*dialog, id::kMeshQuality),
                  tipWithDefault(language, "TOOLTIP_MESHQUALITY", ultra));
        EXPECT_EQ(tip(*dialog, id::kMaxRagdolls),
                  tipWithDefault(language, "TOOLTIP_MAXRAGDOLLS", QStringLiteral("999")));
        EXPECT_EQ(tip(*dialog, id::kLanguage), tipWithDefault(language, "TOOLTIP_LANGUAGE", {}));
        // No caption is cut off: one a little too wide for its label is set tighter.
        for (const QLabel* label : dialog->findChildren<QLabel*>()) {
            if (label->windowType() != Qt::ToolTip) {
                EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()),
                          label->contentsRect().width())
                    << label->objectName().toStdString();
            }
        }
        for (const int button : kButtons) {
            if (language == "english")
                EXPECT_EQ(tip(*dialog, button), QString()) << button << " shows nothing";
            else
                EXPECT_FALSE(tip(*dialog, button).isEmpty()) << button;
        }
    }
}

TEST_F(MainDialogTexts, EnglishShaderTipEndsWithItsDefaultRightAfterTheLeadIn) {
    auto dialog = startDialog("english");
    EXPECT_EQ(tip(*dialog, id::kShaderQuality), QStringLiteral("shader quality\ndefault:2.0"));
    EXPECT_EQ(tip(*dialog, id::kShadowQuality), QStringLiteral("shadow quality\ndefault:low"));
    EXPECT_EQ(labelText(*dialog, id::kVersion), QStringLiteral("version 1.45"));
}

TEST_F(MainDialogTexts, IncompleteTranslationKeepsEveryItemAndAmpersandsStayText) {
    // An older or damaged translation file, used as it is.
    writeFile(translationFile(), "[english]\r\nTEXT_RISK=at your own risk\r\n"
                                 "TEXT_SAVESETTINGS=Load & save\r\n"
                                 "TEXT_COMMONSETTINGS=Fast & common\r\n"
                                 "TEXT_ASPECTRATIO=w & h:\r\n");
    auto dialog = startDialog("english");
    EXPECT_EQ(combo(*dialog, id::kPreset)->count(), 4);
    EXPECT_EQ(combo(*dialog, id::kTextureFilter)->count(), 5);
    EXPECT_EQ(itemsOf(combo(*dialog, id::kMeshQuality)), QStringList({{}, {}, {}}));
    EXPECT_EQ(labelText(*dialog, id::kVersion), QString());
    EXPECT_EQ(tip(*dialog, id::kShaderQuality), QStringLiteral("2.0"));
    EXPECT_EQ(tip(*dialog, id::kPreset), QString());

    auto* save = control<QPushButton>(*dialog, id::kSave);
    EXPECT_EQ(save->text(), QStringLiteral("Load && save")); // shown as "Load & save"
    EXPECT_TRUE(save->shortcut().isEmpty());
    EXPECT_EQ(control<QGroupBox>(*dialog, id::kCommonGroup)->title(),
              QStringLiteral("Fast && common"));
    EXPECT_EQ(labelText(*dialog, id::kAspectRatioLabel), QStringLiteral("w & h:"));
    EXPECT_TRUE(control<QPushButton>(*dialog, id::kExit)->shortcut().isEmpty());
}

TEST_F(MainDialogTexts, SwitchingLanguagesBackAndForthGivesTheSameListsAndSelections) {
    auto dialog = startDialog("deutsch");
    QComboBox* languages = combo(*dialog, id::kLanguage);
    const auto snapshot = [&] {
        std::vector<std::pair<QStringList, int>> lists;
        for (const QComboBox* list : dialog->findChildren<QComboBox*>())
            if (list != languages)
                lists.emplace_back(itemsOf(list), list->currentIndex());
        return lists;
    };
    const auto switchTo = [&](int language) {
        userSelects(languages, language);
        EXPECT_EQ(dialog->findChildren<ui::TooltipControl*>().size(), 1u);
    };
    const auto german = snapshot();
    const QStringList modeItems = itemsOf(combo(*dialog, id::kResolution));

    switchTo(1);
    EXPECT_EQ(dialog->languageName(), "english");
    EXPECT_EQ(combo(*dialog, id::kShadowQuality)->currentText(), QStringLiteral("medium"));
    const auto english = snapshot();
    ASSERT_EQ(english.size(), german.size());
    for (std::size_t i = 0; i < german.size(); ++i)
        EXPECT_EQ(english[i].second, german[i].second) << "selection of list " << i;
    switchTo(0);
    EXPECT_EQ(snapshot(), german);
    EXPECT_EQ(itemsOf(combo(*dialog, id::kResolution)), modeItems) << "never refilled";

    // What was changed and not saved is gone once the player discards it: the files decide what
    // is shown.
    combo(*dialog, id::kShadowQuality)->setCurrentIndex(3);
    edit(*dialog, id::kMaxRagdolls)->setText(QStringLiteral("55"));
    prompter.answerDiscard();
    switchTo(2);
    EXPECT_EQ(combo(*dialog, id::kShadowQuality)->currentText(), QStringLiteral("medio"));
    EXPECT_EQ(edit(*dialog, id::kMaxRagdolls)->text(), QStringLiteral("20"));
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(
        prompter.shown()[0].text,
        QString::fromUtf8("Die Änderungen sind noch nicht gespeichert. Sollen sie gespeichert "
                          "werden?"))
        << "asked in the language being left";
}

} // namespace
} // namespace dk3::test
