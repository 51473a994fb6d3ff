#include "reader/line_scan.h"

#include "reader/scanner.h"
#include "reader/track_sections.h"

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

}  // namespace

LineScan scan_line(std::string_view line) {
  EventFields fields;
  const ScanResult scanned = scan_event(line, fields);
  LineScan scan;
  scan.time_ticks = fields.time_ticks;
  scan.channel = fields.channel;
  scan.note = fields.note;
  scan.velocity = fields.velocity;
  scan.assigned = static_cast<uint8_t>(scanned.assigned);
  scan.overflow = scanned.overflow;
  if (scanned.assigned >= 2) {
    const std::string_view kind = fields.kind;
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

bool is_track_start(std::string_view line) {
  return starts_with(line, "MTrk") && (line.size() == 4 || is_white(line[4]));
}

}  // namespace morvane
