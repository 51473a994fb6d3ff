#include "reader/midi/midi_decoder.h"

namespace morvane {
namespace {

// A damaged file: thrown inside the decoder, caught at its entry.
struct Damage {
  const char* reason;
  uint64_t offset;
};

// Reads big-endian numbers and bytes of a region, never past its end.
class Reader {
 public:
  Reader(std::string_view file, std::size_t begin, std::size_t end)
      : file_(file), pos_(begin), end_(end) {}

  std::size_t pos() const { return pos_; }
  bool at_end() const { return pos_ >= end_; }
  std::size_t left() const { return end_ - pos_; }

  uint8_t byte(const char* reason) {
    if (pos_ >= end_) throw Damage{reason, pos_};
    return static_cast<uint8_t>(file_[pos_++]);
  }

  uint32_t number(int width, const char* reason) {
    if (static_cast<std::size_t>(width) > left()) throw Damage{reason, pos_};
    uint32_t value = 0;
    for (int k = 0; k < width; ++k) value = value << 8 | byte(reason);
    return value;
  }

  uint32_t variable_length(const char* reason) {
    const std::size_t start = pos_;
    uint32_t value = 0;
    for (int k = 0; k < 4; ++k) {
      const uint8_t b = byte(reason);
      value = value << 7 | (b & 0x7f);
      if ((b & 0x80) == 0) return value;
    }
    throw Damage{"variable-length number longer than 4 bytes", start};
  }

  std::string_view bytes(uint32_t length, const char* reason) {
    if (length > left()) throw Damage{reason, pos_};
    std::string_view out = file_.substr(pos_, length);
    pos_ += length;
    return out;
  }

 private:
  std::string_view file_;
  std::size_t pos_;
  std::size_t end_;
};

constexpr char kEventPastChunk[] = "event runs past the end of its chunk";

class TrackDecoder {
 public:
  explicit TrackDecoder(MidiEvents& events) : events_(events) {}

  void decode(Reader& in, bool first) {
    events_.track_begin(first);
    while (!in.at_end()) event(in);
    if (sysex_pending_) {
      throw Damage{"system exclusive message not completed", in.pos()};
    }
    events_.track_end();
  }

 private:
  void event(Reader& in) {
    events_.event_byte = in.pos();
    time_ += in.variable_length(kEventPastChunk);
    const std::size_t at = in.pos();
    const uint8_t status = in.byte(kEventPastChunk);
    if (sysex_pending_ && status != 0xf7) {
      throw Damage{"system exclusive message not continued", at};
    }
    if (status < 0x80) {
      if (running_status_ == 0) {
        throw Damage{"data byte where a status is needed", at};
      }
      channel_message(in, running_status_, status);
    } else if (status < 0xf0) {
      running_status_ = status;
      channel_message(in, status, in.byte(kEventPastChunk));
    } else if (status == 0xff) {
      const uint8_t type = in.byte(kEventPastChunk);
      const uint32_t length = in.variable_length(kEventPastChunk);
      events_.meta(time_, type, in.bytes(length, kEventPastChunk));
    } else if (status == 0xf0 || status == 0xf7) {
      sysex_event(in, status);
    } else {
      throw Damage{"status byte not allowed in a MIDI file", at};
    }
  }

  void channel_message(Reader& in, uint8_t status, uint8_t first) {
    const unsigned kind = status >> 4;
    const unsigned second =
        kind == 0xc || kind == 0xd ? 0u : in.byte(kEventPastChunk);
    events_.channel(time_, status, first, second);
  }

  void sysex_event(Reader& in, uint8_t status) {
    const uint32_t length = in.variable_length(kEventPastChunk);
    const std::string_view data = in.bytes(length, kEventPastChunk);
    const bool ends = !data.empty() && static_cast<uint8_t>(data.back()) == 0xf7;
    if (status == 0xf0 || sysex_pending_) {
      sysex_.append(data);
      sysex_pending_ = !ends;
      if (ends) {
        events_.sysex(time_, sysex_);
        sysex_.clear();
      }
      return;
    }
    events_.escape(time_, data);
  }

  MidiEvents& events_;
  uint64_t time_ = 0;
  uint8_t running_status_ = 0;
  bool sysex_pending_ = false;
  std::string sysex_;  // packets of a divided message so far
};

// Decodes the header chunk; returns the number of tracks it announces.
uint32_t decode_header(Reader& in, MidiEvents& events) {
  in.bytes(4, "header chunk runs past the end of the file");  // "MThd"
  const uint32_t length =
      in.number(4, "header chunk runs past the end of the file");
  if (length < 6) throw Damage{"header chunk shorter than 6 bytes", 4};
  if (length > in.left()) {
    throw Damage{"header chunk runs past the end of the file", 0};
  }
  const std::size_t body = in.pos();
  const uint32_t format = in.number(2, "");
  const uint32_t tracks = in.number(2, "");
  const uint32_t division = in.number(2, "");
  if (format > 2) throw Damage{"format above 2", body};
  in.bytes(length - 6, "");
  events.header(format, tracks, division);
  return tracks;
}

}  // namespace

std::optional<MidiFileError> decode_midi_file(std::string_view bytes,
                                              MidiEvents& events) {
  try {
    Reader in(bytes, 0, bytes.size());
    const uint32_t announced = decode_header(in, events);
    uint32_t chunks = 0;
    bool first_track = true;
    // Every MTrk chunk to the file's end is a track, however many are
    // announced. Under 8 bytes left are padding after the announced chunks,
    // else a chunk cut short.
    for (;; ++chunks) {
      if (in.left() < 8) {
        if (in.left() > 0 && chunks < announced) {
          throw Damage{"chunk runs past the end of the file", in.pos()};
        }
        break;
      }
      const std::size_t chunk = in.pos();
      const std::string_view type = in.bytes(4, "");
      const uint32_t length = in.number(4, "");
      if (length > in.left()) {
        throw Damage{"chunk runs past the end of the file", chunk};
      }
      if (type == "MTrk") {
        Reader track(bytes, in.pos(), in.pos() + length);
        TrackDecoder(events).decode(track, first_track);
        first_track = false;
      }
      in.bytes(length, "");
    }
  } catch (const Damage& damage) {
    return MidiFileError{damage.reason, damage.offset};
  }
  return std::nullopt;
}

}  // namespace morvane
