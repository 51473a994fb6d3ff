#include "midi_file.h"

#include <filesystem>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "driver/in_memory_run.h"
#include "midi_bytes.h"
#include "test_support.h"

namespace morvane {
namespace {

using testing::bytes;
using testing::chunk;
using testing::corpus_names;
using testing::header;
using testing::data_path;
using testing::read_file;


// The converter's own renderings of the corpus files are the reference:
// every line, byte for byte.
TEST(MidiFileTest, RendersTheCorpusAsTheConverterDoes) {
  const std::vector<std::string> names = corpus_names();
  ASSERT_GE(names.size(), 30u);
  for (const std::string& name : names) {
    const std::string bytes = read_file(data_path("corpus/" + name + ".mid"));
    std::string text;
    MidiFileError error;
    ASSERT_TRUE(render_midi_text(bytes, text, error)) << name << error.reason;
    EXPECT_EQ(text, read_file(data_path("corpus/" + name + ".txt"))) << name;
  }
}

TEST(MidiFileTest, EventShapes) {
  const std::string first = chunk("MTrk", bytes({0, 0xff, 3, 1, 'A'}));
  const std::string track = chunk(
      "MTrk",
      bytes({0, 0xff, 3, 2, 'B', '"',
             0, 0xff, 0, 2, 1, 2,                     // sequence number
             0, 0xff, 0x59, 2, 0xfd, 1,               // key signature
             0, 0xff, 0x58, 4, 3, 40, 24, 8,          // 2^40 as denominator
             0, 0xff, 0x51, 1, 7,                     // short tempo
             0, 0xff, 0x7f, 2, 0xab, 0x01,            // sequencer specific
             0, 0xff, 0x21, 1, 0,                     // port, not known
             0, 0xff, 0x08, 1, 0x5c,                  // text type 8
             0, 0xff, 0x0c, 2, 0, 0x0d,               // text type 12
             0x81, 0x00, 0xf0, 2, 1, 2,               // divided sysex...
             5, 0xf7, 2, 3, 0xf7,                     // ...ends here
             0, 0xf7, 1, 0xf3,                        // arbitrary bytes
             0, 0xe3, 0x7f, 0x7f, 0, 0x10, 0x20,      // running status
             0, 0xa0, 1, 2, 0, 0xd0, 5, 0, 0xc0, 6,
             0, 0xff, 0x2f, 0}));
  std::string text;
  MidiFileError error;
  ASSERT_TRUE(render_midi_text(header(1, 2, 0xe728) + first + track, text,
                               error))
      << error.reason;
  EXPECT_EQ(text,
            "MFile 1 2 -25 40\n"
            "MTrk\n0 Meta SeqName \"A\"\nTrkEnd\n"
            "MTrk\n"
            "0 Meta TrkName \"B\\\"\"\n"
            "0 SeqNr 258\n"
            "0 KeySig -3 minor\n"
            "0 TimeSig 3/1099511627776 24 8\n"
            "0 Tempo 458752\n"
            "0 SeqSpec ab 01\n"
            "0 Meta 0x21 00\n"
            "0 Meta Unrec \"\\\\\"\n"
            "0 Meta 0x0c \"\\0\\r\"\n"
            "133 SysEx f0 01 02 03 f7\n"
            "133 Arb f3\n"
            "133 Pb ch=4 v=16383\n"
            "133 Pb ch=4 v=4112\n"
            "133 PoPr ch=1 n=1 v=2\n"
            "133 ChPr ch=1 v=5\n"
            "133 PrCh ch=1 p=6\n"
            "133 Meta TrkEnd\n"
            "TrkEnd\n");
}

TEST(MidiFileTest, DamagedFilesAreRefusedWithReasonAndOffset) {
  struct Row {
    std::string file;
    std::string reason;
    uint64_t offset;
  };
  const std::string h = header(0, 1, 96);
  const Row rows[] = {
      {"MThd\0\0", "header chunk runs past the end of the file", 4},
      {chunk("MThd", "\0\0\0"), "header chunk shorter than 6 bytes", 4},
      {header(3, 1, 96), "format above 2", 8},
      {h + "MTrk" + bytes({0, 0, 0, 9, 0}),
       "chunk runs past the end of the file", 14},
      {h + chunk("MTrk", bytes({0, 0x90, 60})),
       "event runs past the end of its chunk", 25},
      {h + chunk("MTrk", bytes({0xff, 0xff, 0xff, 0xff, 0})),
       "variable-length number longer than 4 bytes", 22},
      {h + chunk("MTrk", bytes({0, 60, 1})),
       "data byte where a status is needed", 23},
      {h + chunk("MTrk", bytes({0, 0xf0, 1, 1, 0, 0x90, 1, 1})),
       "system exclusive message not continued", 27},
      {h + chunk("MTrk", bytes({0, 0xf0, 1, 1})),
       "system exclusive message not completed", 26},
      {h + chunk("MTrk", bytes({0, 0xf2, 1})),
       "status byte not allowed in a MIDI file", 23},
  };
  for (const Row& row : rows) {
    std::string text;
    MidiFileError error;
    EXPECT_FALSE(render_midi_text(row.file, text, error)) << row.reason;
    EXPECT_EQ(error.reason, row.reason);
    EXPECT_EQ(error.offset, row.offset) << row.reason;
  }
}

TEST(MidiFileTest, OddButWholeFiles) {
  // Chunks of other kinds are skipped, and bytes too few for a chunk header
  // are ignored; every MTrk is a track, whatever the header announced.
  const std::string file = header(1, 1, 96) + chunk("XFIH", "abc") +
                           chunk("MTrk", "") + chunk("MTrk", "") + "MTr";
  std::string text;
  MidiFileError error;
  ASSERT_TRUE(render_midi_text(file, text, error)) << error.reason;
  EXPECT_EQ(text, "MFile 1 1 96\nMTrk\nTrkEnd\nMTrk\nTrkEnd\n");
}

TEST(MidiFileTest, CutAndFlippedFilesNeverCrash) {
  std::mt19937 random(3);
  for (const std::string& name : corpus_names()) {
    const std::string whole = read_file(data_path("corpus/" + name + ".mid"));
    // A file cut short is damaged, and the damage lies within what is left.
    for (std::size_t cut = 0; cut < whole.size(); cut += 97) {
      std::string text;
      MidiFileError error;
      EXPECT_FALSE(render_midi_text(whole.substr(0, cut), text, error))
          << name << " cut at " << cut;
      EXPECT_LE(error.offset, cut) << name;
      // And the translator refuses it as such.
      EXPECT_EQ(translate_in_memory("cut.mid", whole.substr(0, cut), "notes")
                    .result.kind,
                FailureKind::badly_formed)
          << name << " cut at " << cut;
    }
    for (int n = 0; n < 200; ++n) {
      std::string flipped = whole;
      const std::size_t at = random() % flipped.size();
      flipped[at] = static_cast<char>(random() & 0xff);
      std::string text;
      MidiFileError error;
      if (!render_midi_text(flipped, text, error)) {
        EXPECT_LE(error.offset, flipped.size());
      }
    }
  }
}

}  // namespace
}  // namespace morvane
