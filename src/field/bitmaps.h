#pragma once
// The authored battlefield pictures. Background pixels are exactly screen cyan; every other pixel's
// red component ends in the kind code of its picture (0 left base, 1 right base, 2 ground).

#include "field/bitmap.h"

namespace kestrum {

Bitmap makeGroundStrip();           // groundStrip, 633 x 15, kind 2
Bitmap makeGroundPiece(int player); // ground(p), 100 x 30, kind p
Bitmap makeBase(int player);        // baseTemplate(p), 100 x 32, kind p
Bitmap makeExplosion();             // explosionBitmap, 31 x 31, kind 2

} // namespace kestrum
