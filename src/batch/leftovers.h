// Temporary files left in OUTDIR by runs that were killed (SIGKILL, the
// out-of-memory killer, a power cut) before they could remove them. Each
// bears its process id in its name (writer/output_file.h); a file whose
// process has ended is left over, and no run writes to it any more. A file
// of a process still running, on this machine, is never touched.

#ifndef MORVANE_BATCH_LEFTOVERS_H_
#define MORVANE_BATCH_LEFTOVERS_H_

#include <cstdint>
#include <string>

#include "batch/input_checks.h"

namespace morvane::batch {

// Removes the leftovers in outdir and the folders below it (links to
// folders not followed), never one of inputs; returns how many.
uint64_t remove_leftovers(const std::string& outdir, const InputFiles& inputs);

}  // namespace morvane::batch

#endif  // MORVANE_BATCH_LEFTOVERS_H_
