// Temporary note lists not yet renamed over their names, kept for a signal
// handler: on Ctrl-C, SIGTERM or SIGHUP, set_up_signals_for_note_lists's
// handler removes them all and ends the process by the same signal (status
// 130, 143, 129). Only SIGKILL or a power cut can leave one. Thread-safe.

#ifndef MORVANE_WRITER_PENDING_FILES_H_
#define MORVANE_WRITER_PENDING_FILES_H_

namespace morvane {

// At most this many lists are pending at once; a signal leaves any others.
inline constexpr int kMostPending = 64;

// Keeps path until forget_pending; returns its place, or -1 when every
// place is taken (then a signal leaves that file behind).
int remember_pending(const char* path);

// Forgets the path kept at place (nothing for -1).
void forget_pending(int place);

// Removes every file kept now; safe in a signal handler. A program with a
// handler of its own calls it before it ends by the signal.
void remove_pending_files();

// For a program's entry, not a library (a host such as Python keeps its own):
// installs the handler for SIGINT, SIGTERM and SIGHUP, and ignores SIGPIPE
// and SIGXFSZ, so that a reader that stops reading or ulimit -f is a failed
// write, reported as any other, rather than a silent kill.
void set_up_signals_for_note_lists();

}  // namespace morvane

#endif  // MORVANE_WRITER_PENDING_FILES_H_
