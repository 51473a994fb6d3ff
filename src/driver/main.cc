// The process entry: hands the command line to run() and returns its status.

#include <cstdio>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "driver/run.h"
#include "driver/run_state.h"
#include "writer/pending_files.h"

#if defined(__GLIBC__)
#include <malloc.h>
#include <pthread.h>
#endif
#if defined(__unix__)
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

// Address space a run reserves and never uses counts against a limit on it
// (ulimit -v) as much as memory in use. By default each thread reserves a
// stack of the size of the main one and an allocation arena of 64 MiB; the
// run's few threads need neither.
void reserve_little_for_threads() {
#if defined(__GLIBC__)
  mallopt(M_ARENA_MAX, 1);
  pthread_attr_t attributes;
  if (pthread_attr_init(&attributes) == 0) {
    pthread_attr_setstacksize(&attributes, std::size_t{1} << 20);
    pthread_setattr_default_np(&attributes);
    pthread_attr_destroy(&attributes);
  }
#endif
}

// A standard stream the caller closed is given the null device, so that no
// file this run opens takes its number: a score or note list on descriptor
// 2 would receive the failure messages.
void give_closed_streams_the_null_device() {
#if defined(__unix__)
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) >= 0) continue;
    const int null = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (null >= 0 && null != fd) {
      dup2(null, fd);
      close(null);
    }
  }
#endif
}

}  // namespace

int main(int argc, char** argv) {
  give_closed_streams_the_null_device();
  reserve_little_for_threads();
  morvane::set_up_signals_for_note_lists();
  // The console streams stay tied to the C library's (untying them asks for
  // buffers in a call that cannot report a failure, and the console carries
  // little). Setting up the run state allocates too: memory that runs out
  // here ends the run as it does anywhere else.
  try {
    std::vector<std::string> args(argv, argv + argc);
    morvane::RunState state(std::cout, std::cerr, std::cin);
    return morvane::run(state, args);
  } catch (const std::bad_alloc&) {
    std::fputs("\n Out of memory\n", stdout);
    std::fflush(stdout);
    return 1;
  }
}
