#pragma once
// Undo and redo: the song's pictures after each step of editing, oldest first. A step is whatever the user
// did between two passes of the main loop, except that a drag of a knob or slider and a typed name or value
// stay one step until the mouse button comes up or the typing ends. Steps are closed on the main thread, while
// a song plays too.
#include <cstddef>
#include <cstdint>
#include <deque>

#include "history/song_picture.h"
#include "song/session.h"

namespace tonforge {

inline constexpr std::size_t kHistoryDepth = 1000;  // steps that can be undone

struct HistoryStep {
  SongPicture picture;
  bool saved = false;  // the song file named in the picture holds this step
};

struct History {
  std::deque<HistoryStep> steps;  // oldest first; never empty once started
  std::size_t at = 0;             // the step the song stands at
  uint64_t seenReports = 0;       // the change reports' counts the last picture followed
  uint64_t seenSongReports = 0;
  std::size_t depth = kHistoryDepth;
};

// Forgets every step: the song as it stands is the first, saved when it is not modified.
void StartHistory(History& history, Session& session);
// Once per pass of the main loop: closes the step that the edits since the last pass make, unless a gesture
// (a drag, typing) is still open; notes a save.
void FollowEdits(History& history, Session& session, bool gestureOpen = false);

bool CanUndo(const History& history);
bool CanRedo(const History& history);
// Take the song one step back or forward, as the edit was made: values at once, anything else after stopping
// playback. The modified mark follows: back at the step last saved, the song is no longer modified. False
// when there is nothing to undo or redo.
bool Undo(History& history, Session& session);
bool Redo(History& history, Session& session);

// The memory the history holds beyond the song itself: the pictures' records and events, and the sample
// blocks that only the history still holds.
std::size_t HistoryBytes(const History& history, const Session& session);

}  // namespace tonforge
