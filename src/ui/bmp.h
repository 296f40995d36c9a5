#pragma once
// Reading the skin pictures: uncompressed 24- and 32-bit BMP files, bottom-up or top-down. Anything else,
// and any file shorter than its header promises, is refused.
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "ui/pixels.h"

namespace tonforge {

std::optional<Pixels> DecodeBmp(std::span<const uint8_t> bytes);
std::optional<Pixels> ReadBmpFile(const std::string& path);
// The picture of the file brought to exactly width x height: stretched when the file has another size.
std::optional<Pixels> ReadBmpFileAtSize(const std::string& path, int32_t width, int32_t height);
Pixels Stretch(const Pixels& from, int32_t width, int32_t height);

}  // namespace tonforge
