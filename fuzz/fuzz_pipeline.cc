// Fuzz target: the whole translation, in-process, with the fuzzer's bytes
// as the score (MIDI text, or a standard MIDI file when they start with
// "MThd") and the note list kept in memory.
//
// Besides the sanitizers' checks it insists that a run ends with status 0
// or 1, that a failure says why, and that the same bytes always give the
// same note list and console: once with the stages after reading one after
// the other, once overlapped on two threads in the smallest blocks with the
// sort's heap in blocks from its third level down, the score map noted; and
// a MIDI file read straight as events gives what its MIDI text rendering,
// read line by line, gives, its score map too.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "driver/in_memory_run.h"
#include "through_midi_text.h"

namespace {

struct Result {
  int status;
  std::string console;
  std::string notes;
};

Result translate(const std::string& score,
                 const morvane::OverlapShape& shape, bool note_score_map) {
  morvane::TranslationOptions options;
  options.overlap = shape;
  options.note_score_map = note_score_map;
  const morvane::Translation t =
      morvane::translate_in_memory("score", score, "notes", options);
  return {t.status, t.out + '\x01' + t.err, t.notes};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string score(reinterpret_cast<const char*>(data), size);
  // Below a million events, then from two events on.
  const Result first = translate(score, {1, 1, 1000000}, false);
  if (first.status != 0 && first.status != 1) std::abort();
  if (first.status == 1 && first.console.size() < 3) std::abort();
  const Result second = translate(
      score, {.block_events = 1, .settle_step = 1, .min_events = 0,
              .heap_plain_levels = 2},
      true);
  if (second.status != first.status || second.console != first.console ||
      second.notes != first.notes) {
    std::abort();
  }
  if (score.compare(0, 4, "MThd") == 0) {
    for (bool all_tracks : {false, true}) {
      morvane::TranslationOptions options;
      options.all_tracks = all_tracks;
      options.note_score_map = true;
      morvane::ScoreMap direct_map, text_map;
      options.after_run = [&](const morvane::RunState& state,
                              const morvane::RunResult&) {
        direct_map = state.score_map;
      };
      const morvane::Translation direct =
          morvane::translate_in_memory("score", score, "notes", options);
      options.after_run = [&](const morvane::RunState& state,
                              const morvane::RunResult&) {
        text_map = state.score_map;
      };
      const morvane::Translation text =
          morvane::testing::translate_through_midi_text("score", score, "notes",
                                                        options);
      if (direct.status != text.status || direct.out != text.out ||
          direct.err != text.err || direct.notes != text.notes) {
        std::abort();
      }
      if (direct.status == 0 &&
          (direct_map.format != text_map.format ||
           direct_map.tracks != text_map.tracks ||
           direct_map.tempo_changes != text_map.tempo_changes)) {
        std::abort();
      }
    }
  }
  return 0;
}
