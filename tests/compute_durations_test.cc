#include "analysis/compute_durations.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "driver/overlapped_stages.h"
#include "analysis/single_precision.h"
#include "analysis/sort_by_time.h"
#include "driver/in_memory_run.h"
#include "test_support.h"

namespace morvane {
namespace {

using testing::read_file;
using testing::run_in_process;
using testing::TempDir;

// The pairing as a player meets the notes, written the plain way: events
// stably sorted by rounded time (so at one tick in input order), and for
// every end a search of all the starts still sounding. Quadratic; the
// oracle for the linear pass. Durations by input position.
std::vector<float> reference_durations(const std::vector<EventRecord>& events,
                                       int32_t division) {
  std::vector<EventRecord> rounded = events;
  for (EventRecord& e : rounded) {
    e = {through_single(e.time_ticks), through_single(e.channel),
         through_single(e.note), through_single(e.velocity)};
  }
  std::vector<std::size_t> order(events.size());
  for (std::size_t k = 0; k < order.size(); ++k) order[k] = k;
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) {
                     return rounded[a].time_ticks < rounded[b].time_ticks;
                   });
  std::vector<float> duration(events.size(), 0.0f);
  std::vector<std::size_t> sounding;
  for (std::size_t k : order) {
    const EventRecord& e = rounded[k];
    if (e.velocity > 0) {
      sounding.push_back(k);
      continue;
    }
    if (e.velocity < 0) continue;
    auto same_key = [&](std::size_t s) {
      return rounded[s].channel == e.channel && rounded[s].note == e.note;
    };
    bool earlier = false;
    for (std::size_t s : sounding) {
      earlier |= same_key(s) && rounded[s].time_ticks < e.time_ticks;
    }
    std::vector<std::size_t> still;
    for (std::size_t s : sounding) {
      if (same_key(s) && (!earlier || rounded[s].time_ticks < e.time_ticks)) {
        const float start = start_beats(rounded[s].time_ticks, division);
        duration[s] =
            static_cast<float>(static_cast<double>(e.time_ticks) / division -
                               static_cast<double>(start));
      } else {
        still.push_back(s);
      }
    }
    sounding = still;
  }
  return duration;
}

// Orders and pairs events as a run does; gives the durations by input
// position.
std::vector<float> production_durations(const std::vector<EventRecord>& events,
                                        int32_t division, bool overlapped) {
  InMemoryRun run;
  RunState& state = run.state;
  state.division = division;
  run.add_events(events);
  if (overlapped) {
    state.overlap = testing::kSmallestOverlap;
    sort_pair_and_write(state);
  } else {
    sort_by_time(state);
    compute_durations(state);
  }
  return std::vector<float>(state.arrays.duration_beats.begin() + 1,
                            state.arrays.duration_beats.end());
}

TEST(ComputeDurationsTest, LinearPassMatchesThePlainRule) {
  std::mt19937 random(11);
  for (int round = 0; round < 3000; ++round) {
    auto pick = [&](int low, int high) {
      return std::uniform_int_distribution<int>(low, high)(random);
    };
    const int n = pick(0, 200);
    const int shape = round % 4;
    const int tracks = pick(1, 6);
    std::vector<EventRecord> events;
    for (int k = 0; k < n; ++k) {
      // Few distinct times, so many ties; some near 2^24 where they round.
      int32_t time = pick(0, 12) * 60;
      if (shape == 0) time = pick(0, 3) * 60;
      if (shape == 1) time = 16777200 + pick(0, 40);
      const bool wide = shape == 3;  // channels and notes off the grid
      const int32_t channel = wide ? pick(-3, 20) : pick(1, 2);
      const int32_t note = wide ? pick(-2, 130) : pick(60, 62);
      const int32_t velocity = pick(0, 3) == 0 ? pick(-2, 0) : pick(0, 100);
      events.push_back({time, channel, note, velocity});
    }
    if (shape == 2) {  // sorted within each of a few tracks
      const std::size_t per = events.size() / tracks + 1;
      for (std::size_t lo = 0; lo < events.size(); lo += per) {
        std::sort(events.begin() + lo,
                  events.begin() + std::min(events.size(), lo + per),
                  [](const EventRecord& a, const EventRecord& b) {
                    return a.time_ticks < b.time_ticks;
                  });
      }
    }
    const int32_t division = pick(1, 960);
    const std::vector<float> reference = reference_durations(events, division);
    ASSERT_EQ(production_durations(events, division, false), reference)
        << "round " << round;
    if (n < 2) continue;  // the two threads take two events at least
    ASSERT_EQ(production_durations(events, division, true), reference)
        << "overlapped, round " << round;
  }
}

// Whole runs: score lines in one named track (or as given), note lines out.
TEST(ComputeDurationsTest, NotesAsAPlayerHearsThem) {
  struct Row {
    std::string what;
    std::string score;  // after "MFile 1 2 480\nMTrk\n0 Meta TrkName T\n"
    std::string notes;  // after the header and instrument lines
    std::string count = "";
  };
  const std::string c60 = " On ch=1 n=60 v=";
  const Row rows[] = {
      {"an Off line ends its note",
       "0 On ch=1 n=60 v=90\n480 Off ch=1 n=60 v=64\n",
       "0.000 \t0\t60\t90\t1.000\n"},
      {"an Off line never starts one",
       "0 Off ch=1 n=60 v=64\n480 On ch=1 n=60 v=0\n", ""},
      {"lines that are not notes add no event",
       "0 On ch=1 n=60 v=90\n10 Pb ch=1 v=8192\n20 ChPr ch=1 v=40\n"
       "30 Par ch=1 c=7 v=100\n40 PoPr ch=1 n=60 v=50\n50 PrCh ch=1 p=3\n"
       "\n480 On ch=1 n=60 v=0\n",
       "0.000 \t0\t60\t90\t1.000\n", "2"},
      {"only the track's end closes the section",
       "0 Meta Text \"verse\"\n0 On ch=1 n=60 v=90\n240 Meta Marker \"A\"\n"
       "480 On ch=1 n=60 v=0\n480 Meta TrkEnd\n960 On ch=1 n=62 v=90\n",
       "0.000 \t0\t60\t90\t1.000\n"},
      {"struck again, the new start listed before the old end",
       "0" + c60 + "90\n480" + c60 + "90\n480" + c60 + "0\n960" + c60 + "0\n",
       "0.000 \t0\t60\t90\t1.000\n1.000 \t0\t60\t90\t1.000\n"},
      {"a note of no length, then one more",
       "0" + c60 + "90\n480" + c60 + "0\n480" + c60 + "90\n480" + c60 +
           "0\n960" + c60 + "0\n",
       "0.000 \t0\t60\t90\t1.000\n1.000 \t0\t60\t90\t0.000\n"},
  };
  for (const Row& row : rows) {
    for (const OverlapShape& overlap :
         {OverlapShape{}, testing::kSmallestOverlap}) {
      TempDir dir;
      const std::string notes = dir.path("notes.txt");
      const testing::RunOutput r = run_in_process(
          {dir.write("score.txt",
                     "MFile 1 2 480\nMTrk\n0 Meta TrkName T\n" + row.score),
           notes},
          "", FailPoint::none, overlap);
      EXPECT_EQ(r.status, 0) << row.what;
      EXPECT_EQ(read_file(notes),
                "// MORVANE file.\n// Instrument T \n" + row.notes)
          << row.what;
      if (!row.count.empty()) {
        EXPECT_NE(r.out.find("Number of lines in array " + row.count + "\n"),
                  std::string::npos)
            << row.what;
      }
    }
  }
}

TEST(ComputeDurationsTest, NotesAsAPlayerHearsThemAcrossTracksAndFormats) {
  struct Row {
    std::string what;
    std::string score;
    std::string notes;
  };
  const std::string c60 = " On ch=1 n=60 v=";
  const std::string track = "MTrk\n0 Meta TrkName T\n";
  const Row rows[] = {
      {"a format 0 file's sequence name names its track",
       "MFile 0 1 96\nMTrk\n0 Meta SeqName \"Tune\"\n0" + c60 + "90\n96" + c60 +
           "0\n",
       "// Instrument \"Tune\" \n0.000 \t0\t60\t90\t1.000\n"},
      {"an end listed before the start at its tick closes nothing",
       "MFile 1 1 240\n" + track + "80" + c60 + "0\n80" + c60 + "90\n480" +
           c60 + "0\n",
       "// Instrument T \n0.333 \t0\t60\t90\t1.667\n"},
      {"an end in an earlier track at the start's tick closes nothing",
       "MFile 1 2 480\nMTrk\n0 Meta TrkName A\n480" + c60 +
           "0\n480 Meta TrkEnd\nMTrk\n0 Meta TrkName B\n480" + c60 + "90\n960" +
           c60 + "0\n",
       "// Instrument A \n// Instrument B \n1.000 \t0\t60\t90\t1.000\n"},
  };
  for (const Row& row : rows) {
    for (const OverlapShape& overlap :
         {OverlapShape{}, testing::kSmallestOverlap}) {
      TempDir dir;
      const std::string notes = dir.path("notes.txt");
      const testing::RunOutput r =
          run_in_process({dir.write("score.txt", row.score), notes}, "",
                         FailPoint::none, overlap);
      EXPECT_EQ(r.status, 0) << row.what;
      EXPECT_EQ(read_file(notes), "// MORVANE file.\n" + row.notes) << row.what;
    }
  }
}

}  // namespace
}  // namespace morvane
