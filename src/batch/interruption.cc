#include "batch/interruption.h"

#include <atomic>
#include <csignal>
#include <initializer_list>

#include "writer/pending_files.h"

namespace morvane::batch {
namespace {

std::atomic<int> stopped_by{0};

void set_default(int signal_number) {
  struct sigaction action = {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(signal_number, &action, nullptr);
}

extern "C" void stop_or_end(int signal_number) {
  int none = 0;
  if (stopped_by.compare_exchange_strong(none, signal_number)) return;
  // The second: the scores in flight are given up.
  remove_pending_files();
  set_default(signal_number);
  std::raise(signal_number);
}

}  // namespace

void stop_on_signals() {
  static_assert(std::atomic<int>::is_always_lock_free,
                "the handler may only use lock-free atomics");
  for (const int s : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction action = {};
    if (sigaction(s, nullptr, &action) != 0 || action.sa_handler == SIG_IGN) {
      continue;
    }
    action = {};
    action.sa_handler = stop_or_end;
    // The batch goes on after the first: a read or a write the signal
    // lands in is taken up again, not failed.
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(s, &action, nullptr);
  }
}

int stop_signal() { return stopped_by.load(); }

void end_by_signal(int signal_number) {
  set_default(signal_number);
  std::raise(signal_number);
}

}  // namespace morvane::batch
