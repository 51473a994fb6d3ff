#include "reader/score_map.h"

#include <charconv>

#include "reader/scanner.h"

namespace morvane {
namespace {

// Name lines begin with one marker or the other: the text follows either.
static_assert(kNameMarker.size() == kSequenceMarker.size());

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && is_white(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_white(text.back())) text.remove_suffix(1);
  return text;
}

// The value of a hex digit, or -1.
int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The escape at text[i] (a backslash) appended to out; returns where the
// text goes on. An escape the rendering does not write stays as it stands.
std::size_t unescape(std::string_view text, std::size_t i, std::string& out) {
  if (i + 1 == text.size()) {
    out.push_back('\\');
    return i + 1;
  }
  const char c = text[i + 1];
  switch (c) {
    case '"': case '\\': out.push_back(c); return i + 2;
    case 'r': out.push_back('\r'); return i + 2;
    case 'n': out.push_back('\n'); return i + 2;
    case 't': out.push_back('\t'); return i + 2;
    case '0': out.push_back('\0'); return i + 2;
    case 'x':
      if (i + 3 < text.size() && hex_value(text[i + 2]) >= 0 &&
          hex_value(text[i + 3]) >= 0) {
        out.push_back(static_cast<char>(hex_value(text[i + 2]) * 16 +
                                        hex_value(text[i + 3])));
        return i + 4;
      }
      break;
    default:
      break;
  }
  out.push_back('\\');
  return i + 1;
}

void note_tempo_line(RunState& state, const ClassifiedLine& line) {
  const std::string_view text = trimmed(line.text);
  uint32_t microseconds = 0;
  const auto [end, error] =
      std::from_chars(text.data(), text.data() + text.size(), microseconds);
  // A tempo that is no whole number of microseconds tells nothing.
  if (error != std::errc() || end == text.data()) return;
  note_tempo(state, line.scan.time_ticks, microseconds);
}

}  // namespace

void begin_track(RunState& state) {
  ScoreMap& map = state.score_map;
  if (!map.noted) return;
  if (!map.track_begun) {
    map.track_begun = true;
    return;
  }
  map.tracks.push_back(ScoreTrack{state.table.count(), false, {}});
}

void note_track_name(RunState& state, std::string_view text) {
  ScoreMap& map = state.score_map;
  if (!map.noted || map.tracks.back().named) return;
  map.tracks.back().named = true;
  map.tracks.back().name.assign(text);
}

void note_tempo(RunState& state, int64_t time_ticks,
                uint32_t microseconds_per_quarter) {
  ScoreMap& map = state.score_map;
  if (!map.noted) return;
  map.tempo_changes.push_back(
      TempoChange{time_ticks, static_cast<uint32_t>(map.tracks.size() - 1),
                  microseconds_per_quarter});
}

void note_text_line(RunState& state, const ClassifiedLine& line) {
  switch (line.form) {
    case LineForm::track_start:
      begin_track(state);
      break;
    case LineForm::name:
    case LineForm::sequence_name:
      if (state.score_map.noted) {
        note_track_name(state,
                        unquoted_name(line.text.substr(kNameMarker.size())));
      }
      break;
    case LineForm::other_name:
      if (state.score_map.noted) {
        note_track_name(state, unquoted_name(line.text));
      }
      break;
    case LineForm::tempo:
      note_tempo_line(state, line);
      break;
    case LineForm::event:
    case LineForm::track_close:
      break;
  }
}

std::string unquoted_name(std::string_view text) {
  text = trimmed(text);
  if (text.empty() || text.front() != '"') return std::string(text);
  std::string name;
  for (std::size_t i = 1; i < text.size();) {
    if (text[i] == '"') break;  // what follows the closing quote is no name
    if (text[i] == '\\') {
      i = unescape(text, i, name);
    } else {
      name.push_back(text[i++]);
    }
  }
  return name;
}

}  // namespace morvane
