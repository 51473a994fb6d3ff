// Inputs meant to break a reader: binary bytes, huge lines, floods of empty
// lines, damaged MIDI files. Every run must end with status 0 and a whole
// note list, or status 1 and a message, the same way every time.

#include <random>
#include <set>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "driver/in_memory_run.h"
#include "reader/open_score.h"
#include "test_common.h"
#include "writer/note_list_file.h"

namespace morvane {
namespace {

using testing::corpus_names;
using testing::data_path;
using testing::read_file;

Translation translate(const std::string& score) {
  return translate_in_memory("score", score, "notes");
}

void expect_sound(const std::string& score, const std::string& what) {
  const Translation first = translate(score);
  if (first.status == 0) {
    EXPECT_EQ(first.result.kind, FailureKind::none) << what;
    EXPECT_NE(first.out.find("Writing data to 'notes'"), std::string::npos)
        << what;
    EXPECT_TRUE(first.notes.starts_with("// MORVANE file.\n") &&
                first.notes.ends_with("\n"))
        << what;
  } else {
    // A failure says so last, with the message its result carries, and
    // leaves no list.
    EXPECT_EQ(first.status, 1) << what;
    EXPECT_NE(first.result.kind, FailureKind::none) << what;
    EXPECT_FALSE(first.result.message.empty()) << what;
    EXPECT_TRUE((first.out + first.err).ends_with(first.result.message))
        << what;
    EXPECT_EQ(first.notes, "") << what;
  }
  const Translation again = translate(score);
  EXPECT_EQ(again.status, first.status) << what;
  EXPECT_EQ(again.out, first.out) << what;
  EXPECT_EQ(again.notes, first.notes) << what;
}

const std::string kHead = "MFile 1 1 96\nMTrk\n0 Meta TrkName \xff\xfe\x80 n\xc3\n";

TEST(HardeningTest, HostileText) {
  std::mt19937 random(9);
  std::string binary(100000, '\0');
  for (char& c : binary) c = static_cast<char>(random());
  expect_sound(binary, "binary bytes");
  expect_sound("MFile 1 1 96\n" + binary, "binary bytes after a header");
  expect_sound(kHead + binary, "binary bytes in a section");
  expect_sound(kHead + "1 On ch=1 n=60 v=" + std::string(500, '9') + "\n",
               "a number of hundreds of digits");
  expect_sound(kHead + "1 On ch=1 n=60 v=90", "no final line feed");
  expect_sound("MFile 1 1 " + std::string(300, '0') + "7\n",
               "a division with hundreds of leading zeros");
}

TEST(HardeningTest, HugeLinesAndFloods) {
  // A line of four megabytes is one event.
  Translation t = translate(kHead + "5 On ch=1 n=60 v=90 " +
                            std::string(4 << 20, 'x') + "\n");
  EXPECT_EQ(t.status, 0);
  EXPECT_NE(t.out.find("Number of lines in array 1\n"), std::string::npos);

  // Two million empty lines outside a section are passed over...
  t = translate("MFile 1 1 96\n" + std::string(2000000, '\n'));
  EXPECT_EQ(t.status, 0);
  EXPECT_NE(t.out.find("Number of lines in array 0\n"), std::string::npos);

  // ...and inside one they add no event.
  t = translate(kHead + "0 On ch=1 n=60 v=90\n" + std::string(2000000, '\n') +
                "9 On ch=1 n=60 v=0\n");
  EXPECT_EQ(t.status, 0);
  EXPECT_NE(t.out.find("Number of lines in array 2\n"), std::string::npos);
  EXPECT_NE(t.notes.find("0.000 \t0\t60\t90\t"), std::string::npos);
}

// Where each chunk of a MIDI file ends.
std::set<std::size_t> chunk_ends(const std::string& file) {
  std::set<std::size_t> ends;
  for (std::size_t pos = 0; pos + 8 <= file.size();) {
    std::size_t length = 0;
    for (int k = 4; k < 8; ++k) {
      length = length << 8 | static_cast<unsigned char>(file[pos + k]);
    }
    pos += 8 + length;
    ends.insert(pos);
  }
  return ends;
}

TEST(HardeningTest, DamagedMidiFiles) {
  std::mt19937 random(4);
  for (const std::string& name : corpus_names()) {
    const std::string whole = read_file(data_path("corpus/" + name + ".mid"));
    const std::set<std::size_t> ends = chunk_ends(whole);
    std::set<std::size_t> cuts(ends.begin(), ends.end());
    for (std::size_t cut = 4; cut < whole.size(); cut += 97) cuts.insert(cut);
    for (std::size_t end : ends) cuts.insert(end - 1);
    cuts.erase(whole.size());
    for (std::size_t cut : cuts) {
      const std::string what = name + " cut at " + std::to_string(cut);
      const Translation t = translate(whole.substr(0, cut));
      if (ends.count(cut) != 0) {
        // A file of fewer whole chunks is a file, though it holds fewer
        // tracks than its header says.
        EXPECT_EQ(t.err.find("Badly formed MIDI file"), std::string::npos)
            << what;
      } else {
        // Cut inside a chunk: refused, before anything is written.
        EXPECT_EQ(t.status, 1) << what;
        EXPECT_EQ(t.err.rfind("\nBadly formed MIDI file score: ", 0), 0u) << what;
        EXPECT_EQ(t.out, testing::banner()) << what;
        EXPECT_EQ(t.notes, "") << what;
      }
      expect_sound(whole.substr(0, cut), what);
    }
    for (int n = 0; n < 20; ++n) {
      std::string flipped = whole;
      for (int k = 0; k < 3; ++k) {
        flipped[4 + random() % (flipped.size() - 4)] =
            static_cast<char>(random());
      }
      expect_sound(flipped, name + " flipped");
    }
  }
}

TEST(HardeningTest, DamagedMidiFileLeavesTheNoteListEmpty) {
  const std::string whole = read_file(data_path("corpus/chords.mid"));
  const Translation t = translate(whole.substr(0, whole.size() - 10));
  EXPECT_EQ(t.status, 1);
  EXPECT_EQ(t.err.rfind("\nBadly formed MIDI file score: ", 0), 0u) << t.err;
  EXPECT_EQ(t.notes, "");
  EXPECT_EQ(t.out, testing::banner());
}

}  // namespace
}  // namespace morvane
