#pragma once
// The logic of the settings dialog "初期設定"; the Qt dialog only shows and forwards.

#include <string>

namespace kestrum {

class SettingsForm {
  public:
    explicit SettingsForm(std::string path);

    // Load step: read the file into the controls; any failure keeps what they show.
    void load();
    // "既定値": the box ticked and "10".
    void restoreDefaults();

    enum class SaveOutcome { Saved, ValueTooSmall, ValueTooLarge, NotOneLine, NotOneField, WriteFailed };
    // "保存": validate, write, and tell the dialog what to do next. Only a value that reads back from
    // the file as exactly what the dialog shows is saved: above 9, within 16 bits, on one line, and
    // without a blank, tab or comma (the reader would end the value there and take the rest as the
    // next line: "12,3" would choose the computer).
    SaveOutcome save();

    bool numericKeypad = true;     // "１０キー有り"
    std::string periodText = "10"; // the handling period box, free text
    int opponent = 0;
    bool roundResults =
        false; // "ラウンド結果を表示"              // "対戦相手": 0 a person, 1..4 the computer's strength
    std::string lastError; // the system's reason after WriteFailed

    static constexpr const char* kTitle = "初期設定";
    static constexpr const char* kTooSmallText = "10以上の値に設定して下さい。";
    static constexpr const char* kTooSmallTitle = "操作性調整値";
    // The same message box (title kTooSmallTitle) for the other values the file could not hold.
    static constexpr const char* kTooLargeText = "10から32767までの値に設定して下さい。";
    static constexpr const char* kNotOneLineText = "値は改行を含めずに入力して下さい。";
    static constexpr const char* kNotOneFieldText = "値は空白・タブ・コンマを含めずに入力して下さい。";

    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

} // namespace kestrum
