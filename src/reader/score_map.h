// What the readers note of a score besides its events (RunState::score_map):
// the file's tracks, where each one's events begin in the table, the text of
// each one's first name event, and the Tempo events. The note list does not
// use any of it; the Python module ties notes to tracks and converts ticks
// to seconds with it. Both readers call these at the file's MTrk, name and
// tempo events, so a .mid and its MIDI text rendering note the same map:
//
//   MFile 1 2 96
//   MTrk
//   0 Tempo 600000                    tempo_changes {0, track 0, 600000}
//   TrkEnd
//   MTrk                              tracks[1].first_slot = 1
//   0 Meta TrkName "Joe's \"Horn\""   tracks[1].name = Joe's "Horn"
//   0 On ch=1 n=60 v=90               slot 1: track 1

#ifndef MORVANE_READER_SCORE_MAP_H_
#define MORVANE_READER_SCORE_MAP_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "driver/run_state.h"
#include "reader/line_scan.h"

namespace morvane {

// An MTrk, once the lines before it have been read by the section rules
// (which append a track's held notes at the latest there): the next events
// belong to a new track, but for the first MTrk, which goes on with track 0.
void begin_track(RunState& state);

// A name event of the current track; its text is kept unless the track has
// had one already.
void note_track_name(RunState& state, std::string_view text);

// A Tempo event of the current track.
void note_tempo(RunState& state, int64_t time_ticks,
                uint32_t microseconds_per_quarter);

// A MIDI text line, read by the section rules already: notes it when it is
// an MTrk, a name or a Tempo line (a number out of range in one is passed
// over: it tells no time or tempo). Any other line changes nothing.
void note_text_line(RunState& state, const ClassifiedLine& line);

// A name as the MIDI text rendering writes it ("Joe's \"Big\" Horn", with
// \\, \r, \n, \t, \0 and \xNN escapes) back as its bytes; a name without
// quotes is taken as it stands. White space around it is not part of it.
std::string unquoted_name(std::string_view text);

}  // namespace morvane

#endif  // MORVANE_READER_SCORE_MAP_H_
