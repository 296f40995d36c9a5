#pragma once
// A file dropped on the window, as the platform hands it up: a song (.tes) loads after the question about
// unsaved changes, a program file (.tep) joins the program list as Load Program does, and any other file is a
// sound for a DataSlot of the engine the Engine panel shows.
#include <string>
#include <string_view>

#include "app/app_state.h"

namespace tonforge {

enum class DroppedKind { Song, Program, Sound };

// By the file name's extension, in any case.
DroppedKind KindOfDroppedFile(std::string_view path);

// Where a dropped sound goes and how loud: the slot the pointer was over (-1 when none) and Shift's full range.
struct DropPlace {
  int slot = -1;
  bool fullRange = false;
};

// The slot of the selected engine a sound goes into: the one dropped on when it takes sounds, else the first
// empty one that does, else the first that does; -1 when the engine takes none.
int SlotForDroppedSound(Session& session, int dropped);

// Opens the file as its kind says and reports what changed. True when the song, the programs or the slot
// changed; a refused file says why and changes nothing.
bool OpenDroppedFile(AppState& app, const std::string& path, DropPlace place);

}  // namespace tonforge
