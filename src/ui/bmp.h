#pragma once
// The skin pictures' BMP files. Reading takes uncompressed 24- and 32-bit files, bottom-up or top-down; anything
// else, and any file shorter than its header promises, is refused. Writing gives 24-bit bottom-up files.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ui/pixels.h"

namespace tonforge {

std::optional<Pixels> DecodeBmp(std::span<const uint8_t> bytes);
std::optional<Pixels> ReadBmpFile(const std::string& path);
// The picture of the file brought to exactly width x height: stretched when the file has another size.
std::optional<Pixels> ReadBmpFileAtSize(const std::string& path, int32_t width, int32_t height);
Pixels Stretch(const Pixels& from, int32_t width, int32_t height);

std::vector<uint8_t> EncodeBmp(const Pixels& picture);
// False when the file could not be written.
bool WriteBmpFile(const std::string& path, const Pixels& picture);

}  // namespace tonforge
