#include "driver/read_reply.h"

#include <istream>

namespace morvane {

void read_reply(std::istream& keys, std::string& reply) {
  reply.clear();
  for (;;) {
    const int key = keys.get();
    // The end of input ends the reply with what arrived; nothing is made up.
    if (key == std::char_traits<char>::eof()) return;
    // A raw console sends Enter as carriage return, a line-mode terminal as
    // line feed (and does its own rubbing out); either ends the reply.
    if (key == '\r' || key == '\n') return;
    if (reply.size() >= kMaxReply) return;
    if (key == '\b' && !reply.empty()) {
      reply.pop_back();
    } else {
      reply.push_back(static_cast<char>(key));
    }
  }
}

}  // namespace morvane
