#include "ui/bitmaps.h"

namespace kestrum {

Bitmap makeGroundStrip() { return Bitmap(633, 15, 0x008202); }
Bitmap makeGroundPiece(int player) { return Bitmap(100, 30, 0x008200u | uint32_t(player)); }
Bitmap makeBase(int player) { return Bitmap(100, 32, 0x404040u | uint32_t(player)); }
Bitmap makeExplosion() { return Bitmap(31, 31, 0x0080FE); }

} // namespace kestrum
