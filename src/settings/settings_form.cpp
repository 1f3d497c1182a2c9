#include "settings/settings_form.h"

namespace kestrum {

SettingsForm::SettingsForm(std::string cfgpath) : cfgpath_(std::move(cfgpath)) {}
void SettingsForm::load() {}
void SettingsForm::restoreDefaults() {}
SettingsForm::SaveOutcome SettingsForm::save() { return SaveOutcome::WriteFailed; }

} // namespace kestrum
