// The keyboard reply that names the note list when only the score is given.

#ifndef MORVANE_DRIVER_READ_REPLY_H_
#define MORVANE_DRIVER_READ_REPLY_H_

#include <cstddef>
#include <iosfwd>
#include <string>

namespace morvane {

inline constexpr std::size_t kMaxReply = 30;

// Reads keys one at a time into reply until Enter (carriage return or line
// feed), the end of input, or a key read when the reply already holds
// kMaxReply characters (that key is consumed and dropped; later keys stay
// unread). A backspace rubs out the character before it; at the start of the
// reply there is nothing to rub out and it is kept as a character. The
// reply then ends at its first NUL byte, if it holds one.
void read_reply(std::istream& keys, std::string& reply);

}  // namespace morvane

#endif  // MORVANE_DRIVER_READ_REPLY_H_
