// The corpus: standard MIDI files beside their MIDI text renderings. Each
// pair must translate alike through both paths, console and note list byte
// for byte (a refused file's message speaks of the MIDI file, not of a
// text); a few note lists were checked by hand and are kept.

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "e2e_support.h"

namespace morvane::testing {
namespace {


Outcome translate(const std::string& source, const std::string& as) {
  TempDir dir;
  std::filesystem::copy_file(source, dir.path(as));
  return run_morvane(dir, as + " notes.txt");
}

TEST(EndToEndCorpus, MidiFileAndItsTextGiveTheSameResult) {
  const std::vector<std::string> names = corpus_names();
  ASSERT_GE(names.size(), 30u);
  for (const std::string& name : names) {
    const Outcome text =
        translate(data_path("corpus/" + name + ".txt"), "score.txt");
    const Outcome midi =
        translate(data_path("corpus/" + name + ".mid"), "score.mid");
    EXPECT_EQ(text.status, midi.status) << name;
    EXPECT_EQ(text.out, midi.out) << name;
    if (text.status == 0) {
      EXPECT_EQ(text.err, midi.err) << name;
    }
    // Note lists run to megabytes: say which differ, not how.
    EXPECT_TRUE(text.notes == midi.notes) << name;
    const std::string expected = data_path("expected/" + name + ".notes");
    if (std::filesystem::exists(expected)) {
      EXPECT_TRUE(text.notes == read_file(expected)) << name;
    }
  }
}

TEST(EndToEndCorpus, SmpteDivisionIsRefused) {
  const Outcome r =
      translate(data_path("corpus/smpte_division.mid"), "score.mid");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "\nMIDI file score.mid uses SMPTE time, which Morvane does not "
            "read: only ticks per quarter note.\n");
  EXPECT_EQ(r.notes, "");
}

TEST(EndToEndCorpus, BundledExample) {
  const Outcome r =
      translate(std::string(MORVANE_EXAMPLES) + "/two_flutes.txt", "score.txt");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.notes, read_file(std::string(MORVANE_EXAMPLES) +
                               "/two_flutes.notes"));
}

}  // namespace
}  // namespace morvane::testing
