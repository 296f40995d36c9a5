#include "sequencer/text_entry.h"

#include <algorithm>
#include <limits>

#include "programs/data_slot_commands.h"
#include "sequencer/editing.h"
#include "sequencer/song.h"

namespace tonforge {

namespace {

constexpr char kCaret = '|';

Change ChangeOf(TextField field) {
  switch (field) {
    case TextField::ProgramName: return Change::Program;
    case TextField::TrackName: return Change::TrackList;
    case TextField::DataSlotName: return Change::Engine;
    case TextField::ValueA:
    case TextField::ValueB: break;
    case TextField::ControlValue: return Change::Selection;
  }
  return Change::Events;
}

bool IsName(TextField field) {
  return field != TextField::ValueA && field != TextField::ValueB && field != TextField::ControlValue;
}

// Rewrites the visible text: the typed characters, then the caret while the entry runs.
void ShowText(TextEntry& entry) {
  entry.text[entry.length] = entry.active ? kCaret : '\0';
  entry.text[entry.length + 1] = '\0';
}

template <size_t N>
void CopyName(std::array<char, N>& name, std::string_view text) {
  name.fill('\0');
  std::copy_n(text.begin(), std::min(text.size(), N - 1), name.begin());
}

// Names follow the text key by key. A target that no longer exists takes nothing.
void WriteName(Session& session, const TextEntry& entry) {
  const std::string_view text = TypedText(entry);
  Song& song = session.song;
  switch (entry.field) {
    case TextField::ProgramName:
      if (entry.target >= 0 && entry.target < static_cast<int32_t>(song.programs.size()))
        CopyName(song.programs[entry.target]->name, text);
      break;
    case TextField::TrackName:
      if (Track* track = TrackAt(song, entry.target)) CopyName(track->name, text);
      break;
    case TextField::DataSlotName:
      if (Engine* engine = SelectedEngine(session); engine != nullptr && entry.target >= 0 && entry.target < kDataSlotCount)
        CopyName(engine->slots[entry.target].name, text);
      break;
    case TextField::ValueA:
    case TextField::ValueB:
    case TextField::ControlValue: break;
  }
}

// The event whose value is being typed, or null when it has gone.
Event* EditedEvent(Session& session, const TextEntry& entry) {
  const Track* track = TrackAt(session.song, entry.track);
  return track != nullptr ? EventAt(*track, entry.target) : nullptr;
}

void ApplyValueA(Session& session, const TextEntry& entry) {
  Event* e = EditedEvent(session, entry);
  if (e == nullptr || entry.length == 0 || HowValueAIsEdited(e->type) != ValueAEditing::Number) return;
  const ValueRange range = ValueARange(e->type, session.song.tracks.Count());
  e->valueA = std::clamp(ReadTypedNumber(TypedText(entry)), range.minimum, range.maximum);
  // The GlobalTrack's first event is the song's starting tempo: the clock hears of it before any playback.
  // While a song plays the clock owns the tempo; it takes the new one when the song is put at rest.
  if (entry.track == 0 && entry.target == 0 && e->type == static_cast<int32_t>(EventType::Tempo) &&
      IsPlaybackIdle(session)) {
    session.song.tempo = static_cast<float>(e->valueA);
    UpdateBeatFigures(session.rate, session.song.tempo, session.song.ticksPerBeat);
  }
}

void ApplyValueB(Session& session, const TextEntry& entry) {
  Event* e = EditedEvent(session, entry);
  if (e == nullptr || entry.length == 0) return;
  const ValueBEditing how = HowValueBIsEdited(e->type);
  if (how == ValueBEditing::None) return;
  int32_t value = ReadTypedNumber(TypedText(entry));
  if (how == ValueBEditing::ProgramIndex) {
    const int32_t lastProgram = std::max(static_cast<int32_t>(session.song.programs.size()) - 1, 0);
    value = std::clamp(value, 0, lastProgram);
  }
  e->valueB = value;
  ValidateEvents(session.song, *TrackAt(session.song, entry.track));  // parameter values into their parameter's range
}

void Append(TextEntry& entry, char c) {
  entry.text[entry.length++] = c;
  ShowText(entry);
}

}  // namespace

std::string_view TypedText(const TextEntry& entry) {
  return std::string_view(entry.text.data(), static_cast<size_t>(std::max(entry.length, 0)));
}

bool IsTextEntryActive(const Session& session) { return session.textEntry.active; }

void StartTextEntry(Session& session, TextField field, int32_t target, int32_t maximum) {
  StopPlayback(session);
  EndTextEntry(session);
  TextEntry& entry = session.textEntry;
  entry.field = field;
  entry.target = target;
  entry.track = session.song.currentTrack;
  entry.maximum = std::clamp(maximum, 2, kTextEntryCapacity + 1);
  entry.length = 0;
  entry.active = true;
  ShowText(entry);
  if (IsName(field)) WriteName(session, entry);
  session.changes.Report(ChangeOf(entry.field));
}

void EndTextEntry(Session& session) {
  TextEntry& entry = session.textEntry;
  if (!entry.active) return;
  if (entry.field == TextField::ValueA) ApplyValueA(session, entry);
  if (entry.field == TextField::ValueB) ApplyValueB(session, entry);
  entry.active = false;
  ShowText(entry);
  session.changes.Report(ChangeOf(entry.field));
}

void TypeTextEntryCharacter(Session& session, char c) {
  TextEntry& entry = session.textEntry;
  if (!entry.active) return;
  if (c == kEnterCharacter || c == kEscapeCharacter) {
    EndTextEntry(session);
    return;
  }
  if (c == kBackspaceCharacter) {
    if (entry.length == 0) return;
    --entry.length;
    ShowText(entry);
  } else if (c >= 32 && c <= 126) {
    Append(entry, c);
    // A piano character is the whole answer for a note's pitch; other characters are only shown.
    if (entry.field == TextField::ValueA) {
      Event* e = EditedEvent(session, entry);
      const int32_t pitch = PianoCharacterPitch(c);
      if (e != nullptr && e->type == static_cast<int32_t>(EventType::NoteOn) && pitch >= 0) {
        e->valueA = pitch + kCentsPerOctave * std::clamp(session.editor.octave, 0, kMaxOctave);
        EndTextEntry(session);
        return;
      }
    }
  } else {
    return;
  }
  if (IsName(entry.field)) WriteName(session, entry);
  session.changes.Report(ChangeOf(entry.field));
  if (entry.length >= entry.maximum - 1) EndTextEntry(session);
}

int32_t ReadTypedNumber(std::string_view text) {
  // Saturates instead of overflowing: a 64-character text can carry weights far beyond 32 bits.
  constexpr int64_t kCeiling = int64_t{1} << 40;
  int64_t total = 0;
  int64_t weight = 1;
  for (auto it = text.rbegin(); it != text.rend(); ++it) {
    if (*it >= '0' && *it <= '9') total = std::min(total + (*it - '0') * weight, kCeiling);
    weight = std::min(weight * 10, kCeiling);
  }
  if (!text.empty() && text.front() == '-') total = -total;
  constexpr int64_t kLimit = std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(std::clamp(total, -kLimit, kLimit));
}

int32_t PianoCharacterPitch(char c) {
  // Two rows of the note-key layout, each chromatic from its first key; the lower row's top overlaps the upper
  // row's start.
  static constexpr std::string_view kLower = "zsxdcvgbhnjm,l.;/";
  static constexpr std::string_view kUpper = "q2w3er5t6y7ui9o0p";
  if (c == '\0') return -1;
  if (size_t i = kLower.find(c); i != std::string_view::npos) return 50 + 100 * static_cast<int32_t>(i);
  if (size_t i = kUpper.find(c); i != std::string_view::npos) return 1250 + 100 * static_cast<int32_t>(i);
  return -1;
}

}  // namespace tonforge
