#include "settings/settings_form.h"

#include <string_view>

#include "numbers/int16.h"
#include "settings/config_file.h"

namespace kestrum {

SettingsForm::SettingsForm(std::string path) : path_(std::move(path)) {}

void SettingsForm::load() {
    const ConfigReading reading = readConfig(path_);
    if (!reading.ok) return; // the controls keep what they show
    // The box can only say "letters" or "keypad". A hand-written type such as 2 keeps the box as it
    // is rather than pretending to be one of them; saving then writes what the box shows.
    if (*reading.keyboardType == 0) numericKeypad = false;
    if (*reading.keyboardType == 1) numericKeypad = true;
    periodText = std::to_string(*reading.handlingPeriod);
    opponent = reading.opponent;
    roundResults = reading.roundResults;
}

void SettingsForm::restoreDefaults() {
    numericKeypad = true;
    periodText = "10";
    opponent = 0;
    roundResults = false;
}

namespace {

// Line ends of every kind a text box can be given by pasting, in UTF-8.
bool hasLineBreak(std::string_view text) {
    for (std::string_view end : {"\r", "\n", "\v", "\f", "\xC2\x85", "\xE2\x80\xA8", "\xE2\x80\xA9"})
        if (text.find(end) != std::string_view::npos) return true;
    return false;
}

// What ends a number in the file besides a line end.
bool hasSeparator(std::string_view text) {
    return text.find_first_of(" \t,") != std::string_view::npos;
}

} // namespace

SettingsForm::SaveOutcome SettingsForm::save() {
    // The text is stored as typed as the file's second line: a line break would split it, a
    // separator would end the value early and start the next line's.
    if (hasLineBreak(periodText)) return SaveOutcome::NotOneLine;
    if (hasSeparator(periodText)) return SaveOutcome::NotOneField;
    const double value = numericValue(periodText);
    if (!(value > 9)) return SaveOutcome::ValueTooSmall;
    const int keyboardType = numericKeypad ? 1 : 0;
    const std::string contents = configText(keyboardType, periodText, opponent, roundResults);
    // The file must read back, or the next start would show this dialog again; and as what is shown.
    const ConfigReading reading = parseConfig(contents);
    if (!reading.ok) return SaveOutcome::ValueTooLarge;
    if (*reading.keyboardType != keyboardType || *reading.handlingPeriod != toInt16(value) ||
        reading.opponent != (opponent >= 1 && opponent <= kComputerStrengths ? opponent : 0))
        return SaveOutcome::NotOneField;
    if (reading.roundResults != roundResults) return SaveOutcome::NotOneField;
    std::string reason;
    if (!writeConfig(path_, contents, reason)) {
        lastError = path_ + ": " + reason;
        return SaveOutcome::WriteFailed;
    }
    lastError.clear();
    return SaveOutcome::Saved;
}

} // namespace kestrum
