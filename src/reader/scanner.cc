#include "reader/scanner.h"

namespace morvane {
namespace {

// One scan in progress over a line; each step returns false where it stops.
class Scan {
 public:
  explicit Scan(std::string_view line)
      : p_(line.data()), begin_(line.data()), end_(line.data() + line.size()) {}

  void skip_white() {
    while (p_ < end_ && is_white(*p_)) ++p_;
  }

  bool literal(std::string_view text) {
    for (char c : text) {
      if (p_ == end_ || *p_ != c) return false;
      ++p_;
    }
    return true;
  }

  bool word(std::string_view& out) {
    skip_white();
    const char* start = p_;
    while (p_ < end_ && !is_white(*p_)) ++p_;
    if (p_ == start) return false;
    out = std::string_view(start, static_cast<std::size_t>(p_ - start));
    ++result_.assigned;
    return true;
  }

  bool word(std::string& out) {
    std::string_view view;
    if (!word(view)) return false;
    out.assign(view.data(), view.size());
    return true;
  }

  bool number(int32_t& out) {
    skip_white();
    const char* p = p_;
    bool negative = false;
    if (p < end_ && (*p == '+' || *p == '-')) {
      negative = *p == '-';
      ++p;
    }
    const char* digits = p;
    uint64_t value = 0;
    bool too_big = false;
    const uint64_t limit = negative ? 2147483648u : 2147483647u;
    while (p < end_ && *p >= '0' && *p <= '9') {
      if (!too_big) {
        value = value * 10 + static_cast<uint64_t>(*p - '0');
        too_big = value > limit;
      }
      ++p;
    }
    if (p == digits) return false;
    p_ = p;
    if (too_big) {
      result_.overflow = true;
      return false;
    }
    out = negative ? static_cast<int32_t>(-static_cast<int64_t>(value))
                   : static_cast<int32_t>(value);
    ++result_.assigned;
    return true;
  }

  ScanResult done() {
    result_.consumed = static_cast<std::size_t>(p_ - begin_);
    return result_;
  }

 private:
  const char* p_;
  const char* begin_;
  const char* end_;
  ScanResult result_;
};

}  // namespace

ScanResult scan_header(std::string_view line, HeaderFields& fields) {
  Scan scan(line);
  scan.word(fields.word) && scan.number(fields.format) &&
      scan.number(fields.tracks) && scan.number(fields.division);
  return scan.done();
}

ScanResult scan_track_name(std::string_view line, NameFields& fields,
                           std::string_view name_kind) {
  Scan scan(line);
  if (scan.literal("0")) {
    scan.skip_white();
    if (scan.literal("Meta")) {
      scan.skip_white();
      scan.literal(name_kind) && scan.word(fields.first) &&
          scan.word(fields.second);
    }
  }
  return scan.done();
}

ScanResult scan_event(std::string_view line, EventFields& fields) {
  Scan scan(line);
  if (scan.number(fields.time_ticks) && scan.word(fields.kind)) {
    scan.skip_white();
    if (scan.literal("ch=") && scan.number(fields.channel)) {
      scan.skip_white();
      if (scan.literal("n=") && scan.number(fields.note)) {
        scan.skip_white();
        scan.literal("v=") && scan.number(fields.velocity);
      }
    }
  }
  return scan.done();
}

}  // namespace morvane
