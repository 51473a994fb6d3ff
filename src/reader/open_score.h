// Opening a score: a MIDI text file is read line by line as it is; a
// standard MIDI file (its first four bytes "MThd") is decoded at once and
// read as the MIDI text lines a converter would write for it. The reader
// never knows which it got.

#ifndef MORVANE_READER_OPEN_SCORE_H_
#define MORVANE_READER_OPEN_SCORE_H_

#include <memory>
#include <string>

#include "reader/line_source.h"

namespace morvane {

// The lines of the score file name; null when it cannot be opened. A MIDI
// file that is damaged or cannot be read gives no lines and says why in
// its failure().
std::unique_ptr<LineSource> open_score(const std::string& name);

// The same for a score held in memory, named name in messages.
std::unique_ptr<LineSource> score_from_bytes(const std::string& name,
                                             std::string bytes);

}  // namespace morvane

#endif  // MORVANE_READER_OPEN_SCORE_H_
