#include "writer/pending_files.h"

#include <atomic>
#include <cstdio>
#include <csignal>
#include <cstring>
#include <initializer_list>

#if defined(__unix__)
#include <unistd.h>
#endif

namespace morvane {
namespace {

// Fixed room, so that the handler reads nothing that may be freed under
// it: a place is free, being filled, or holds a path.
constexpr int kPlaces = kMostPending;
constexpr std::size_t kPathBytes = 4096;
enum : int { kFree, kFilling, kHeld };
std::atomic<int> places[kPlaces];
char paths[kPlaces][kPathBytes];

extern "C" void remove_and_end(int signal_number) {
  remove_pending_files();
  std::signal(signal_number, SIG_DFL);
  std::raise(signal_number);
}

}  // namespace

void remove_pending_files() {
  for (int i = 0; i < kPlaces; ++i) {
    if (places[i].load() != kHeld) continue;
#if defined(__unix__)
    unlink(paths[i]);
#else
    std::remove(paths[i]);  // the handler runs on a thread of its own there
#endif
  }
}

int remember_pending(const char* path) {
  if (std::strlen(path) >= kPathBytes) return -1;
  for (int i = 0; i < kPlaces; ++i) {
    int expected = kFree;
    if (places[i].compare_exchange_strong(expected, kFilling)) {
      std::strcpy(paths[i], path);
      places[i].store(kHeld);
      return i;
    }
  }
  return -1;
}

void forget_pending(int place) {
  if (place >= 0) places[place].store(kFree);
}

void set_up_signals_for_note_lists() {
  static_assert(std::atomic<int>::is_always_lock_free,
                "the handler may only use lock-free atomics");
#if defined(__unix__)
  for (const int s : {SIGINT, SIGTERM, SIGHUP}) {
    // A signal the caller ignores (nohup, a background job) stays ignored.
    struct sigaction action = {};
    if (sigaction(s, nullptr, &action) != 0 || action.sa_handler == SIG_IGN) {
      continue;
    }
    action = {};
    action.sa_handler = remove_and_end;
    sigemptyset(&action.sa_mask);
    sigaction(s, &action, nullptr);
  }
#else
  std::signal(SIGINT, remove_and_end);
  std::signal(SIGTERM, remove_and_end);
#endif
#ifdef SIGPIPE
  std::signal(SIGPIPE, SIG_IGN);
#endif
#ifdef SIGXFSZ
  std::signal(SIGXFSZ, SIG_IGN);
#endif
}

}  // namespace morvane
