#include "settings/settings_form.h"

#include "settings/config_file.h"

namespace kestrum {

SettingsForm::SettingsForm(std::string cfgpath) : cfgpath_(std::move(cfgpath)) {}

void SettingsForm::load() {
    const ConfigReading reading = readConfig(cfgpath_);
    if (!reading.ok) return; // the controls keep what they show
    // The box can only say "letters" or "keypad". A hand-written type such as 2 keeps the box as it
    // is rather than pretending to be one of them; saving then writes what the box shows.
    if (*reading.first == 0) tenkey = false;
    if (*reading.first == 1) tenkey = true;
    opevalText = std::to_string(*reading.second);
}

void SettingsForm::restoreDefaults() {
    tenkey = true;
    opevalText = "10";
}

SettingsForm::SaveOutcome SettingsForm::save() {
    if (!(numericValue(opevalText) > 9)) return SaveOutcome::ValueTooSmall;
    std::string reason;
    if (!writeConfig(cfgpath_, configText(tenkey ? 1 : 0, opevalText), reason)) {
        lastError = cfgpath_ + ": " + reason;
        return SaveOutcome::WriteFailed;
    }
    lastError.clear();
    return SaveOutcome::Saved;
}

} // namespace kestrum
