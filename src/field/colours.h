#pragma once
// Colours are blue*65536 + green*256 + red. The lowest two bits of red are the battlefield kind that
// a projectile reads: 0 left base, 1 right base, 2 ground, 3 sky. Everything the game itself writes
// on the battlefield, texts and labels included, has kind 3, so it counts as sky.

#include <cstdint>

namespace kestrum::colour {

constexpr uint32_t screenCyan = 0xFFFF83; // kind 3: the window and sky colour, see-through in pictures
constexpr uint32_t text = 0x000003;       // practically black, kind 3
constexpr uint32_t digitBlue = 0xFF0003;
constexpr uint32_t white = 0xFFFFFF;
constexpr uint32_t promptBack = 0xFFFF80; // background of the prompt panels
constexpr uint32_t editGreen = 0x00FF03;  // the value being edited
constexpr uint32_t trail = 0x00FFFF;      // yellow trail point
constexpr uint32_t black = 0x000000;      // end-of-match texts

} // namespace kestrum::colour
