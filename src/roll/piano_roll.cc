#include "roll/piano_roll.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>
#include <set>
#include <unordered_map>
#include <vector>

#include "roll/legend.h"
#include "roll/xml_text.h"

namespace morvane {
namespace {

bool is_black(int64_t key) {
  const int64_t pitch = ((key % 12) + 12) % 12;
  return pitch == 1 || pitch == 3 || pitch == 6 || pitch == 8 || pitch == 10;
}

// Room for any double in fixed notation: the largest has 309 digits.
constexpr std::size_t kNumberRoom = 320;

void put3(std::string& out, double value) {
  char text[kNumberRoom];
  const int n = std::snprintf(text, sizeof text, "%.3f", value);
  out.append(text, static_cast<std::size_t>(n));
}

bool drawn(const ListedNote& note) { return note.velocity >= 0; }

// The widest picture of beats: wider than a browser draws well, and grid
// lines and labels are spaced by pixels, so this bounds their number.
constexpr double kMaxWidth = 16000;

// The rows of keys drawn at most: all 128 of MIDI; a list of keys beyond
// them (which only a hand-made list has) is cut there.
constexpr int64_t kMostRows = 132;

// Keys this far from 0 are taken as this far, so that the rows about them
// and the distances between them are sums that cannot overflow.
constexpr int64_t kFarKey = std::numeric_limits<int64_t>::max() / 4;

// Finite even where start and duration are both near the largest double.
double end_of(const ListedNote& note) {
  return std::min(note.start_beats + std::max(0.0, note.duration_beats),
                  std::numeric_limits<double>::max());
}

// A mark on the roll: one note, or the notes of one channel and key that
// start in one pixel column.
struct Mark {
  const ListedNote* first;
  double start, end;
  std::size_t notes;
};

std::vector<Mark> marks_of(const NoteList& list, const RollLayout& layout) {
  std::vector<Mark> marks;
  const bool merge = list.notes.size() > kMergeAbove;
  // Per channel and key: the mark its last note went into.
  std::unordered_map<uint64_t, std::size_t> last;
  for (const ListedNote& note : list.notes) {
    if (!drawn(note)) continue;
    if (merge) {
      const uint64_t id = static_cast<uint64_t>(note.channel) << 32 ^
                          static_cast<uint64_t>(note.key);
      auto found = last.find(id);
      if (found != last.end()) {
        Mark& mark = marks[found->second];
        if (std::floor(layout.x(mark.start)) ==
            std::floor(layout.x(note.start_beats))) {
          mark.start = std::min(mark.start, note.start_beats);
          mark.end = std::max(mark.end, end_of(note));
          ++mark.notes;
          continue;
        }
      }
      last[id] = marks.size();
    }
    marks.push_back({&note, note.start_beats, end_of(note), 1});
  }
  return marks;
}

void put_mark(std::string& out, const Mark& mark, const RollLayout& layout) {
  const ListedNote& note = *mark.first;
  // The picture is at most kMaxWidth wide: a note that starts or ends far
  // outside it (a hand-made list's 1e300) is cut well outside it, so that
  // its numbers stay short.
  constexpr double kFar = 1e6;
  const double left = std::clamp(layout.x(mark.start), -kFar, kFar);
  const double right = std::clamp(layout.x(mark.end), -kFar, kFar);
  const double width = std::max(RollLayout::kMinMark, right - left);
  out += "<rect class=\"note\" x=\"";
  put_number(out, left);
  out += "\" y=\"";
  put_number(out, layout.y(note.key) + 0.5);
  out += "\" width=\"";
  put_number(out, width);
  out += "\" height=\"";
  put_number(out, RollLayout::kRow - 1);
  out += "\" fill=\"";
  out += channel_colour(note.channel);
  out += "\" fill-opacity=\"";
  put_number(out, 0.3 + 0.7 *
                           static_cast<double>(
                               std::clamp<int64_t>(note.velocity, 0, 127)) /
                           127);
  out += "\"><title>";
  if (mark.notes > 1) {
    out += std::to_string(mark.notes) + " notes from ";
    put3(out, mark.start);
    out += " to ";
    put3(out, mark.end);
  } else {
    out += "start ";
    put3(out, note.start_beats);
    out += ", duration ";
    put3(out, note.duration_beats);
  }
  out += ", channel " + std::to_string(note.channel) + ", key " +
         std::to_string(note.key) + " (" + key_name(note.key) + ")";
  if (mark.notes == 1) out += ", velocity " + std::to_string(note.velocity);
  out += "</title></rect>\n";
}

void put_line(std::string& out, double x1, double y1, double x2, double y2,
              const char* stroke) {
  out += "<line x1=\"";
  put_number(out, x1);
  out += "\" y1=\"";
  put_number(out, y1);
  out += "\" x2=\"";
  put_number(out, x2);
  out += "\" y2=\"";
  put_number(out, y2);
  out += "\" stroke=\"";
  out += stroke;
  out += "\"/>\n";
}

void put_label(std::string& out, double x, double y, const char* anchor,
               std::string_view text) {
  out += "<text x=\"";
  put_number(out, x);
  out += "\" y=\"";
  put_number(out, y);
  out += "\" text-anchor=\"";
  out += anchor;
  out += "\">";
  put_xml_text(out, text);
  out += "</text>\n";
}

}  // namespace

std::string key_name(int64_t key) {
  static const char* const kNames[12] = {"C",  "C#", "D",  "D#", "E",  "F",
                                         "F#", "G",  "G#", "A",  "A#", "B"};
  const int64_t pitch = ((key % 12) + 12) % 12;
  // Rounded down, without the subtraction that overflows at the lowest key.
  const int64_t octave = key / 12 - (key % 12 < 0 ? 1 : 0) - 1;
  return kNames[pitch] + std::to_string(octave);
}

RollLayout lay_out(const NoteList& list) {
  RollLayout layout;
  int64_t low = INT64_MAX, high = INT64_MIN;
  double length = 0;
  for (const ListedNote& note : list.notes) {
    if (!drawn(note)) continue;
    low = std::min(low, note.key);
    high = std::max(high, note.key);
    length = std::max(length, end_of(note));
  }
  if (low > high) low = high = 60;  // nothing to draw: a few keys round C4
  low = std::clamp(low, -kFarKey, kFarKey);
  high = std::clamp(high, -kFarKey, kFarKey);
  layout.low_key = std::max<int64_t>(0, low - 2);
  layout.high_key = std::min<int64_t>(127, high + 2);
  if (layout.low_key > layout.high_key) {  // keys outside 0 .. 127
    layout.low_key = low - 2;
    layout.high_key = high + 2;
  }
  layout.high_key = std::min(layout.high_key, layout.low_key + kMostRows - 1);
  layout.length_beats = length;
  // A short piece gets room to read each note; a long one stays within a
  // few screens, at four pixels a beat at least up to 4,000 beats.
  const double beats = std::max(4.0, std::ceil(length));
  layout.beat_px = beats <= 25 ? 64 : std::max(4.0, std::floor(1600 / beats));
  // A piece of many thousand beats is squeezed into a width a browser
  // still draws.
  layout.beat_px = std::min(layout.beat_px, kMaxWidth / beats);
  return layout;
}

namespace {

// The summary of list but for the marks drawn; the channels used.
std::set<int64_t> sum_up(const NoteList& list, const RollLayout& layout,
                         RollSummary& summary) {
  std::set<int64_t> channels;
  summary = RollSummary{};
  summary.notes = list.notes.size();
  summary.length_beats = layout.length_beats;
  summary.low_key = std::numeric_limits<int64_t>::max();
  summary.high_key = std::numeric_limits<int64_t>::min();
  for (const ListedNote& note : list.notes) {
    if (!drawn(note)) {
      ++summary.negative_velocity;
      continue;
    }
    channels.insert(note.channel);
    summary.low_key = std::min(summary.low_key, note.key);
    summary.high_key = std::max(summary.high_key, note.key);
    if (note.duration_beats <= 0) ++summary.no_length;
  }
  if (channels.empty()) summary.low_key = summary.high_key = 0;
  for (int64_t channel : channels) {
    if (!summary.channels.empty()) summary.channels += ' ';
    summary.channels += std::to_string(channel);
  }
  return channels;
}

}  // namespace

RollSummary summarize(const NoteList& list) {
  const RollLayout layout = lay_out(list);
  RollSummary summary;
  sum_up(list, layout, summary);
  summary.drawn = marks_of(list, layout).size();
  return summary;
}

std::string draw_piano_roll(const NoteList& list, RollSummary& summary) {
  const RollLayout layout = lay_out(list);
  const double beats = std::max(4.0, std::ceil(layout.length_beats));
  const double grid_width = beats * layout.beat_px;
  const double grid_height =
      static_cast<double>(layout.high_key - layout.low_key + 1) *
      RollLayout::kRow;
  const double bottom = RollLayout::kTop + grid_height;

  const std::set<int64_t> channels = sum_up(list, layout, summary);
  const std::vector<Mark> marks = marks_of(list, layout);
  summary.drawn = marks.size();

  const Legend legend = draw_legend(list.instruments, channels,
                                    RollLayout::kLeft, bottom + 20, grid_width);
  const double width = RollLayout::kLeft + grid_width + 16;
  const double height =
      bottom + 24 + kLegendLine * static_cast<double>(legend.lines);
  std::string out;
  out.reserve(256 * marks.size() + 4096);
  out += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"";
  put_number(out, width);
  out += "\" height=\"";
  put_number(out, height);
  out += "\" viewBox=\"0 0 ";
  put_number(out, width);
  out += " ";
  put_number(out, height);
  out += "\" font-family=\"sans-serif\" font-size=\"10\">\n"
         "<style>.note{stroke:#000;stroke-opacity:.4;stroke-width:.5}"
         "</style>\n<rect width=\"100%\" height=\"100%\" fill=\"#fff\"/>\n";
  for (int64_t key = layout.low_key; key <= layout.high_key; ++key) {
    if (is_black(key)) {
      out += "<rect class=\"black-key\" x=\"";
      put_number(out, RollLayout::kLeft);
      out += "\" y=\"";
      put_number(out, layout.y(key));
      out += "\" width=\"";
      put_number(out, grid_width);
      out += "\" height=\"";
      put_number(out, RollLayout::kRow);
      out += "\" fill=\"#ececec\"/>\n";
    }
    if (((key % 12) + 12) % 12 == 0) {
      put_label(out, RollLayout::kLeft - 4, layout.y(key) + RollLayout::kRow - 1,
                "end", key_name(key));
      put_line(out, RollLayout::kLeft, layout.y(key) + RollLayout::kRow,
               RollLayout::kLeft + grid_width, layout.y(key) + RollLayout::kRow,
               "#bbb");
    }
  }
  // A line every beat where beats are apart enough to see, a stronger one
  // every 4 beats, or every 8, 16 ... where those would crowd; labels
  // likewise, further apart. Spaced by pixels in a picture of bounded
  // width, they are a bounded number however long the piece.
  double bar_every = 4;
  while (bar_every * layout.beat_px < 8) bar_every *= 2;
  double label_every = bar_every;
  while (label_every * layout.beat_px < 32) label_every *= 2;
  const double step = layout.beat_px >= 6 ? 1 : bar_every;
  const double lines = std::floor(beats / step);
  for (double line = 0; line <= lines; ++line) {
    const double beat = line * step;
    const bool bar = std::fmod(beat, bar_every) == 0;
    put_line(out, layout.x(beat), RollLayout::kTop, layout.x(beat), bottom,
             bar ? "#999" : "#ddd");
    if (std::fmod(beat, label_every) == 0) {
      char label[32];
      std::snprintf(label, sizeof label, "%.15g", beat);
      put_label(out, layout.x(beat), RollLayout::kTop - 6, "middle", label);
    }
  }
  for (const Mark& mark : marks) put_mark(out, mark, layout);

  out += legend.svg;
  out += "</svg>\n";
  return out;
}

std::string describe(const RollSummary& summary) {
  std::string text = "notes: " + std::to_string(summary.notes) + "\n";
  text += "channels: " + summary.channels + "\n";
  if (summary.channels.empty()) {
    text += "keys: none\n";
  } else {
    text += "keys: " + std::to_string(summary.low_key) + " (" +
            key_name(summary.low_key) + ") to " +
            std::to_string(summary.high_key) + " (" +
            key_name(summary.high_key) + ")\n";
  }
  text += "length: ";
  put3(text, summary.length_beats);
  text += " beats\n";
  text += "notes of no length: " + std::to_string(summary.no_length) + "\n";
  text += "notes with a negative velocity: " +
          std::to_string(summary.negative_velocity) + " (not drawn)\n";
  const std::size_t drawable = summary.notes - summary.negative_velocity;
  if (summary.drawn != drawable) {
    text += "merged: " + std::to_string(drawable) + " notes drawn as " +
            std::to_string(summary.drawn) +
            " marks (notes of one channel and key in one pixel column)\n";
  }
  return text;
}

}  // namespace morvane
