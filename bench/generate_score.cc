// Writes a realistic MIDI text score of about the requested number of event
// lines to standard output: several named tracks of melody and chords, notes
// ended both by "Off ... v=64" and "On ... v=0", repeated notes and shared
// ticks, program changes, controllers and pitch bends. The same size always
// gives the same score.
//
//   generate_score 1000000 > score.txt
//   generate_score --midi 1000000 > score.mid
//
// With --midi the same events are written as a standard MIDI file, each
// track's events in time order (stably: lines of one tick keep their order)
// and with running status, as MIDI files are usually written.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kTracks = 8;
constexpr int kDivision = 480;

// The events of one track, kept for the MIDI file: a tick and the bytes of
// the message (status first), or a meta event.
struct Message {
  long tick;
  std::string bytes;
};

// Where the events go: MIDI text lines printed at once, or messages kept.
struct Out {
  std::FILE* text = nullptr;        // the text score, or
  std::vector<Message>* midi = nullptr;  // the MIDI file's track

  void channel(long tick, const char* kind, int status, int channel, int a,
               int b, bool two) {
    if (text != nullptr) {
      if (std::strcmp(kind, "PrCh") == 0) {
        std::fprintf(text, "%ld PrCh ch=%d p=%d\n", tick, channel, a);
      } else if (std::strcmp(kind, "Pb") == 0) {
        std::fprintf(text, "%ld Pb ch=%d v=%d\n", tick, channel, a);
      } else {
        std::fprintf(text, "%ld %s ch=%d %s=%d v=%d\n", tick, kind, channel,
                     std::strcmp(kind, "Par") == 0 ? "c" : "n", a, b);
      }
      return;
    }
    std::string bytes(1, static_cast<char>(status | (channel - 1)));
    if (std::strcmp(kind, "Pb") == 0) {
      bytes += static_cast<char>(a & 127);
      bytes += static_cast<char>(a >> 7);
    } else {
      bytes += static_cast<char>(a);
      if (two) bytes += static_cast<char>(b);
    }
    midi->push_back({tick, bytes});
  }
};

void track(Out out, int index, long events, std::mt19937& random) {
  auto pick = [&random](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  const int channel = index + 1;
  if (out.text != nullptr) {
    std::fprintf(out.text, "MTrk\n0 Meta TrkName Part%d Voice\n", index + 1);
  } else {
    const std::string name = "Part" + std::to_string(index + 1) + " Voice";
    out.midi->push_back({0, std::string("\xff\x03", 2) +
                                static_cast<char>(name.size()) + name});
  }
  out.channel(0, "PrCh", 0xc0, channel, pick(0, 127), 0, false);
  out.channel(0, "Par", 0xb0, channel, 7, 100, true);
  long written = 2;
  long tick = 0;
  while (written < events) {
    const int step = (pick(0, 3) == 0 ? 120 : 240) * pick(1, 2);
    const int length = step * pick(1, 3) / 2;
    const int chord = pick(0, 4) == 0 ? 3 : 1;
    const int root = pick(48, 72);
    const bool off_lines = pick(0, 1) == 0;
    for (int k = 0; k < chord; ++k) {
      out.channel(tick, "On", 0x90, channel, root + 4 * k, pick(40, 110), true);
    }
    if (pick(0, 9) == 0) {
      out.channel(tick + 10, "Pb", 0xe0, channel, pick(0, 16383), 0, true);
      ++written;
    }
    if (pick(0, 19) == 0) {
      out.channel(tick, "Par", 0xb0, channel, 64, pick(0, 1) * 127, true);
      ++written;
    }
    for (int k = 0; k < chord; ++k) {
      if (off_lines) {
        out.channel(tick + length, "Off", 0x80, channel, root + 4 * k, 64, true);
      } else {
        out.channel(tick + length, "On", 0x90, channel, root + 4 * k, 0, true);
      }
    }
    written += 2 * chord;
    tick += step;
  }
  if (out.text != nullptr) {
    std::fprintf(out.text, "%ld Meta TrkEnd\nTrkEnd\n", tick);
  } else {
    // The track ends after its last note ends.
    for (const Message& m : *out.midi) tick = std::max(tick, m.tick);
    out.midi->push_back({tick, std::string("\xff\x2f\x00", 3)});
  }
}

void put_number(std::string& out, uint32_t value, int bytes) {
  for (int k = bytes - 1; k >= 0; --k) out += static_cast<char>(value >> (8 * k));
}

void put_variable(std::string& out, uint32_t value) {
  char groups[5];
  int n = 0;
  do {
    groups[n++] = static_cast<char>(value & 127);
    value >>= 7;
  } while (value != 0);
  while (n > 1) out += static_cast<char>(groups[--n] | 0x80);
  out += groups[0];
}

// One MTrk chunk: the messages in time order, with running status.
std::string chunk(std::vector<Message> messages) {
  std::stable_sort(messages.begin(), messages.end(),
                   [](const Message& a, const Message& b) { return a.tick < b.tick; });
  std::string body;
  long tick = 0;
  unsigned running = 0;
  for (const Message& m : messages) {
    put_variable(body, static_cast<uint32_t>(m.tick - tick));
    tick = m.tick;
    const auto status = static_cast<unsigned char>(m.bytes[0]);
    if (status < 0xf0 && status == running) {
      body.append(m.bytes, 1);
    } else {
      body += m.bytes;
      running = status < 0xf0 ? status : 0;
    }
  }
  std::string out = "MTrk";
  put_number(out, static_cast<uint32_t>(body.size()), 4);
  return out + body;
}

int write_midi(long events) {
  std::mt19937 random(static_cast<unsigned>(events));
  std::string file = "MThd";
  put_number(file, 6, 4);
  put_number(file, 1, 2);
  put_number(file, kTracks + 1, 2);
  put_number(file, kDivision, 2);
  file += chunk({{0, std::string("\xff\x51\x03\x07\xa1\x20", 6)},
                 {0, std::string("\xff\x2f\x00", 3)}});
  for (int t = 0; t < kTracks; ++t) {
    std::vector<Message> messages;
    track(Out{nullptr, &messages}, t, events / kTracks, random);
    file += chunk(std::move(messages));
  }
  return std::fwrite(file.data(), 1, file.size(), stdout) == file.size() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const bool midi = argc == 3 && std::strcmp(argv[1], "--midi") == 0;
  if (argc != 2 && !midi) {
    std::fprintf(stderr, "usage: generate_score [--midi] EVENT_LINES\n");
    return 2;
  }
  const long events = std::atol(argv[argc - 1]);
  if (midi) return write_midi(events);
  std::mt19937 random(static_cast<unsigned>(events));
  std::vector<char> buffer(1 << 20);
  std::setvbuf(stdout, buffer.data(), _IOFBF, buffer.size());
  std::printf("MFile 1 %d %d\nMTrk\n0 Tempo 500000\n0 Meta TrkEnd\nTrkEnd\n",
              kTracks + 1, kDivision);
  for (int t = 0; t < kTracks; ++t) {
    track(Out{stdout, nullptr}, t, events / kTracks, random);
  }
  // The buffer goes with this scope: empty it while it is still there.
  std::fflush(stdout);
  return 0;
}
