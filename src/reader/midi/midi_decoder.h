// The events of a standard MIDI file, decoded in file order and handed to
// a handler, which reads them as a score (read_midi_score.h) or, in the
// tests, renders them as MIDI text lines.
//
// The handler is told of each chunk and event exactly where the MIDI text
// rendering of the file has a line: the header, "MTrk" at a track's start,
// one line per event, "TrkEnd" at its end. A system exclusive message sent
// in packets is one event, told when its last packet arrives.

#ifndef MORVANE_READER_MIDI_MIDI_DECODER_H_
#define MORVANE_READER_MIDI_MIDI_DECODER_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace morvane {

// Where and how a file is damaged.
struct MidiFileError {
  std::string reason;   // a few words: what is wrong
  uint64_t offset = 0;  // the byte of the file where it was found
};

class MidiEvents {
 public:
  virtual ~MidiEvents() = default;

  // division is the header's 16-bit word as stored (SMPTE when its top bit
  // is set).
  virtual void header(unsigned format, unsigned tracks, unsigned division) = 0;
  // first: the file's first MTrk chunk (its track name is the sequence's).
  virtual void track_begin(bool first) = 0;
  virtual void track_end() = 0;
  // status is the message's own or the running one; second is 0 for the
  // messages of one data byte (program change, channel pressure). time is
  // the sum of the track's delta times, which may pass 2^32.
  virtual void channel(uint64_t time, unsigned status, unsigned first,
                       unsigned second) = 0;
  virtual void meta(uint64_t time, unsigned type, std::string_view data) = 0;
  // A whole system exclusive message after its f0, packets joined.
  virtual void sysex(uint64_t time, std::string_view data) = 0;
  // An f7 escape: bytes sent as they are.
  virtual void escape(uint64_t time, std::string_view data) = 0;
};

// Decodes bytes, a standard MIDI file, into events; returns the damage, or
// none when the file is whole. A damaged file's events up to the damage
// have been handed out. What a handler throws passes through and ends the
// decoding there (the score reader's RunFailure does). Linear in the size
// of the file; never reads outside bytes.
std::optional<MidiFileError> decode_midi_file(std::string_view bytes,
                                              MidiEvents& events);

}  // namespace morvane

#endif  // MORVANE_READER_MIDI_MIDI_DECODER_H_
