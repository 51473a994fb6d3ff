#include "reader/line_scan.h"

#include <cstring>

#include "reader/scanner.h"

namespace morvane {
namespace {

// The word after the kind word of a line scanned as an event.
std::string_view word_after_kind(std::string_view line, std::string_view kind) {
  std::size_t p = static_cast<std::size_t>(kind.data() - line.data()) +
                  kind.size();
  while (p < line.size() && is_white(line[p])) ++p;
  std::size_t end = p;
  while (end < line.size() && !is_white(line[end])) ++end;
  return line.substr(p, end - p);
}

// Takes 1 to 9 digits at p, which cannot overflow; else false, p anywhere.
bool plain_number(const char*& p, const char* end, int32_t& out) {
  const char* const start = p;
  uint32_t value = 0;
  while (p < end && static_cast<unsigned char>(*p - '0') < 10) {
    if (p - start == 9) return false;
    value = value * 10 + static_cast<uint32_t>(*p - '0');
    ++p;
  }
  out = static_cast<int32_t>(value);
  return p != start;
}

// "0 Meta TrkName ...", or "0 Meta SeqName ..." where that names the track.
bool is_name_line(std::string_view line, bool sequence_names_track) {
  // Most lines are events; one look at a character sends them on.
  if (line.size() < kNameMarker.size() || line[2] != 'M') return false;
  return starts_with(line, kNameMarker) ||
         (sequence_names_track && starts_with(line, kSequenceMarker));
}

// line is word, alone or before white space.
bool is_word_line(std::string_view line, std::string_view word) {
  return starts_with(line, word) &&
         (line.size() == word.size() || is_white(line[word.size()]));
}

bool literal(const char*& p, const char* end, const char* text,
             std::size_t length) {
  if (static_cast<std::size_t>(end - p) < length ||
      std::memcmp(p, text, length) != 0) {
    return false;
  }
  p += length;
  return true;
}

// The line's scan as scan_line gives it, and its kind word (none when the
// scan stops before it).
LineScan scan_with_kind(std::string_view line, std::string_view& kind) {
  EventFields fields;
  const ScanResult scanned = scan_event(line, fields);
  LineScan scan;
  scan.time_ticks = fields.time_ticks;
  scan.channel = fields.channel;
  scan.note = fields.note;
  scan.velocity = fields.velocity;
  scan.assigned = static_cast<uint8_t>(scanned.assigned);
  scan.overflow = scanned.overflow;
  kind = {};
  if (scanned.assigned >= 2) {
    kind = fields.kind;
    if (kind == "On") {
      scan.kind = LineKind::note_on;
    } else if (kind == "Off") {
      scan.kind = LineKind::note_off;
    } else if (starts_with(kind, "Meta") &&
               word_after_kind(line, kind) == "TrkEnd") {
      scan.kind = LineKind::track_end;
    }
  }
  return scan;
}

// What follows word, a part of line.
std::string_view after_word(std::string_view line, std::string_view word) {
  return line.substr(static_cast<std::size_t>(word.data() - line.data()) +
                     word.size());
}

// classify_line for a line that is no plain note, into c as it was made.
// Out of line: inlined, its registers were saved on every call, which
// nearly every line, a plain note, paid for (measured).
[[gnu::noinline]] void classify_other_line(std::string_view line,
                                           bool sequence_names_track,
                                           ClassifiedLine& c) {
  line = up_to_nul(line);
  if (is_name_line(line, sequence_names_track)) {
    c.form = LineForm::name;
    c.text = line;
    return;
  }
  std::string_view kind;
  c.scan = scan_with_kind(line, kind);
  if (is_word_line(line, "MTrk")) {
    c.form = LineForm::track_start;
  } else if (is_word_line(line, "TrkEnd")) {
    c.form = LineForm::track_close;
  } else if (starts_with(line, kSequenceMarker)) {
    c.form = LineForm::sequence_name;
    c.text = line;
  } else if (kind == "Tempo") {
    c.form = LineForm::tempo;
    c.text = after_word(line, kind);
  } else if (starts_with(kind, "Meta")) {
    const std::string_view word = word_after_kind(line, kind);
    if (word == "TrkName" || word == "SeqName") {
      c.form = LineForm::other_name;
      c.text = after_word(line, word);
    }
  }
}

}  // namespace

bool scan_plain_note(std::string_view line, LineScan& scan) {
  const char* p = line.data();
  const char* const end = p + line.size();
  LineScan s;
  if (!plain_number(p, end, s.time_ticks)) return false;
  if (literal(p, end, " On ch=", 7)) {
    s.kind = LineKind::note_on;
  } else if (literal(p, end, " Off ch=", 8)) {
    s.kind = LineKind::note_off;
  } else {
    return false;
  }
  if (!plain_number(p, end, s.channel) || !literal(p, end, " n=", 3) ||
      !plain_number(p, end, s.note) || !literal(p, end, " v=", 3) ||
      !plain_number(p, end, s.velocity)) {
    return false;
  }
  s.assigned = 5;
  scan = s;
  return true;
}

LineScan scan_line(std::string_view line) {
  std::string_view kind;
  return scan_with_kind(line, kind);
}

ClassifiedLine classify_line(std::string_view line,
                             bool sequence_names_track) {
  ClassifiedLine c;
  if (!scan_plain_note(line, c.scan)) {
    classify_other_line(line, sequence_names_track, c);
  }
  return c;
}

}  // namespace morvane
