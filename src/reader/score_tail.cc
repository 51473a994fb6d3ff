#include "reader/score_tail.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <system_error>
#include <utility>

#include "driver/allocation.h"
#include "reader/track_sections.h"

namespace morvane {
namespace {

constexpr std::size_t kPieceLines = (std::size_t{4} << 20) / sizeof(TailLine);
constexpr std::size_t kNoLine = std::numeric_limits<std::size_t>::max();
constexpr std::size_t kMaxOthers = std::numeric_limits<int32_t>::max();

// A plain note line whose numbers each fit a byte, as it is kept.
bool plain_tail_line(std::string_view line, TailLine& tail) {
  LineScan plain;
  if (!scan_plain_note(line, plain) ||
      !EventTable::fits_packed(EventRecord{plain.time_ticks, plain.channel,
                                           plain.note, plain.velocity})) {
    return false;
  }
  tail = {plain.time_ticks, static_cast<uint8_t>(plain.channel),
          static_cast<uint8_t>(plain.note), static_cast<uint8_t>(plain.velocity),
          plain.kind == LineKind::note_on ? TailLine::Form::note_on
                                          : TailLine::Form::note_off};
  return true;
}

}  // namespace

std::size_t first_part_bytes(std::size_t size, const OverlapShape& shape) {
  auto share = [size](unsigned percent) {
    return static_cast<std::size_t>(static_cast<unsigned long long>(size) *
                                    std::clamp(percent, 1u, 99u) / 100);
  };
  const std::size_t large = share(shape.large_first_part_percent);
  const std::size_t first =
      std::min(share(shape.first_part_percent),
               large + std::min(shape.late_part_bytes, size - large));
  return std::clamp<std::size_t>(first, 1, size - 1);
}

std::unique_ptr<ScoreTail> ScoreTail::start(RunState& state,
                                            const FileLineSource& source,
                                            bool sequence_names_track) {
  const std::size_t size = source.size_hint();
  if (size < state.overlap.split_read_bytes || size < 2 ||
      made_to_fail(state, FailPoint::second_thread)) {
    return nullptr;
  }
  const std::size_t split = first_part_bytes(size, state.overlap);
  try {
    // From the byte before the split: the piece up to its line end belongs
    // to a line that starts before it.
    std::unique_ptr<FileLineSource> again = source.open_again_at(split - 1);
    if (again == nullptr) return nullptr;
    std::unique_ptr<ScoreTail> tail(
        new ScoreTail(std::move(again), split, sequence_names_track));
    tail->thread_ = std::thread([t = tail.get()] { t->scan(); });
    return tail;
  } catch (const std::system_error&) {  // no thread to be had
    return nullptr;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

ScoreTail::ScoreTail(std::unique_ptr<FileLineSource> source,
                     std::size_t split, bool sequence_names_track)
    : source_(std::move(source)),
      split_(split),
      sequence_names_track_(sequence_names_track) {}

ScoreTail::~ScoreTail() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

std::size_t ScoreTail::first_line() {
  std::unique_lock<std::mutex> lock(mutex_);
  known_.wait(lock, [this] { return first_line_known_; });
  return first_line_;
}

bool ScoreTail::finish() {
  if (thread_.joinable()) thread_.join();
  return whole_;
}

void ScoreTail::scan() noexcept {
  auto tell_first_line = [this](std::size_t first) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!first_line_known_) {
      first_line_ = first;
      first_line_known_ = true;
      known_.notify_all();
    }
  };
  try {
    std::string_view line;
    if (!source_->next_line(line)) {
      tell_first_line(kNoLine);
      return;
    }
    tell_first_line(source_->line_start() + line.size());
    ReaderFields fields;
    fields.sequence_names_track = sequence_names_track_;
    for (;;) {
      if (stop_) return;
      if (lines_.empty() || lines_.back().size() == kPieceLines) {
        lines_.emplace_back();
        lines_.back().reserve(kPieceLines);
      }
      // The plain lines in the buffer, in one go; then one line of any
      // kind, which may refill it.
      std::vector<TailLine>& piece = lines_.back();
      const std::string_view rest = source_->buffered();
      std::size_t used = 0;
      while (used < rest.size() && piece.size() < kPieceLines) {
        const char* start = rest.data() + used;
        const void* feed = std::memchr(start, '\n', rest.size() - used);
        if (feed == nullptr) break;
        const std::size_t length = static_cast<const char*>(feed) - start + 1;
        TailLine tail;
        if (!plain_tail_line(std::string_view(start, length), tail)) break;
        piece.push_back(tail);
        used += length;
      }
      source_->skip(used);
      if (piece.size() == kPieceLines) continue;
      if (!source_->next_line(line)) break;
      TailLine plain;
      if (plain_tail_line(line, plain)) {
        piece.push_back(plain);
        continue;
      }
      if (others_.size() == kMaxOthers) throw std::bad_alloc();
      TailLine tail;
      tail.time_ticks = static_cast<int32_t>(others_.size());
      TailOther& other = others_.emplace_back();
      line = up_to_nul(line);
      if (is_name_line(fields, line)) {
        other.name_line = true;
        texts_.emplace_back(line);
      } else {
        other.scan = scan_line(line);
        other.track_start = is_track_start(line);
        other.track_close = is_track_close(line);
        other.sequence_line = starts_with(line, kSequenceMarker);
        if (other.sequence_line) texts_.emplace_back(line);
      }
      lines_.back().push_back(tail);
    }
    whole_ = source_->failure().empty();
  } catch (const std::bad_alloc&) {
    whole_ = false;
  } catch (const std::length_error&) {
    whole_ = false;
  }
  tell_first_line(kNoLine);
}

}  // namespace morvane
