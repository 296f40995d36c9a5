#pragma once
// What the main window remembers between runs: its size and a chosen enlargement, in a small text file of
// `name=value` lines under the user's configuration folder. A missing or damaged file means the defaults.
#include <cstdint>
#include <string>

#include "shell/files.h"

namespace tonforge {

struct WindowSettings {
  int32_t width = 0, height = 0;  // 0: as large as the interface fits the screen
  int32_t scale = 0;              // 0: the largest whole factor that fits the window
};

// The most the interface is ever enlarged by.
inline constexpr int32_t kLargestInterfaceScale = 16;
inline constexpr int32_t kSmallestRememberedSide = 100;
inline constexpr int32_t kLargestRememberedSide = 32768;

// $XDG_CONFIG_HOME/tonforge/settings.ini, or ~/.config/tonforge/settings.ini; empty when neither is known.
std::string WindowSettingsPath(const std::string& xdgConfigHome, const std::string& home);
// The defaults, all of them, when the file is missing or any line is damaged.
WindowSettings ReadWindowSettings(const std::string& path);
std::string WindowSettingsText(const WindowSettings& settings);
// Makes the folder when needed and replaces the file safely. False, with the reason, when nothing changed.
bool WriteWindowSettings(const std::string& path, const WindowSettings& settings, FileFailure* failure = nullptr);

}  // namespace tonforge
