#include "driver/read_reply.h"

#include <istream>

namespace morvane {

namespace {

void read_keys(std::istream& keys, std::string& reply) {
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

}  // namespace

void read_reply(std::istream& keys, std::string& reply) {
  read_keys(keys, reply);
  // The reply is a C string: the name ends at its first NUL, for the open,
  // the same-file check and every message alike.
  reply.resize(reply.find('\0') == std::string::npos ? reply.size()
                                                       : reply.find('\0'));
}

}  // namespace morvane
