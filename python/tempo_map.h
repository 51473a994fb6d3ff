// A score's times in seconds, from its Tempo events as the reader noted them
// (RunState::score_map): 500,000 microseconds a quarter note before the
// first, and each from its tick on. A format 0 or 1 score has one map of
// every track's Tempo events; a format 2 score, whose tracks are sequences
// of their own, one map a track. Computed in double precision from the
// ticks, never summed note by note.
//
//   MFile 1 2 96, "0 Tempo 500000" and "192 Tempo 250000" in track 0:
//   TempoMap map(state.score_map, 96);
//   map.seconds(240, 1);  // 192 ticks at 0.5 s a beat, 48 at 0.25: 1.125

#ifndef MORVANE_PYTHON_TEMPO_MAP_H_
#define MORVANE_PYTHON_TEMPO_MAP_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "driver/run_state.h"

namespace morvane::python {

// A Tempo event, with the time it takes effect. All 64 bits wide: as a row
// of a NumPy array it has no padding.
struct TempoPoint {
  int64_t ticks;
  int64_t microseconds_per_quarter;
  double seconds;
  int64_t track;  // the track whose event it is, counted from 0
};

class TempoMap {
 public:
  // division > 0: ticks per quarter note.
  TempoMap(const ScoreMap& map, int32_t division);

  // The time of ticks (any, also before 0) in seconds from tick 0, by the
  // tempo of track's map.
  double seconds(int64_t ticks, std::size_t track) const;

  // Every Tempo event in the order the maps take them: by tick, at one tick
  // in file order (the last one holds); in format 2 track by track.
  const std::vector<TempoPoint>& points() const { return points_; }

 private:
  std::vector<TempoPoint> points_;
  // Format 2: track k's points are points_[first_[k]] .. points_[first_[k + 1]
  // - 1]; otherwise empty, and every track takes them all.
  std::vector<std::size_t> first_;
  double seconds_per_tick_microsecond_;  // 1e-6 / division
};

}  // namespace morvane::python

#endif  // MORVANE_PYTHON_TEMPO_MAP_H_
