#include <gtest/gtest.h>

#include "sequencer/song_records.h"

namespace tonforge {
namespace {

TEST(EventList, LinksInsertsAndErases) {
  EventList list;
  const auto ticks = [&] {
    std::vector<int32_t> out;
    for (Event* e = list.First(); e; e = EventList::Next(e)) out.push_back(e->tick);
    return out;
  };
  Event* a = list.InsertAfter(nullptr, {10, 2, 0, 0});
  Event* c = list.InsertAfter(a, {30, 2, 0, 0});
  list.InsertAfter(a, {20, 2, 0, 0});
  list.InsertAfter(nullptr, {0, 35, 120, 0});
  EXPECT_EQ(ticks(), (std::vector<int32_t>{0, 10, 20, 30}));
  EXPECT_EQ(list.Count(), 4);
  list.Erase(c);
  list.Erase(list.First());
  EXPECT_EQ(ticks(), (std::vector<int32_t>{10, 20}));
  EXPECT_EQ(list.Count(), 2);
  list.Clear();
  EXPECT_TRUE(list.First() == nullptr && list.Count() == 0);
}

TEST(TrackList, InsertRemoveSwapKeepIndices) {
  TrackList tracks;
  const auto named = [](char c) {
    auto t = std::make_unique<Track>();
    t->name[0] = c;
    return t;
  };
  const auto names = [&] {
    std::string s;
    for (int i = 0; i < tracks.Count(); ++i) s += tracks.At(i)->name[0];
    return s;
  };
  for (auto [at, name] : {std::pair{0, 'G'}, {1, 'B'}, {1, 'A'}, {3, 'C'}}) tracks.Insert(at, named(name));
  EXPECT_EQ(names(), "GABC");
  EXPECT_TRUE(tracks.At(4) == nullptr && tracks.At(-1) == nullptr);
  tracks.Swap(1, 3);
  EXPECT_EQ(names(), "GCBA");
  auto removed = tracks.Remove(2);
  ASSERT_TRUE(removed);
  EXPECT_EQ(removed->name[0], 'B');
  EXPECT_EQ(names(), "GCA");
  // Only 512 fit.
  while (tracks.Count() < kMaxTracks) ASSERT_NE(tracks.Insert(tracks.Count(), named('x')), nullptr);
  EXPECT_EQ(tracks.Insert(1, named('y')), nullptr);
  EXPECT_EQ(tracks.Count(), kMaxTracks);
}

}  // namespace
}  // namespace tonforge
