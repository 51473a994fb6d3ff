#include "midi_file.h"

#include "reader/midi/meta_text.h"
#include "writer/format_decimal.h"

namespace morvane {
namespace {

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

// The byte at index, or 0 when a short meta event does not store it.
unsigned byte_or_zero(std::string_view data, std::size_t index) {
  return index < data.size() ? static_cast<uint8_t>(data[index]) : 0u;
}

void append_fixed_meta(std::string& text, unsigned type, std::string_view data) {
  auto at = [data](std::size_t index) { return byte_or_zero(data, index); };
  auto number = [&text](unsigned value) {
    text.push_back(' ');
    append_int(text, value);
  };
  switch (type) {
    case 0x00:
      text += "SeqNr";
      number(at(0) << 8 | at(1));
      break;
    case 0x2f:
      text += "Meta TrkEnd";
      break;
    case 0x51:
      text += "Tempo";
      number(at(0) << 16 | at(1) << 8 | at(2));
      break;
    case 0x54:
      text += "SMPTE";
      for (std::size_t k = 0; k < 5; ++k) number(at(k));
      break;
    case 0x58:
      text += "TimeSig";
      number(at(0));
      text.push_back('/');
      append_power_of_two(text, at(1));
      number(at(2));
      number(at(3));
      break;
    case 0x59:
      text += "KeySig ";
      append_int(text, static_cast<int8_t>(at(0)));
      text += at(1) == 0 ? " major" : " minor";
      break;
    case 0x7f:
      text += "SeqSpec";
      append_bytes(text, data);
      break;
    default:
      text += "Meta 0x";
      append_hex_byte(text, static_cast<uint8_t>(type));
      append_bytes(text, data);
  }
}

// The text of a meta event after its time and a blank, as in
// "Meta TrkName \"Flute\"" (a first track's name is "Meta SeqName").
void append_meta_event(std::string& text, unsigned type, std::string_view data,
                       bool first_track) {
  static const char* const kTextKinds[] = {
      nullptr,   "Text",   "Copyright", "TrkName", "InstrName",
      "Lyric",   "Marker", "Cue",       "Unrec"};
  if (type >= 1 && type <= 15) {
    text += "Meta ";
    if (type == 3 && first_track) {
      text += "SeqName";
    } else if (type <= 8) {
      text += kTextKinds[type];
    } else {
      text += "0x";
      append_hex_byte(text, static_cast<uint8_t>(type));
    }
    text.push_back(' ');
    append_quoted(text, data);
  } else {
    append_fixed_meta(text, type, data);
  }
}

class TextRenderer : public MidiEvents {
 public:
  TextRenderer(std::string& text, std::vector<LinePlace>* places)
      : text_(text), places_(places) {}

  void header(unsigned format, unsigned tracks, unsigned division) override {
    place_line();
    text_ += "MFile ";
    append_int(text_, format);
    text_.push_back(' ');
    append_int(text_, tracks);
    text_.push_back(' ');
    if (division & 0x8000) {
      // SMPTE: frames per second as a negative number, then ticks per frame.
      append_int(text_, static_cast<int8_t>(division >> 8));
      text_.push_back(' ');
      append_int(text_, division & 0xff);
    } else {
      append_int(text_, division);
    }
    text_.push_back('\n');
  }

  void track_begin(bool first) override {
    first_track_ = first;
    ++track_;
    place_line();
    text_ += "MTrk\n";
  }

  void track_end() override {
    place_line();
    text_ += "TrkEnd\n";
  }

  void channel(uint64_t time, unsigned status, unsigned first,
               unsigned second) override {
    const unsigned channel = (status & 0x0f) + 1u;
    const unsigned kind = status >> 4;
    start_line(time);
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
    } else if (kind == 0xe) {
      field(" v=", 128u * second + first);
    } else {
      field(kind == 0xb ? " c=" : " n=", first);
      field(" v=", second);
    }
    text_.push_back('\n');
  }

  void meta(uint64_t time, unsigned type, std::string_view data) override {
    start_line(time);
    append_meta_event(text_, type, data, first_track_);
    text_.push_back('\n');
  }

  void sysex(uint64_t time, std::string_view data) override {
    start_line(time);
    text_ += "SysEx f0";
    append_bytes(text_, data);
    text_.push_back('\n');
  }

  void escape(uint64_t time, std::string_view data) override {
    start_line(time);
    text_ += "Arb";
    append_bytes(text_, data);
    text_.push_back('\n');
  }

 private:
  void start_line(uint64_t time) {
    place_line();
    append_int(text_, static_cast<int64_t>(time));
    text_.push_back(' ');
  }

  void place_line() {
    if (places_ == nullptr) return;
    places_->push_back(LinePlace{places_->size() + 1, track_, event_byte});
  }

  std::string& text_;
  std::vector<LinePlace>* places_;
  uint64_t track_ = 0;
  bool first_track_ = false;
};

}  // namespace

bool render_midi_text(std::string_view bytes, std::string& text,
                      MidiFileError& error, std::vector<LinePlace>* places) {
  TextRenderer renderer(text, places);
  const std::optional<MidiFileError> damage = decode_midi_file(bytes, renderer);
  if (damage) error = *damage;
  return !damage;
}

}  // namespace morvane
