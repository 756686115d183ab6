#include "app/UnsavedChanges.h"

#include "app/OwnTexts.h"
#include "ui/Prompter.h"

namespace dk3::app {

bool settleUnsavedChanges(ui::Prompter& prompter, QWidget* parent, std::string_view languageName,
                          bool unsaved, const std::function<bool()>& save) {
    if (!unsaved)
        return true;
    switch (
        prompter.askSaveDiscardCancel(parent, QString(), ownText(languageName, kUnsavedChanges))) {
    case ui::SaveChoice::Save:
        return save();
    case ui::SaveChoice::Discard:
        return true;
    case ui::SaveChoice::Cancel:
        break;
    }
    return false;
}

} // namespace dk3::app
