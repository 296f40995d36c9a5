#pragma once
// Snapshots as PNG files.
#include <string>

#include "ui/pixels.h"

namespace tonforge {

// An 8-bit RGB PNG, compressed with zlib. False when the file could not be written.
bool WritePngFile(const std::string& path, const Pixels& picture);

}  // namespace tonforge
