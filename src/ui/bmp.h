#pragma once
// The skin pictures' BMP files. Reading takes uncompressed 1-, 4- and 8-bit palette files and 24- and 32-bit files,
// bottom-up or top-down; anything else, and any file shorter than its header promises, is refused. Writing gives
// 24-bit bottom-up files.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "shell/files.h"
#include "ui/pixels.h"

namespace tonforge {

std::optional<Pixels> DecodeBmp(std::span<const uint8_t> bytes);
// The picture of a file that is exactly width x height. A file of another size is refused from its header,
// before any pixel is read; the failure says why.
std::optional<Pixels> ReadBmpFileAtSize(const std::string& path, int32_t width, int32_t height,
                                        FileFailure* failure = nullptr);

std::vector<uint8_t> EncodeBmp(const Pixels& picture);
// False when the file could not be written.
bool WriteBmpFile(const std::string& path, const Pixels& picture);

}  // namespace tonforge
