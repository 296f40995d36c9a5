#include "ui/panels/song_view.h"

#include <algorithm>
#include <string>

#include "app/app_state.h"
#include "sequencer/editing.h"
#include "ui/draw.h"

namespace tonforge {

namespace {

constexpr int32_t kNoteColumns = 42, kColumnsPerProgram = 31, kProgramColourCount = 6;
constexpr int32_t kPhraseColumns = 228, kPhraseColourCount = 10;
constexpr int32_t kTypeColumnOffset = 3;

int32_t ViewX(int32_t tick, int32_t viewStart) { return kSongViewLeft + (tick - viewStart); }

// A one-pixel column of the palette strip over one row.
void DrawColumn(Ui& ui, int32_t panel, int32_t x, int32_t rowTop, int32_t column) {
  CopySkinToPanel(ui, panel, {x, rowTop, x + 1, rowTop + kSongViewRowHeight},
                  {column, kPaletteTop, column + 1, kPaletteBottom}, CopyKind::Plain);
}

void DrawRuler(Ui& ui, AppState& app, int32_t panel) {
  const Song& song = app.song;
  const int32_t perBeat = std::max<int32_t>(song.ticksPerBeat, 1), perBar = std::max(song.beatsPerBar, 1);
  const int32_t viewStart = app.editor.viewStart;
  for (int32_t beat = (viewStart + perBeat - 1) / perBeat; beat * perBeat < viewStart + kViewWidth; ++beat) {
    const int32_t x = ViewX(beat * perBeat, viewStart);
    const std::string text = std::to_string(beat / perBar) + ":" + std::to_string(beat % perBar);
    const uint32_t colour = beat % perBar == 0 ? ui.skins.colours.songViewBar : ui.skins.colours.songView;
    DrawPanelText(ui, panel, {x - 24, kRulerTop, x + 24, kRulerBottom}, text, colour);
  }
}

void DrawRow(Ui& ui, AppState& app, int32_t panel, int32_t index, int32_t rowTop) {
  const Song& song = app.song;
  const int32_t viewStart = app.editor.viewStart, viewEnd = viewStart + kViewWidth - 1;
  const bool current = index == song.currentTrack;
  const int32_t sourceTop = current ? kCurrentRowSourceTop : kOtherRowSourceTop;
  CopySkinToPanel(ui, panel, {kSongViewLeft, rowTop, kSongViewLeft + kViewWidth, rowTop + kSongViewRowHeight},
                  {0, sourceTop, kViewWidth, sourceTop + kSongViewRowHeight}, CopyKind::Plain);

  const Block& block = app.editor.block;
  const int32_t firstTrack = std::min(block.firstTrack, block.lastTrack);
  const int32_t lastTrack = std::max(block.firstTrack, block.lastTrack);
  if (block.active != 0 && index >= firstTrack && index <= lastTrack) {
    const int32_t from = std::max(std::min(block.startTick, block.endTick), viewStart);
    const int32_t to = std::min(std::max(block.startTick, block.endTick), viewEnd);
    if (from <= to) {
      const int32_t left = from - viewStart, right = to - viewStart + 1;
      const int32_t top = sourceTop + kBlockSourceShift;
      CopySkinToPanel(ui, panel,
                      {kSongViewLeft + left, rowTop, kSongViewLeft + right, rowTop + kSongViewRowHeight},
                      {left, top, right, top + kSongViewRowHeight}, CopyKind::Plain);
    }
  }

  const int32_t perBeat = std::max<int32_t>(song.ticksPerBeat, 1), perBar = std::max(song.beatsPerBar, 1);
  for (int32_t beat = (viewStart + perBeat - 1) / perBeat; beat * perBeat <= viewEnd; ++beat)
    DrawColumn(ui, panel, ViewX(beat * perBeat, viewStart), rowTop, beat % perBar == 0 ? kBarColumn : kBeatColumn);

  if (const Track* track = TrackAt(song, index)) {
    for (const Event* e = track->events.First(); e != nullptr; e = EventList::Next(e)) {
      if (e->tick > viewEnd) break;
      if (e->tick < viewStart) continue;
      DrawColumn(ui, panel, ViewX(e->tick, viewStart), rowTop, EventColumn(e->Values()));
    }
  }
  if (current && app.editCursor >= viewStart && app.editCursor <= viewEnd)
    DrawColumn(ui, panel, ViewX(app.editCursor, viewStart), rowTop, kCursorColumn);
  // The playhead crosses every row in the cursor's colour.
  const int32_t playhead = app.editor.drawnPlayhead;
  if (playhead >= viewStart && playhead <= viewEnd)
    DrawColumn(ui, panel, ViewX(playhead, viewStart), rowTop, kCursorColumn);
}

}  // namespace

int32_t EventColumn(const EventValues& e) {
  if (e.type == static_cast<int32_t>(EventType::NoteOn))
    return kNoteColumns + kColumnsPerProgram * (std::max(e.valueB, 0) % kProgramColourCount) + std::max(e.valueA, 0) / 100;
  if (e.type == static_cast<int32_t>(EventType::Phrase)) return kPhraseColumns + std::max(e.valueA, 0) % kPhraseColourCount;
  return e.type + kTypeColumnOffset;
}

void DrawSongView(Ui& ui, AppState& app, int32_t panel) {
  DrawRuler(ui, app, panel);
  const int32_t first = app.song.trackListScroll, count = app.song.tracks.Count();
  for (int32_t row = 0; row < kTrackListRowCount && first + row < count; ++row)
    DrawRow(ui, app, panel, first + row, kSongViewTop + row * kSongViewRowHeight);
}

bool PressSongView(AppState& app, Point at) {
  const int32_t bottom = kSongViewTop + kTrackListRowCount * kSongViewRowHeight;
  if (at.x < kSongViewLeft || at.x >= kSongViewLeft + kViewWidth || at.y < kSongViewTop || at.y >= bottom) return false;
  const int32_t track = app.song.trackListScroll + (at.y - kSongViewTop) / kSongViewRowHeight;
  if (track >= app.song.tracks.Count()) return false;
  int32_t tick = at.x - kSongViewLeft + app.editor.viewStart;
  if (app.editor.snap != 0) tick -= tick % std::max(app.editor.snapStep, 1);
  SelectTrack(app, track);
  app.editCursor = std::clamp(tick, 0, kMaxTick);
  ViewFollowsCursor(app);
  SelectionFollowsCursor(app);
  ReportEditorChange(app);
  return true;
}

}  // namespace tonforge
