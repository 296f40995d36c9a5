#pragma once
// The skin pictures drawn from code: what tonforge-make-skins writes to Skins/, and what the interface uses
// when a skin file cannot be. To restyle, change the palette and the looks in skin_drawing.cpp; any BMP of the
// stated sizes that keeps the geometry serves as well.
#include "ui/pixels.h"
#include "ui/skin.h"

namespace tonforge {

Pixels DrawSkinPicture(SkinPicture which);
// The desktop icon, the splash's emblem, at size x size pixels.
Pixels DrawIcon(int size);

}  // namespace tonforge
