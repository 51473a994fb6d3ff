// Ctrl-C, SIGTERM and SIGHUP stop a batch in order: no score is handed out
// after the signal, the scores in flight are finished (each list replaced
// whole or left as it was, its temporary file removed by its own run), and
// then the batch says how far it got, writes its report and record, and
// ends by the signal (status 130, 143, 129). A second signal ends it at
// once, the pending temporary files removed; a file it may still leave is
// removed by the next batch into the same folder (batch/leftovers.h).

#ifndef MORVANE_BATCH_INTERRUPTION_H_
#define MORVANE_BATCH_INTERRUPTION_H_

namespace morvane::batch {

// Installs the handlers; a signal the caller ignores (nohup, a background
// job) stays ignored. Call after set_up_signals_for_note_lists.
void stop_on_signals();

// The signal that stopped the batch, or 0. Any thread may ask.
int stop_signal();

// Ends the process by signal_number, as if its default action had come;
// returns only where that action does not end it (a process 1 in a
// container ignores SIGINT).
void end_by_signal(int signal_number);

}  // namespace morvane::batch

#endif  // MORVANE_BATCH_INTERRUPTION_H_
