#include "song/song_records.h"

#include <algorithm>
#include <new>

#include "engines/catalog.h"
#include "song/editor_state.h"

namespace tonforge {

namespace {

bool IsProgramEngineParameter(int32_t type) {
  return type >= static_cast<int32_t>(EventType::ProgramEngineParameter) &&
         type < static_cast<int32_t>(EventType::ProgramEngineParameter) + kChainLength;
}

bool IsTrackEngineParameter(int32_t type) {
  return type >= static_cast<int32_t>(EventType::TrackEngineParameter) &&
         type < static_cast<int32_t>(EventType::TrackEngineParameter) + kChainLength;
}

// An engine-parameter event must name a parameter its engine has, with a value in that parameter's range;
// otherwise it becomes a reset of the engine.
void FitParameterEvent(const Engine* engine, Event& e) {
  if (engine != nullptr && IsKnownType(engine->type) && e.valueA >= 0 && e.valueA < kParameterCount) {
    const ParameterSpec& param = BuildEngineCatalog()[engine->type].parameters[e.valueA];
    if (param.present != 0) {
      e.valueB = std::clamp(e.valueB.Load(), param.minimum, param.maximum);
      return;
    }
  }
  e.valueA = kResetParameter;
  e.valueB = 0;
}

}  // namespace


Event* EventList::InsertAfter(Event* previous, const EventValues& v) {
  std::unique_ptr<Event> e;
  try {
    e = std::make_unique<Event>();
    // Geometric growth: reserving one more each time would copy the whole list on every insertion.
    if (owned_.size() == owned_.capacity()) owned_.reserve(std::max<std::size_t>(16, owned_.capacity() * 2));
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  e->tick = v.tick;
  e->type = v.type;
  e->valueA = v.valueA;
  e->valueB = v.valueB;
  std::atomic<Event*>& link = previous ? previous->next : head_;
  e->next.store(link.load(std::memory_order_relaxed), std::memory_order_relaxed);
  Event* raw = e.get();
  owned_.push_back(std::move(e));
  if (raw->next.load(std::memory_order_relaxed) == nullptr) tail_ = raw;
  link.store(raw, std::memory_order_release);  // the event is complete before anyone can reach it
  return raw;
}

void EventList::Erase(Event* e) {
  std::atomic<Event*>* link = &head_;
  Event* previous = nullptr;
  for (Event* cur = link->load(); cur != nullptr; cur = link->load()) {
    if (cur == e) {
      link->store(cur->next.load(), std::memory_order_release);
      if (tail_ == e) tail_ = previous;
      break;
    }
    previous = cur;
    link = &cur->next;
  }
  auto it = std::find_if(owned_.begin(), owned_.end(), [e](const auto& p) { return p.get() == e; });
  if (it != owned_.end()) owned_.erase(it);
}

void EventList::Clear() {
  head_.store(nullptr, std::memory_order_release);
  tail_ = nullptr;
  owned_.clear();
}

Track* TrackList::At(int32_t index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return slots_[index].load(std::memory_order_acquire);
}

Track* TrackList::Insert(int32_t index, std::unique_ptr<Track> track) {
  const int32_t n = Count();
  if (n >= kMaxTracks || index < 0 || index > n || !track) return nullptr;
  try {
    owned_.reserve(owned_.size() + 1);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  Track* raw = track.get();
  owned_.push_back(std::move(track));
  // Shift from the end so that every slot below the count always holds a live track.
  slots_[n].store(n > 0 ? slots_[n - 1].load() : raw, std::memory_order_release);
  for (int32_t i = n - 1; i > index; --i) slots_[i].store(slots_[i - 1].load(), std::memory_order_release);
  slots_[index].store(raw, std::memory_order_release);
  count_.store(n + 1, std::memory_order_release);
  return raw;
}

std::unique_ptr<Track> TrackList::Remove(int32_t index) {
  const int32_t n = Count();
  if (index < 0 || index >= n) return nullptr;
  Track* raw = slots_[index].load();
  count_.store(n - 1, std::memory_order_release);
  for (int32_t i = index; i < n - 1; ++i) slots_[i].store(slots_[i + 1].load(), std::memory_order_release);
  slots_[n - 1].store(nullptr, std::memory_order_release);
  auto it = std::find_if(owned_.begin(), owned_.end(), [raw](const auto& p) { return p.get() == raw; });
  std::unique_ptr<Track> out = std::move(*it);
  owned_.erase(it);
  return out;
}

void TrackList::Swap(int32_t a, int32_t b) {
  if (!At(a) || !At(b)) return;
  Track* ta = slots_[a].load();
  slots_[a].store(slots_[b].load(), std::memory_order_release);
  slots_[b].store(ta, std::memory_order_release);
}

void TrackList::Clear() {
  count_.store(0, std::memory_order_release);
  for (auto& s : slots_) s.store(nullptr, std::memory_order_relaxed);
  owned_.clear();
}

Track* TrackAt(const Song& song, int32_t index) { return song.tracks.At(index); }

Event* EventAt(const Track& track, int32_t index) {
  if (index < 0) return nullptr;
  Event* e = track.events.First();
  for (int32_t i = 0; e != nullptr && i < index; ++i) e = EventList::Next(e);
  return e;
}

bool IsGlobalTrack(const Song& song, const Track& track) { return song.tracks.At(0) == &track; }

void SyncEventCount(Track& track) { track.eventCount = track.events.Count(); }

void KeepSelectionInList(Track& track) {
  track.selectedEvent = std::clamp(track.selectedEvent, 0, std::max(track.eventCount - 1, 0));
  track.eventListScroll = std::clamp(track.eventListScroll, std::max(track.selectedEvent - (kEventListRowCount - 1), 0),
                                     track.selectedEvent);
}

void DeleteEventAt(Song& song, Track& track, int32_t index) {
  if (index == 0 && IsGlobalTrack(song, track)) return;
  Event* e = EventAt(track, index);
  if (e == nullptr) return;
  track.events.Erase(e);
  SyncEventCount(track);
}

void DeleteAllEvents(Track& track) {
  track.playCursor = nullptr;
  track.phraseCursor = nullptr;
  track.events.Clear();
  SyncEventCount(track);
}

// Walks the events in order with the program the latest NoteOn selected: a NoteOn's program must exist
// (else program 0), and an engine-parameter event must name a parameter of the engine it addresses (the
// current program's for program events, the track's own chain for track events), with its value in range.
void ValidateEvents(const Song& song, Track& track) {
  const int32_t programCount = static_cast<int32_t>(song.programs.size());
  const Program* current = nullptr;
  for (Event* e = track.events.First(); e != nullptr; e = EventList::Next(e)) {
    if (e->type == static_cast<int32_t>(EventType::NoteOn)) {
      if (e->valueB > programCount - 1 || e->valueB < 0) e->valueB = 0;
      current = programCount > 0 ? song.programs[e->valueB].get() : nullptr;
    } else if (IsProgramEngineParameter(e->type) && e->valueA != kResetParameter) {
      const int position = e->type - static_cast<int32_t>(EventType::ProgramEngineParameter);
      FitParameterEvent(current != nullptr ? &current->engines[position] : nullptr, *e);
    } else if (IsTrackEngineParameter(e->type) && e->valueA != kResetParameter) {
      const int position = e->type - static_cast<int32_t>(EventType::TrackEngineParameter);
      FitParameterEvent(&track.chain[position], *e);
    }
  }
}

void ValidateAllTracks(Song& song) {
  for (int32_t i = 0; i < song.tracks.Count(); ++i) ValidateEvents(song, *song.tracks.At(i));
}

void FollowCurrentTrack(Song& song) {
  const int32_t current = song.currentTrack;
  song.trackListScroll =
      std::clamp(song.trackListScroll, std::max(current - (kTrackListRowCount - 1), 0), std::max(current, 0));
}

}  // namespace tonforge
