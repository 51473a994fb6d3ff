#include "reader/midi/read_midi_score.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "driver/console.h"
#include "reader/event_table.h"
#include "reader/line_source.h"
#include "reader/midi/meta_text.h"
#include "reader/midi/midi_decoder.h"
#include "reader/score_map.h"
#include "reader/track_sections.h"

namespace morvane {
namespace {

constexpr unsigned kNoteOff = 0x8;
constexpr unsigned kNoteOn = 0x9;
constexpr unsigned kPolyPressure = 0xa;
constexpr unsigned kEndOfTrack = 0x2f;
constexpr unsigned kTrackName = 0x03;
constexpr unsigned kTempo = 0x51;
// The largest time the text reader's 32-bit fields take.
constexpr uint64_t kLargestTime = 2147483647;

// A first look: is the file whole, and how many note events may it give?
class Survey : public MidiEvents {
 public:
  void header(unsigned format, unsigned, unsigned division) override {
    format_ = format;
    division_ = division;
  }
  void track_begin(bool) override {}
  void track_end() override {}
  void channel(uint64_t, unsigned status, unsigned, unsigned) override {
    const unsigned kind = status >> 4;
    if (kind == kNoteOn || kind == kNoteOff) ++notes_;
  }
  void meta(uint64_t, unsigned, std::string_view) override {}
  void sysex(uint64_t, std::string_view) override {}
  void escape(uint64_t, std::string_view) override {}

  unsigned format_ = 0;
  unsigned division_ = 0;
  uint64_t notes_ = 0;
};

// Ends the run unless the header's division is a number of ticks per quarter
// note above 0: the note list's beats are ticks divided by it.
void check_division(RunState& state, unsigned division) {
  if (division & 0x8000) {
    // Refused as the score's own fault, as a damaged file is.
    fail(state, FailureKind::badly_formed,
         "\nMIDI file " + state.input_name +
             " uses SMPTE time, which Morvane does not read: only ticks per "
             "quarter note.\n");
  }
  if (division == 0) {
    fail(state, FailureKind::badly_formed,
         "\nBadly formed MIDI file " + state.input_name +
             ": division of 0 ticks per quarter note at byte 12.\n");
  }
}

// The classification of "time Kind ..." up to its kind word (assigned 2); a
// time out of range stops the scan before it.
ClassifiedLine event_line(uint64_t time, LineKind kind) {
  ClassifiedLine line;
  if (time > kLargestTime) {
    line.scan.overflow = true;
    return line;
  }
  line.scan.time_ticks = static_cast<int32_t>(time);
  line.scan.kind = kind;
  line.scan.assigned = 2;
  return line;
}

// Reads each event by the section rules as its line in the text rendering.
class EventReader : public MidiEvents {
 public:
  EventReader(RunState& state, bool sequence_names_track) : state_(state) {
    fields_.sequence_names_track = sequence_names_track;
  }

  void header(unsigned, unsigned, unsigned) override {}

  void track_begin(bool first) override {
    first_track_ = first;
    ++place_.track;
    read(ClassifiedLine{LineForm::track_start, {}, {}});
    begin_track(state_);
  }

  void track_end() override {
    read(ClassifiedLine{LineForm::track_close, {}, {}});
  }

  // "time On ch=C n=N v=V"; other channel messages scan up to their channel,
  // but for key pressure, which has n= and v= too.
  void channel(uint64_t time, unsigned status, unsigned first,
               unsigned second) override {
    const unsigned kind = status >> 4;
    ClassifiedLine line = event_line(
        time, kind == kNoteOn    ? LineKind::note_on
              : kind == kNoteOff ? LineKind::note_off
                                 : LineKind::other);
    if (line.scan.assigned == 2) {
      line.scan.channel = static_cast<int32_t>((status & 15) + 1);
      line.scan.assigned = 3;
      if (kind == kNoteOn || kind == kNoteOff || kind == kPolyPressure) {
        line.scan.note = static_cast<int32_t>(first);
        line.scan.velocity = static_cast<int32_t>(second);
        line.scan.assigned = 5;
      }
    }
    read(line);
  }

  void meta(uint64_t time, unsigned type, std::string_view data) override {
    note_meta(time, type, data);
    if (time == 0 && type == kTrackName) {
      const std::string text = name_line(data, first_track_);
      read(classify_line(text, fields_.sequence_names_track));
      return;
    }
    read(event_line(time, type == kEndOfTrack ? LineKind::track_end
                                              : LineKind::other));
  }

  void sysex(uint64_t time, std::string_view) override {
    read(event_line(time, LineKind::other));
  }
  void escape(uint64_t time, std::string_view) override {
    read(event_line(time, LineKind::other));
  }

  // The score has ended.
  void finish() { finish_reading(state_, fields_); }

 private:
  // The score map's part of a meta event: a name, or a tempo as the text
  // rendering writes it (a short event's missing bytes as 0). Past the
  // largest time its line is out of range, and tells nothing.
  void note_meta(uint64_t time, unsigned type, std::string_view data) {
    if (time > kLargestTime) return;
    if (type == kTrackName) {
      note_track_name(state_, data);
    } else if (type == kTempo) {
      uint32_t microseconds = 0;
      for (std::size_t k = 0; k < 3; ++k) {
        microseconds = microseconds << 8 |
                       (k < data.size() ? static_cast<uint8_t>(data[k]) : 0u);
      }
      note_tempo(state_, static_cast<int64_t>(time), microseconds);
    }
  }

  void read(const ClassifiedLine& line) {
    place_.byte = event_byte;
    read_line(state_, fields_, line, place_);
  }

  RunState& state_;
  ReaderFields fields_;
  LinePlace place_;
  bool first_track_ = false;
};

}  // namespace

void read_midi_score(RunState& state) {
  create_event_table(state);
  std::string bytes;
  if (!state.input->read_rest(bytes)) cannot_read(state);
  Survey survey;
  if (const std::optional<MidiFileError> damage =
          decode_midi_file(bytes, survey)) {
    fail(state, FailureKind::badly_formed,
         "\nBadly formed MIDI file " + state.input_name + ": " +
             damage->reason + " at byte " + std::to_string(damage->offset) +
             ".\n");
  }
  check_division(state, survey.division_);
  start_reading(state, static_cast<int32_t>(survey.division_),
                survey.notes_ + 1);
  state.score_map.format = static_cast<int32_t>(survey.format_);
  EventReader reader(state, survey.format_ == 0);
  // Whole, as the survey found: this pass meets no damage, and a failure
  // of the rules (RunFailure) passes through the decoder and ends the run.
  decode_midi_file(bytes, reader);
  reader.finish();
}

}  // namespace morvane
