#include "tempo_map.h"

#include <algorithm>
#include <cassert>

namespace morvane::python {
namespace {

constexpr double kFirstTempo = 500000;  // microseconds a quarter note

}  // namespace

TempoMap::TempoMap(const ScoreMap& map, int32_t division)
    : seconds_per_tick_microsecond_(1e-6 / division) {
  assert(division > 0);
  const bool per_track = map.format == 2;
  // The map a point belongs to: its track's in format 2, else the one map.
  auto map_of = [per_track](const TempoPoint& p) {
    return per_track ? p.track : 0;
  };
  for (const TempoChange& change : map.tempo_changes) {
    points_.push_back({change.time_ticks, change.microseconds_per_quarter, 0,
                       change.track});
  }
  std::stable_sort(points_.begin(), points_.end(),
                   [&](const TempoPoint& a, const TempoPoint& b) {
                     return map_of(a) != map_of(b) ? map_of(a) < map_of(b)
                                                   : a.ticks < b.ticks;
                   });
  // A map's first point is reached at the first tempo, the others at the
  // tempo of the point before them.
  for (std::size_t i = 0; i < points_.size(); ++i) {
    TempoPoint& p = points_[i];
    const bool first = i == 0 || map_of(points_[i - 1]) != map_of(p);
    const TempoPoint before =
        first ? TempoPoint{0, static_cast<int64_t>(kFirstTempo), 0, p.track}
              : points_[i - 1];
    p.seconds = before.seconds + static_cast<double>(p.ticks - before.ticks) *
                                     static_cast<double>(
                                         before.microseconds_per_quarter) *
                                     seconds_per_tick_microsecond_;
  }
  if (!per_track) return;
  for (std::size_t k = 0; k <= map.tracks.size(); ++k) {
    const auto at = std::partition_point(
        points_.begin(), points_.end(), [k](const TempoPoint& p) {
          return static_cast<std::size_t>(p.track) < k;
        });
    first_.push_back(static_cast<std::size_t>(at - points_.begin()));
  }
}

double TempoMap::seconds(int64_t ticks, std::size_t track) const {
  auto begin = points_.begin();
  auto end = points_.end();
  if (!first_.empty()) {
    begin += static_cast<std::ptrdiff_t>(first_[track]);
    end = points_.begin() + static_cast<std::ptrdiff_t>(first_[track + 1]);
  }
  // The last point at or before ticks.
  const auto after = std::upper_bound(
      begin, end, ticks,
      [](int64_t t, const TempoPoint& p) { return t < p.ticks; });
  if (after == begin) {
    return static_cast<double>(ticks) * kFirstTempo *
           seconds_per_tick_microsecond_;
  }
  const TempoPoint& p = *(after - 1);
  return p.seconds + static_cast<double>(ticks - p.ticks) *
                         static_cast<double>(p.microseconds_per_quarter) *
                         seconds_per_tick_microsecond_;
}

}  // namespace morvane::python
