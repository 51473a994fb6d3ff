// A standard MIDI file's events, decoded in file order for a handler that
// reads them as a score or, in tests, renders them as text, told of each
// where the text has a line (header, MTrk, event, TrkEnd). A system exclusive
// message sent in packets is one event, told at its last packet.

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

  // division: the header's 16-bit word as stored (SMPTE if its top bit is set).
  virtual void header(unsigned format, unsigned tracks, unsigned division) = 0;
  // first: the file's first MTrk chunk (its track name is the sequence's).
  virtual void track_begin(bool first) = 0;
  virtual void track_end() = 0;
  // status is the message's own or the running one; second is 0 after one
  // data byte (program change, channel pressure); time, the sum of the
  // track's delta times, may pass 2^32.
  virtual void channel(uint64_t time, unsigned status, unsigned first,
                       unsigned second) = 0;
  virtual void meta(uint64_t time, unsigned type, std::string_view data) = 0;
  // A whole system exclusive message after its f0, packets joined.
  virtual void sysex(uint64_t time, std::string_view data) = 0;
  // An f7 escape: bytes sent as they are.
  virtual void escape(uint64_t time, std::string_view data) = 0;

  // Where the event being told begins in the file (its delta time; for a
  // divided system exclusive message, its last packet's): set by the decoder
  // before it reads each event, so that a handler can say where it failed.
  uint64_t event_byte = 0;
};

// Decodes bytes, a standard MIDI file, into events; returns the damage, after
// the events before it, or none. What a handler throws passes through (as
// RunFailure does). Linear in the file's size; never reads outside bytes.
std::optional<MidiFileError> decode_midi_file(std::string_view bytes,
                                              MidiEvents& events);

}  // namespace morvane

#endif  // MORVANE_READER_MIDI_MIDI_DECODER_H_
