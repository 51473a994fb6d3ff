// Fuzz target: the whole translation, in-process, with the fuzzer's bytes
// as the score (MIDI text, or a standard MIDI file when they start with
// "MThd") and the note list kept in memory.
//
// Besides the sanitizers' checks it insists that a run ends with status 0
// or 1, that a failure says why, and that the same bytes always give the
// same note list and console: once with the stages after reading one after
// the other, once overlapped on two threads in the smallest blocks.

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>

#include "driver/run.h"
#include "driver/run_state.h"
#include "reader/line_source.h"
#include "writer/note_list_file.h"

namespace {

struct Result {
  int status;
  std::string console;
  std::string notes;
};

Result translate(const std::string& score,
                 const morvane::OverlapShape& shape) {
  std::ostringstream out, err;
  std::istringstream keys;
  Result result;
  {
    morvane::RunState state(out, err, keys);
    state.input_name = "score";
    state.output_name = "notes";
    state.input = std::make_unique<morvane::MemoryLineSource>(score);
    state.output = morvane::NoteListFile::in_memory(&result.notes);
    result.status = morvane::run_guarded(
        state, [&] { morvane::translate_open_files(state, shape); });
  }
  result.console = out.str() + '\x01' + err.str();
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string score(reinterpret_cast<const char*>(data), size);
  // Below a million events, then from two events on.
  const Result first = translate(score, {1, 1, 1000000});
  if (first.status != 0 && first.status != 1) std::abort();
  if (first.status == 1 && first.console.size() < 3) std::abort();
  const Result second = translate(score, {1, 1, 0});
  if (second.status != first.status || second.console != first.console ||
      second.notes != first.notes) {
    std::abort();
  }
  return 0;
}
