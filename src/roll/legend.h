// The legend below a piano roll: the instruments, then a key of the
// channels' colours, each wrapped into lines within the picture's width
// however many there are:
//
//   Instruments: Solo Flute; Second Flute; Strings; Timpani; Drum
//   Kit; Choir
//   Channels: [] 0 (MIDI 1)  [] 1 (MIDI 2)  [] 9 (MIDI 10, drums)
//
// SVG has no text that wraps itself, so lines are broken where the text's
// width, estimated from its characters at the roll's font size, would pass
// the width given; the estimate errs wide.

#ifndef MORVANE_ROLL_LEGEND_H_
#define MORVANE_ROLL_LEGEND_H_

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace morvane {

// The legend's text size and line spacing, in pixels.
inline constexpr double kLegendFont = 10;
inline constexpr double kLegendLine = 16;

struct Legend {
  std::string svg;  // its elements
  int lines = 0;
};

// The legend of instruments (as a note list names them, any bytes) and
// channels (counted from 0), its first line's baseline at y, from x to
// no further than x + width.
Legend draw_legend(const std::vector<std::string>& instruments,
                   const std::set<int64_t>& channels, double x, double y,
                   double width);

// A channel as the note list counts it and as musicians know it:
// "0 (MIDI 1)", "9 (MIDI 10, drums)"; a number outside MIDI's sixteen
// (only a hand-made list has one) alone.
std::string channel_label(int64_t channel);

// The colour of a channel's notes: one of sixteen.
const char* channel_colour(int64_t channel);

// The width text is drawn at, at most, in pixels at kLegendFont.
double text_width(std::u32string_view text);

}  // namespace morvane

#endif  // MORVANE_ROLL_LEGEND_H_
