#include "reader/midi/midi_file.h"

#include <memory>

#include "writer/format_decimal.h"

namespace morvane {
namespace {

// A damaged file: thrown inside the decoder, caught at its entry.
struct Damage {
  const char* reason;
  uint64_t offset;
};

constexpr char kHex[] = "0123456789abcdef";

void append_hex_byte(std::string& out, uint8_t byte) {
  out.push_back(kHex[byte >> 4]);
  out.push_back(kHex[byte & 15]);
}

// " xx" for every byte.
void append_bytes(std::string& out, std::string_view bytes) {
  for (char c : bytes) {
    out.push_back(' ');
    append_hex_byte(out, static_cast<uint8_t>(c));
  }
}

// Text of a meta event, in quotes with C-like escapes.
void append_quoted(std::string& out, std::string_view text) {
  out.push_back('"');
  for (char c : text) {
    const auto byte = static_cast<uint8_t>(c);
    switch (byte) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      case 0: out += "\\0"; break;
      default:
        if (byte >= 32 && byte <= 126) {
          out.push_back(c);
        } else {
          out += "\\x";
          append_hex_byte(out, byte);
        }
    }
  }
  out.push_back('"');
}

// 2 to the power exponent, in decimal, for any byte-sized exponent.
void append_power_of_two(std::string& out, unsigned exponent) {
  std::string digits = "1";  // least significant digit first
  for (unsigned k = 0; k < exponent; ++k) {
    int carry = 0;
    for (char& d : digits) {
      const int v = (d - '0') * 2 + carry;
      d = static_cast<char>('0' + v % 10);
      carry = v / 10;
    }
    if (carry != 0) digits.push_back(static_cast<char>('0' + carry));
  }
  out.append(digits.rbegin(), digits.rend());
}

// Reads big-endian numbers and bytes of a region of the file, refusing to
// go past its end.
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

// The byte at index, or 0 when a short meta event does not store it.
unsigned byte_or_zero(std::string_view data, std::size_t index) {
  return index < data.size() ? static_cast<uint8_t>(data[index]) : 0u;
}

class TrackRenderer {
 public:
  TrackRenderer(std::string& text, bool first_track)
      : text_(text), first_track_(first_track) {}

  void render(Reader& in) {
    text_ += "MTrk\n";
    while (!in.at_end()) event(in);
    if (sysex_pending_) {
      throw Damage{"system exclusive message not completed", in.pos()};
    }
    text_ += "TrkEnd\n";
  }

 private:
  void start_line() {
    append_int(text_, static_cast<int64_t>(time_));
    text_.push_back(' ');
  }

  void event(Reader& in) {
    time_ += in.variable_length(kEventPastChunk);
    const std::size_t at = in.pos();
    uint8_t status = in.byte(kEventPastChunk);
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
      meta_event(in);
    } else if (status == 0xf0 || status == 0xf7) {
      sysex_event(in, status);
    } else {
      throw Damage{"status byte not allowed in a MIDI file", at};
    }
  }

  void channel_message(Reader& in, uint8_t status, uint8_t first) {
    const unsigned channel = (status & 0x0f) + 1u;
    const unsigned kind = status >> 4;
    start_line();
    auto field = [this](const char* name, unsigned value) {
      text_ += name;
      append_int(text_, value);
    };
    switch (kind) {
      case 0x8: text_ += "Off"; break;
      case 0x9: text_ += "On"; break;
      case 0xa: text_ += "PoPr"; break;
      case 0xb: text_ += "Par"; break;
      case 0xc: text_ += "PrCh"; break;
      case 0xd: text_ += "ChPr"; break;
      default: text_ += "Pb"; break;
    }
    field(" ch=", channel);
    if (kind == 0xc) {
      field(" p=", first);
    } else if (kind == 0xd) {
      field(" v=", first);
    } else {
      const uint8_t second = in.byte(kEventPastChunk);
      if (kind == 0xe) {
        field(" v=", 128u * second + first);
      } else {
        field(kind == 0xb ? " c=" : " n=", first);
        field(" v=", second);
      }
    }
    text_.push_back('\n');
  }

  void meta_event(Reader& in) {
    const uint8_t type = in.byte(kEventPastChunk);
    const uint32_t length = in.variable_length(kEventPastChunk);
    const std::string_view data = in.bytes(length, kEventPastChunk);
    start_line();
    static const char* const kTextKinds[] = {
        nullptr,   "Text",   "Copyright", "TrkName", "InstrName",
        "Lyric",   "Marker", "Cue",       "Unrec"};
    if (type >= 1 && type <= 15) {
      text_ += "Meta ";
      if (type == 3 && first_track_) {
        text_ += "SeqName";
      } else if (type <= 8) {
        text_ += kTextKinds[type];
      } else {
        text_ += "0x";
        append_hex_byte(text_, type);
      }
      text_.push_back(' ');
      append_quoted(text_, data);
    } else {
      fixed_meta(type, data);
    }
    text_.push_back('\n');
  }

  void fixed_meta(uint8_t type, std::string_view data) {
    auto at = [data](std::size_t index) { return byte_or_zero(data, index); };
    auto number = [this](unsigned value) {
      text_.push_back(' ');
      append_int(text_, value);
    };
    switch (type) {
      case 0x00:
        text_ += "SeqNr";
        number(at(0) << 8 | at(1));
        break;
      case 0x2f:
        text_ += "Meta TrkEnd";
        break;
      case 0x51:
        text_ += "Tempo";
        number(at(0) << 16 | at(1) << 8 | at(2));
        break;
      case 0x54:
        text_ += "SMPTE";
        for (std::size_t k = 0; k < 5; ++k) number(at(k));
        break;
      case 0x58:
        text_ += "TimeSig";
        number(at(0));
        text_.push_back('/');
        append_power_of_two(text_, at(1));
        number(at(2));
        number(at(3));
        break;
      case 0x59:
        text_ += "KeySig ";
        append_int(text_, static_cast<int8_t>(at(0)));
        text_ += at(1) == 0 ? " major" : " minor";
        break;
      case 0x7f:
        text_ += "SeqSpec";
        append_bytes(text_, data);
        break;
      default:
        text_ += "Meta 0x";
        append_hex_byte(text_, type);
        append_bytes(text_, data);
    }
  }

  void sysex_event(Reader& in, uint8_t status) {
    const uint32_t length = in.variable_length(kEventPastChunk);
    const std::string_view data = in.bytes(length, kEventPastChunk);
    const bool ends = !data.empty() && static_cast<uint8_t>(data.back()) == 0xf7;
    if (status == 0xf0 || sysex_pending_) {
      sysex_.append(data);
      sysex_pending_ = !ends;
      if (ends) {
        start_line();
        text_ += "SysEx f0";
        append_bytes(text_, sysex_);
        text_.push_back('\n');
        sysex_.clear();
      }
      return;
    }
    start_line();
    text_ += "Arb";
    append_bytes(text_, data);
    text_.push_back('\n');
  }

  std::string& text_;
  const bool first_track_;
  uint64_t time_ = 0;
  uint8_t running_status_ = 0;
  bool sysex_pending_ = false;
  std::string sysex_;  // packets of a divided message so far
};

// Renders the header chunk; returns the number of tracks it announces.
uint32_t render_header(Reader& in, std::string& text) {
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
  text += "MFile ";
  append_int(text, format);
  text.push_back(' ');
  append_int(text, tracks);
  text.push_back(' ');
  if (division & 0x8000) {
    // SMPTE: frames per second as a negative number, then ticks per frame.
    append_int(text, static_cast<int8_t>(division >> 8));
    text.push_back(' ');
    append_int(text, division & 0xff);
  } else {
    append_int(text, division);
  }
  text.push_back('\n');
  return tracks;
}

}  // namespace

bool render_midi_text(std::string_view bytes, std::string& text,
                      MidiFileError& error) {
  try {
    Reader in(bytes, 0, bytes.size());
    const uint32_t announced = render_header(in, text);
    uint32_t chunks = 0;
    bool first_track = true;
    // Every MTrk chunk to the end of the file is a track, however many the
    // header announces. Too few bytes left for a chunk header are padding
    // once every announced chunk is there, and a chunk cut short before.
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
        TrackRenderer(text, first_track).render(track);
        first_track = false;
      }
      in.bytes(length, "");
    }
  } catch (const Damage& damage) {
    error.reason = damage.reason;
    error.offset = damage.offset;
    return false;
  }
  return true;
}

}  // namespace morvane
