// Tracks without a name: the message that says what was passed over, and
// --all-tracks, which keeps every track.

#include <string>

#include <gtest/gtest.h>

#include "e2e_support.h"

namespace morvane::testing {
namespace {

const char kPassedOne[] =
    "\n Passed over 1 note outside named tracks; --all-tracks keeps them\n";
const std::string kNotesHead = "// MORVANE file.\n";

struct Row {
  const char* what;
  std::string score;
  std::string all_console;  // the instruments with --all-tracks
  std::string all_notes;    // the note list after its first line
  std::string named_notes;  // the same without the option
  std::string named_err;
};

TEST(EndToEndAllTracks, EveryTrackWithNotesIsAnInstrument) {
  const std::string note_a = "0 On ch=1 n=60 v=90\n480 On ch=1 n=60 v=0\n";
  const std::string line_a = "0.000 \t0\t60\t90\t1.000\n";
  const Row rows[] = {
      {"a track with no name line at all", "MFile 1 1 480\n" + note_a,
       "Track 1", "// Instrument Track 1\n" + line_a, "", kPassedOne},
      {"an unnamed track before a named one",
       "MFile 1 2 480\nMTrk\n" + note_a +
           "480 Meta TrkEnd\nTrkEnd\nMTrk\n0 Meta TrkName B\n"
           "0 On ch=2 n=62 v=80\n960 On ch=2 n=62 v=0\n960 Meta TrkEnd\n"
           "TrkEnd\n",
       "Track 1B ",
       "// Instrument Track 1\n// Instrument B \n" + line_a +
           "0.000 \t1\t62\t80\t2.000\n",
       "// Instrument B \n0.000 \t1\t62\t80\t2.000\n", kPassedOne},
      {"a track named only by its sequence name",
       "MFile 1 1 480\nMTrk\n0 Meta SeqName \"Tune\"\n" + note_a +
           "480 Meta TrkEnd\nTrkEnd\n",
       "\"Tune\" ", "// Instrument \"Tune\" \n" + line_a, "", kPassedOne},
      {"several notes passed over",
       "MFile 1 2 480\nMTrk\n" + note_a + "0 On ch=1 n=64 v=90\n" +
           "0 Off ch=1 n=64 v=9\n9 On ch=1 n=65 v=0\n9 PrCh ch=1 p=4\n",
       "Track 1",
       "// Instrument Track 1\n" + line_a + "0.000 \t0\t64\t90\t0.000\n", "",
       "\n Passed over 2 notes outside named tracks; --all-tracks keeps "
       "them\n"},
      {"a note after its named track's end",
       "MFile 1 1 480\nMTrk\n0 Meta TrkName Piano\n0 On ch=1 n=60 v=90\n"
       "100 On ch=1 n=60 v=0\n100 Meta TrkEnd\n200 On ch=1 n=62 v=90\n"
       "680 On ch=1 n=62 v=0\nTrkEnd\n",
       "Piano Track 1",
       "// Instrument Piano \n// Instrument Track 1\n"
       "0.000 \t0\t60\t90\t0.208\n0.417 \t0\t62\t90\t1.000\n",
       "// Instrument Piano \n0.000 \t0\t60\t90\t0.208\n", kPassedOne},
      {"nothing passed over, nothing said",
       "MFile 1 1 480\nMTrk\n0 Meta TrkName A\n" + note_a, "A ",
       "// Instrument A \n" + line_a, "// Instrument A \n" + line_a, ""},
  };
  for (const Row& row : rows) {
    TempDir dir;
    dir.write("score.txt", row.score);
    Outcome r = run_morvane(dir, "--all-tracks score.txt notes.txt");
    EXPECT_EQ(r.status, 0) << row.what;
    EXPECT_NE(r.out.find("Instruments: " + row.all_console + "\nNumber"),
              std::string::npos)
        << row.what << r.out;
    EXPECT_EQ(r.err, "") << row.what;
    EXPECT_EQ(r.notes, kNotesHead + row.all_notes) << row.what;

    r = run_morvane(dir, "score.txt notes.txt");
    EXPECT_EQ(r.status, 0) << row.what;
    EXPECT_EQ(r.err, row.named_err) << row.what;
    EXPECT_EQ(r.notes, kNotesHead + row.named_notes) << row.what;
  }
}

TEST(EndToEndAllTracks, TheOptionAndTheCommandLineForms) {
  TempDir dir;
  dir.write("score.txt", "MFile 1 1 96\n0 On ch=1 n=60 v=90\n96 On ch=1 n=60 v=0\n");
  // The short form, with the note list named at the prompt.
  Outcome r = run_morvane(dir, "-a score.txt", "typed.txt\n", "typed.txt");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("\n\t Name of score for output?\tInstruments: Track 1"),
            std::string::npos)
      << r.out;
  EXPECT_EQ(r.notes, "// MORVANE file.\n// Instrument Track 1\n"
                     "0.000 \t0\t60\t90\t1.000\n");
  // Alone it names no score.
  r = run_morvane(dir, "--all-tracks");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Usage: morvane score.txt notelst.txt\n");
  // A file of that name is a score.
  dir.write("-a", "MFile 1 1 96\nMTrk\n0 Meta TrkName A\n0 On ch=1 n=1 v=1\n");
  r = run_morvane(dir, "-a notes.txt");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.notes, "// MORVANE file.\n// Instrument A \n"
                     "0.000 \t0\t1\t1\t0.000\n");
  // Options in any order before the names, each one only where no such file
  // is: here --all-tracks is an option and -q the score.
  dir.write("-q", "MFile 1 1 96\nMTrk\n0 Meta TrkName Q\n0 On ch=1 n=1 v=1\n");
  r = run_morvane(dir, "--all-tracks -q notes.txt");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind(banner() + "Instruments: Q \n", 0), 0u) << r.out;
  r = run_morvane(dir, "--quiet --all-tracks score.txt notes.txt");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.notes, "// MORVANE file.\n// Instrument Track 1\n"
                     "0.000 \t0\t60\t90\t1.000\n");
  // Three names after the option are too many, as three are without it.
  r = run_morvane(dir, "--all-tracks score.txt notes.txt more");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Usage: morvane score.txt notelst.txt\n"
                   "\n Can't open  as input score\n");
}

}  // namespace
}  // namespace morvane::testing

namespace morvane::testing {
namespace {

TEST(EndToEndOptions, HelpAndVersion) {
  TempDir dir;
  for (const char* option : {"--help", "-h"}) {
    const Outcome r = run_morvane(dir, option);
    EXPECT_EQ(r.status, 0) << option;
    EXPECT_EQ(r.err, "") << option;
    EXPECT_EQ(r.out.rfind(banner() + "\nUsage: morvane [-a] [-q] [--sync] ", 0), 0u)
        << r.out;
    EXPECT_NE(r.out.find("man morvane"), std::string::npos) << option;
  }
  Outcome r = run_morvane(dir, "--version");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, banner() + "morvane 0.1\n");
  // Asked for, the version and the help show with --quiet, without the banner.
  r = run_morvane(dir, "-q --version");
  EXPECT_EQ(r.out, "morvane 0.1\n");
  // A file of that name is a score; with a second name nothing is an option.
  dir.write("--help", "MFile 1 1 96\nMTrk\n0 Meta TrkName A\n0 On ch=1 n=1 v=1\n");
  r = run_morvane(dir, "--help", "typed.txt\n", "typed.txt");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(r.notes_exist);
  r = run_morvane(dir, "--version notes.txt");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "\n Can't open --version as input score\n");
}

}  // namespace
}  // namespace morvane::testing
