#include "roll/legend.h"

#include <cstring>
#include <utility>

#include "roll/xml_text.h"

namespace morvane {
namespace {

// One colour per channel, as far apart as sixteen can be.
constexpr const char* kPalette[16] = {
    "#1f77b4", "#d62728", "#2ca02c", "#ff7f0e", "#9467bd", "#8c564b",
    "#e377c2", "#17becf", "#bcbd22", "#7f7f7f", "#393b79", "#637939",
    "#8c6d31", "#843c39", "#7b4173", "#3182bd"};

constexpr double kSwatch = 10;       // a channel's square of colour
constexpr double kSwatchGap = 4;     // between the square and its label
constexpr double kEntryGap = 12;     // between one channel and the next
constexpr int64_t kDrumChannel = 9;  // General MIDI's percussion, from 0

// Widths in ems, a little above those of the wider sans-serif fonts
// (DejaVu Sans is wider than Arial or Helvetica), so that a line broken
// by them fits in any of them.
double em_width(char32_t c) {
  if (c >= 0x1f000) return 1.25;  // emoji and the like
  if (c >= 0x80) return 1.0;      // as wide as a CJK character
  if (std::strchr(" \t!'(),./:;I[\\]`fijlrt|", static_cast<int>(c))) {
    return 0.45;
  }
  if (std::strchr("%@MWmw", static_cast<int>(c))) return 1.0;
  if ((c >= 'A' && c <= 'Z') || std::strchr("#&+<=>^~", static_cast<int>(c))) {
    return 0.85;
  }
  return 0.66;
}

bool is_blank(char32_t c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

void put_text_element(std::string& out, double x, double y,
                      std::u32string_view text) {
  out += "<text x=\"";
  put_number(out, x);
  out += "\" y=\"";
  put_number(out, y);
  out += "\" text-anchor=\"start\">";
  put_xml_text(out, text);
  out += "</text>\n";
}

std::u32string_view stripped(std::u32string_view text) {
  while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
  return text;
}

// Lines no wider than a width, filled a piece at a time: a piece goes on
// the line begun, else on a line of its own, else (wider than a line) a
// word at a time, and a word wider than a line is broken anywhere.
class Lines {
 public:
  explicit Lines(double width) : width_(width) {}

  void place(std::u32string_view piece) {
    piece = stripped(piece);
    const double needed = text_width(piece);
    if (needed > width_) {
      while (!piece.empty()) {
        std::size_t end = 0;
        while (end < piece.size() && !is_blank(piece[end])) ++end;
        place_word(piece.substr(0, end));
        piece = stripped(piece.substr(end));
      }
      return;
    }
    if (!fits(needed)) new_line();
    add(piece, needed, true);
  }

  std::vector<std::u32string> lines() && { return std::move(lines_); }

 private:
  void place_word(std::u32string_view word) {
    const double needed = text_width(word);
    if (!fits(needed) && needed <= width_) new_line();
    if (fits(needed)) return add(word, needed, true);
    for (std::size_t k = 0; k < word.size(); ++k) {
      const double w = text_width(word.substr(k, 1));
      if (k == 0 ? !fits(w) : used_ + w > width_) new_line();
      add(word.substr(k, 1), w, k == 0);
    }
  }

  double space() const { return lines_.back().empty() ? 0 : text_width(U" "); }
  bool fits(double needed) const { return used_ + space() + needed <= width_; }
  void new_line() {
    if (lines_.back().empty()) return;
    lines_.emplace_back();
    used_ = 0;
  }
  // Appends piece, after a blank where spaced and the line holds text.
  void add(std::u32string_view piece, double needed, bool spaced) {
    if (piece.empty()) return;
    if (spaced && !lines_.back().empty()) {
      used_ += space();
      lines_.back() += U' ';
    }
    lines_.back() += piece;
    used_ += needed;
  }

  double width_;
  double used_ = 0;
  std::vector<std::u32string> lines_ = std::vector<std::u32string>(1);
};

}  // namespace

const char* channel_colour(int64_t channel) {
  return kPalette[((channel % 16) + 16) % 16];
}

double text_width(std::u32string_view text) {
  double ems = 0;
  for (const char32_t c : text) ems += em_width(c);
  return ems * kLegendFont;
}

std::string channel_label(int64_t channel) {
  std::string label = std::to_string(channel);
  if (channel < 0 || channel > 15) return label;
  label += " (MIDI " + std::to_string(channel + 1);
  if (channel == kDrumChannel) label += ", drums";
  return label + ")";
}

Legend draw_legend(const std::vector<std::string>& instruments,
                   const std::set<int64_t>& channels, double x, double y,
                   double width) {
  Legend legend;
  // A name stays whole on a line where it fits on one.
  Lines names(width);
  names.place(U"Instruments:");
  for (std::size_t i = 0; i < instruments.size(); ++i) {
    const std::u32string name = xml_code_points(instruments[i]);
    std::u32string piece(stripped(name));
    if (i + 1 < instruments.size()) piece += U';';
    names.place(piece);
  }
  for (const std::u32string& line : std::move(names).lines()) {
    put_text_element(legend.svg, x, y, line);
    y += kLegendLine;
    ++legend.lines;
  }
  if (channels.empty()) return legend;

  const std::u32string heading = U"Channels:";
  put_text_element(legend.svg, x, y, heading);
  ++legend.lines;
  double used = text_width(heading);
  for (const int64_t channel : channels) {
    const std::u32string label = xml_code_points(channel_label(channel));
    const double entry = kSwatch + kSwatchGap + text_width(label);
    if (used + kEntryGap + entry > width) {
      y += kLegendLine;
      ++legend.lines;
      used = 0;
    } else {
      used += kEntryGap;
    }
    legend.svg += "<rect class=\"legend\" x=\"";
    put_number(legend.svg, x + used);
    legend.svg += "\" y=\"";
    put_number(legend.svg, y - 9);
    legend.svg += "\" width=\"10\" height=\"10\" fill=\"";
    legend.svg += channel_colour(channel);
    legend.svg += "\"/>\n";
    put_text_element(legend.svg, x + used + kSwatch + kSwatchGap, y, label);
    used += entry;
  }
  return legend;
}

}  // namespace morvane
