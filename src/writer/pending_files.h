// Temporary note lists not yet renamed over their names, kept where a
// signal handler can find them.
//
// An interrupted run (Ctrl-C, SIGTERM, SIGHUP) must not leave its
// temporary file beside the list: the handler that
// set_up_signals_for_note_lists installs removes every file still
// pending, then ends the process by the same signal, so its status is the
// usual one (130, 143, 129). Only SIGKILL or a power cut can leave one.
// Safe to use from several threads at once.

#ifndef MORVANE_WRITER_PENDING_FILES_H_
#define MORVANE_WRITER_PENDING_FILES_H_

namespace morvane {

// How many temporary lists can be pending at once: a program that writes
// more at a time leaves the others to a signal.
inline constexpr int kMostPending = 64;

// Keeps path until forget_pending; returns its place, or -1 when every
// place is taken (then a signal leaves that file behind).
int remember_pending(const char* path);

// Forgets the path kept at place (nothing for -1).
void forget_pending(int place);

// For a program's entry, not a library (a host such as Python keeps its
// own): installs the handler for SIGINT, SIGTERM and SIGHUP, and ignores
// SIGPIPE and SIGXFSZ, so that a reader that stops reading or a file-size
// limit (ulimit -f) is a failed write, reported as any other, rather than
// a kill without a word.
void set_up_signals_for_note_lists();

}  // namespace morvane

#endif  // MORVANE_WRITER_PENDING_FILES_H_
