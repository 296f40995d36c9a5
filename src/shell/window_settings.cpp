#include "shell/window_settings.h"

#include <filesystem>
#include <optional>
#include <sstream>
#include <string_view>
#include <vector>

#include "shell/command_line.h"

namespace tonforge {

namespace {

constexpr std::string_view kSection = "[window]";
constexpr size_t kLongestFile = 4096;  // a settings file is a few lines; anything larger is not one

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

std::optional<WindowSettings> Parse(std::string_view text) {
  WindowSettings s;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = Trimmed(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (line.empty() || line.front() == '#' || line == kSection) continue;
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    const std::string_view name = Trimmed(line.substr(0, eq)), value = Trimmed(line.substr(eq + 1));
    const bool side = name == "width" || name == "height";
    if (!side && name != "scale") continue;  // a later version's settings are left to it
    const auto number = WholeNumber(value, 0, side ? kLargestRememberedSide : kLargestInterfaceScale);
    if (!number || (side && *number != 0 && *number < kSmallestRememberedSide)) return std::nullopt;
    (name == "width" ? s.width : name == "height" ? s.height : s.scale) = static_cast<int32_t>(*number);
  }
  // A size is only of use whole.
  if ((s.width == 0) != (s.height == 0)) return std::nullopt;
  return s;
}

}  // namespace

std::string WindowSettingsPath(const std::string& xdgConfigHome, const std::string& home) {
  if (!xdgConfigHome.empty() && xdgConfigHome.front() == '/') return xdgConfigHome + "/tonforge/settings.ini";
  if (!home.empty()) return home + "/.config/tonforge/settings.ini";
  return "";
}

WindowSettings ReadWindowSettings(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (path.empty() || ReadWholeFile(path, bytes) != FileReadStatus::Ok || bytes.size() > kLongestFile) return {};
  return Parse(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())).value_or(WindowSettings{});
}

std::string WindowSettingsText(const WindowSettings& s) {
  std::ostringstream out;
  out << kSection << "\nwidth=" << s.width << "\nheight=" << s.height << "\nscale=" << s.scale << "\n";
  return out.str();
}

bool WriteWindowSettings(const std::string& path, const WindowSettings& settings, FileFailure* failure) {
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  const std::string text = WindowSettingsText(settings);
  return ReplaceFile(path, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()), failure);
}

}  // namespace tonforge
