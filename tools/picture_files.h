#pragma once
// Writing pictures from the tools: 24-bit BMP files for the skins, and PNG files for snapshots.
#include <string>

#include "ui/pixels.h"

namespace tonforge {

// False when the file could not be written.
bool WriteBmpFile(const std::string& path, const Pixels& picture);
// An 8-bit RGB PNG, compressed with zlib.
bool WritePngFile(const std::string& path, const Pixels& picture);

}  // namespace tonforge
