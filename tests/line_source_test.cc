#include "reader/line_source.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "test_common.h"

namespace morvane {
namespace {

constexpr std::size_t kBlock = FileLineSource::kBlockSize;

// The lines of text as the sources must give them: each with its line
// feed, the last one without when the text does not end in one.
std::vector<std::string> split(const std::string& text) {
  std::vector<std::string> lines;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t feed = text.find('\n', pos);
    const std::size_t end = feed == std::string::npos ? text.size() : feed + 1;
    lines.push_back(text.substr(pos, end - pos));
    pos = end;
  }
  return lines;
}

// The lines of every run the source hands out; each run must end at a
// line's end, but for the last line of the input.
std::vector<std::string> lines_of(LineSource& source) {
  std::vector<std::string> lines;
  std::string_view run;
  while (source.next_lines(run) == LineRead::lines) {
    EXPECT_FALSE(run.empty());
    for (const std::string& line : split(std::string(run))) {
      EXPECT_TRUE(lines.empty() || lines.back().back() == '\n');
      lines.push_back(line);
    }
  }
  return lines;
}

// A text of short lines that puts the character at `at` right on a block
// edge, followed by `tail`.
std::string across_edge(std::size_t at, const std::string& edge,
                        const std::string& tail) {
  std::string text;
  while (text.size() + 20 < at) text += "10 On ch=1 n=60 v=9\n";
  text += std::string(at - text.size(), 'x');
  return text + edge + tail;
}

TEST(LineSourceTest, FilesAndMemoryGiveEveryLineWhole) {
  const std::string long_line(3 * kBlock + 123, 'L');
  const std::string texts[] = {
      across_edge(kBlock - 5, "crosses the edge\n", "next\n"),
      across_edge(kBlock - 1, "\r\n", "after a CR LF split by the edge\n"),
      across_edge(kBlock - 1, "\n", "a line feed last in the block\n"),
      "short\n" + long_line + "\nafter the long line\n",
      long_line,
      across_edge(2 * kBlock + 7, "", "no line feed at the end"),
      "",
      "\n\n\n",
  };
  testing::TempDir dir;
  for (const std::string& text : texts) {
    const std::string path = dir.write("score.txt", text);
    std::unique_ptr<FileLineSource> file = FileLineSource::open(path);
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(lines_of(*file) == split(text)) << text.size();
    std::string_view after;
    EXPECT_EQ(file->next_lines(after), LineRead::end);
    EXPECT_EQ(file->size_hint(), text.size());
    MemoryLineSource memory(text);
    EXPECT_TRUE(lines_of(memory) == split(text)) << text.size();
  }
}

// A stream that gives `good` bytes, then fails.
struct FailingStream {
  std::string bytes;
  std::size_t pos = 0;
  std::size_t good = 0;

  static ssize_t read(void* cookie, char* buffer, std::size_t size) {
    auto* self = static_cast<FailingStream*>(cookie);
    if (self->pos >= self->good) return -1;
    const std::size_t n = std::min(size, self->good - self->pos);
    std::memcpy(buffer, self->bytes.data() + self->pos, n);
    self->pos += n;
    return static_cast<ssize_t>(n);
  }
};

TEST(LineSourceTest, AReadErrorInTheMiddleStopsAndSaysSo) {
  FailingStream stream;
  stream.bytes = across_edge(2 * kBlock, "\n", "never read\n");
  stream.good = kBlock + 10;
  cookie_io_functions_t io = {FailingStream::read, nullptr, nullptr, nullptr};
  std::FILE* file = fopencookie(&stream, "r", io);
  ASSERT_NE(file, nullptr);
  std::unique_ptr<FileLineSource> source = FileLineSource::from_stream(file);
  const std::vector<std::string> lines = lines_of(*source);
  std::string_view after;
  EXPECT_EQ(source->next_lines(after), LineRead::error);
  // Every line that was read whole came out, and nothing after the error.
  std::string read;
  for (const std::string& line : lines) read += line;
  EXPECT_LE(read.size(), stream.good);
  EXPECT_EQ(read, stream.bytes.substr(0, read.size()));
  EXPECT_GT(read.size(), kBlock - 40);
}

}  // namespace
}  // namespace morvane
