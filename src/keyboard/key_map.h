#pragma once
// The nine keys of a seat: the first player's fixed block, and the second player's block chosen by the
// keyboard type in the settings.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "keyboard/virtual_keys.h"

namespace kestrum {

// What a seat's key does. The codes of a key map are stored in this order.
enum class SeatKey : uint8_t { Up, Down, PlaceUp, PlaceDown, Decrease, Increase, Launch, Launch2, Launch3 };
constexpr int kSeatKeys = 9;

struct KeyMap {
    std::array<int16_t, kSeatKeys> codes{};

    constexpr int16_t operator[](SeatKey key) const { return codes[std::size_t(key)]; }
    // Which of the seat's keys a code is; the first in the order above when a code stands twice.
    constexpr std::optional<SeatKey> find(int16_t code) const {
        for (std::size_t i = 0; i < codes.size(); ++i)
            if (codes[i] == code) return SeatKey(i);
        return std::nullopt;
    }
    bool operator==(const KeyMap&) const = default;
};

// The left base's keys.
constexpr KeyMap kFirstSeatKeys{{vk::W, vk::S, vk::Q, vk::E, vk::A, vk::D, vk::X, vk::Z, vk::C}};

// The keyboard types of the settings file.
constexpr int16_t kLetterBlock = 0, kNumericKeypad = 1;

// The right base's keys for a keyboard type; nothing for a type the game does not know.
constexpr std::optional<KeyMap> secondSeatKeys(int16_t keyboardType) {
    switch (keyboardType) {
    case kLetterBlock:
        return KeyMap{
            {vk::P, vk::OemPlus, vk::O, vk::Oem3, vk::L, vk::Oem1, vk::Oem2, vk::OemPeriod, vk::Oem102}};
    case kNumericKeypad:
        return KeyMap{{vk::Numpad8, vk::Numpad5, vk::Numpad7, vk::Numpad9, vk::Numpad4, vk::Numpad6,
                       vk::Numpad2, vk::Numpad1, vk::Numpad3}};
    default:
        return std::nullopt;
    }
}

// What is printed on a seat key of a Japanese keyboard, for the help; "?" for a key the seats never use.
constexpr const char* keyCapName(int16_t code) {
    switch (code) {
    case vk::OemPlus:
        return ";";
    case vk::Oem1:
        return ":";
    case vk::Oem2:
        return "/";
    case vk::Oem3:
        return "@";
    case vk::OemPeriod:
        return ".";
    case vk::Oem102:
        return "ろ";
    case vk::Numpad1:
        return "テンキー1";
    case vk::Numpad2:
        return "テンキー2";
    case vk::Numpad3:
        return "テンキー3";
    case vk::Numpad4:
        return "テンキー4";
    case vk::Numpad5:
        return "テンキー5";
    case vk::Numpad6:
        return "テンキー6";
    case vk::Numpad7:
        return "テンキー7";
    case vk::Numpad8:
        return "テンキー8";
    case vk::Numpad9:
        return "テンキー9";
    default:
        break;
    }
    constexpr const char* kLetters[] = {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M",
                                        "N", "O", "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z"};
    return code >= 'A' && code <= 'Z' ? kLetters[code - 'A'] : "?";
}

} // namespace kestrum
