#include "driver/read_reply.h"

#include <sstream>
#include <string>

#include <gtest/gtest.h>

namespace morvane {
namespace {

TEST(ReadReplyTest, KeysGiveTheReply) {
  struct Row {
    std::string keys;
    std::string reply;
    std::string left_unread;
  };
  const std::string letters35 = "abcdefghijklmnopqrstuvwxyz012345678";
  const Row rows[] = {
      {"notes.txt\r", "notes.txt", ""},
      {"notez\bs.txt\r", "notes.txt", ""},
      {"notes.txt\nmore", "notes.txt", "more"},
      {"\r", "", ""},
      {"\bab\r", "\bab", ""},
      {"ab\b\b\bc\r", "\bc", ""},
      // The 31st key ends the reply and is dropped; the rest stay unread.
      {letters35, letters35.substr(0, 30), letters35.substr(31)},
      // A backspace that rubs out lets one more key in.
      {letters35.substr(0, 29) + "\bXYZW", letters35.substr(0, 28) + "XY", "W"},
      // At the limit even a backspace ends the reply.
      {letters35.substr(0, 30) + "\bQ", letters35.substr(0, 30), "Q"},
      {"partial", "partial", ""},
      // The name ends at a NUL, after the keys have been counted as typed.
      {std::string("nu\0ll.txt\r", 9), "nu", ""},
      {std::string("ab\0\b\bcd\r", 9), "acd", ""},
      {"", "", ""},
  };
  for (const Row& row : rows) {
    std::istringstream keys(row.keys);
    std::string reply = "stale";
    read_reply(keys, reply);
    EXPECT_EQ(reply, row.reply) << row.keys;
    std::string rest;
    std::getline(keys, rest, '\0');
    EXPECT_EQ(rest, row.left_unread) << row.keys;
  }
}

}  // namespace
}  // namespace morvane
