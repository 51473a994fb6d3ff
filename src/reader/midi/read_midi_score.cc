#include "reader/midi/read_midi_score.h"

#include <cstdint>
#include <string>
#include <vector>

#include "driver/console.h"
#include "reader/event_table.h"
#include "reader/midi/midi_decoder.h"
#include "reader/midi/midi_file.h"
#include "reader/track_sections.h"
#include "writer/note_list_file.h"

namespace morvane {
namespace {

constexpr unsigned kNoteOff = 0x8;
constexpr unsigned kNoteOn = 0x9;
constexpr unsigned kEndOfTrack = 0x2f;
constexpr unsigned kTrackName = 0x03;
// The largest time the text reader's 32-bit fields take.
constexpr uint64_t kLargestTime = 2147483647;

// A first look at the file: is it whole, and how many note events could it
// give (the size of the table to set aside)?
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

// The division as the text reader scans it from "MFile F T D": an SMPTE
// division is written as a negative number of frames per second.
int32_t division_as_read(unsigned division) {
  if (division & 0x8000) return static_cast<int8_t>(division >> 8);
  return static_cast<int32_t>(division);
}

// The score reader's rules, applied to the event of each line the MIDI text
// rendering would hold (see read_score.cc, which applies them to the
// lines): the rendering of every note event has all its fields, so no field
// is carried from line to line here.
class EventReader : public MidiEvents {
 public:
  EventReader(RunState& state, bool sequence_names_track) : state_(state) {
    fields_.sequence_names_track = sequence_names_track;
  }

  void header(unsigned, unsigned, unsigned) override {}

  void track_begin(bool first) override {
    ++line_;
    end_wait();
    first_track_ = first;
    if (!fields_.in_section && state_.all_tracks) {
      start_unnamed_track(fields_);
    }
    fields_.track_waits = !fields_.in_section;
  }

  void track_end() override {
    ++line_;
    end_wait();
  }

  void channel(uint64_t time, unsigned status, unsigned first,
               unsigned second) override {
    ++line_;
    if (fields_.track_waits) {
      if (time != 0) {
        end_wait();
      } else if (is_note(status)) {
        held_.push_back(HeldNote{status, first, second});
        return;
      }
    }
    read_channel(time, status, first, second);
  }

  void meta(uint64_t time, unsigned type, std::string_view data) override {
    ++line_;
    const bool sequence_name = type == kTrackName && first_track_;
    if (time == 0 && type == kTrackName &&
        (!first_track_ || fields_.sequence_names_track)) {
      read_name_line(state_, fields_, line_text(type, data));
      end_wait();
      return;
    }
    if (fields_.track_waits) {
      if (time != 0 || type == kEndOfTrack) {
        end_wait();
      } else if (!held_.empty()) {
        // The first held note would have opened a section, where this
        // line changes nothing (keeps no sequence name).
        return;
      }
    }
    if (!fields_.in_section) {
      if (state_.all_tracks && !fields_.track_named && time == 0 &&
          sequence_name) {
        keep_sequence_name(fields_, line_text(type, data));
      }
      return;
    }
    if (time > kLargestTime) number_out_of_range(state_, line_);
    if (type == kEndOfTrack) fields_.in_section = false;
  }

  void sysex(uint64_t time, std::string_view) override { other_line(time); }
  void escape(uint64_t time, std::string_view) override { other_line(time); }

  // The score has ended.
  void finish() { end_wait(); }

 private:
  // A note of time 0 held while its track waits for its name.
  struct HeldNote {
    unsigned status, first, second;
  };

  static bool is_note(unsigned status) {
    return status >> 4 == kNoteOn || status >> 4 == kNoteOff;
  }

  // Ends a track's wait: its held notes are read where it ends, after its
  // name line in the named track's section, or else as they would have
  // been had none waited.
  void end_wait() {
    fields_.track_waits = false;
    for (const HeldNote& note : held_) {
      read_channel(0, note.status, note.first, note.second);
    }
    held_.clear();
  }

  // A channel line, read where it stands.
  void read_channel(uint64_t time, unsigned status, unsigned first,
                    unsigned second) {
    const unsigned kind = status >> 4;
    const bool note_line = is_note(status);
    if (!fields_.in_section) {
      // A time out of range stops the line's own scan before its kind word.
      const bool scanned = time <= kLargestTime;
      if (state_.all_tracks && !fields_.track_named && note_line && scanned) {
        name_track_by_note(state_, fields_);
      } else {
        if (scanned && kind == kNoteOn && second > 0) {
          ++state_.passed_over_notes;
        }
        return;
      }
    }
    if (time > kLargestTime) number_out_of_range(state_, line_);
    if (!note_line) return;
    append_event(state_, EventRecord{static_cast<int32_t>(time),
                                     static_cast<int32_t>((status & 15) + 1),
                                     static_cast<int32_t>(first),
                                     kind == kNoteOn
                                         ? static_cast<int32_t>(second)
                                         : 0});
  }

  // A line that is neither a note nor a name nor an end.
  void other_line(uint64_t time) {
    ++line_;
    // At time 0 it would change nothing, held or not.
    if (fields_.track_waits && time != 0) end_wait();
    if (fields_.in_section && time > kLargestTime) {
      number_out_of_range(state_, line_);
    }
  }

  // The rendered line of a name meta event at time 0.
  std::string line_text(unsigned type, std::string_view data) const {
    std::string line = "0 ";
    append_meta_event(line, type, data, first_track_);
    return line;
  }

  RunState& state_;
  ReaderFields fields_;
  std::vector<HeldNote> held_;
  uint64_t line_ = 1;  // the header's
  bool first_track_ = false;
};

}  // namespace

void read_midi_score(RunState& state, const std::string& name,
                     std::string_view bytes) {
  Survey survey;
  MidiFileError error;
  if (!decode_midi_file(bytes, survey, error)) {
    fail(state, "\nBadly formed MIDI file " + name + ": " +
                    error.reason + " at byte " + std::to_string(error.offset) +
                    ".\n");
  }
  take_division(state, division_as_read(survey.division_));
  reserve_events(state, survey.notes_ + 1);
  say(state, "Instruments: ");
  state.output->write("// MORVANE file.\n");
  EventReader reader(state, survey.format_ == 0);
  // Whole, as the survey found: this pass meets no damage.
  decode_midi_file(bytes, reader, error);
  reader.finish();
  say(state, "\nNumber of lines in array " +
                 std::to_string(state.table.events()) + "\n");
}

}  // namespace morvane
