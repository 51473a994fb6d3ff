#include "reader/read_text_score.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "reader/line_source.h"
#include "test_support.h"
#include "writer/note_list_file.h"

namespace morvane {
namespace {

using testing::read_file;
using testing::TempDir;

struct ReadResult {
  int status = 0;
  std::vector<EventRecord> events;
  int32_t division = 0;
  uint64_t passed_over_notes = 0;
  std::string out, err, notes;
};

// Runs the text reader alone over score and keeps what it left behind. The
// score is read from memory or from_file, in blocks.
ReadResult read_text(const std::string& score, bool from_file = false,
                     bool all_tracks = false) {
  TempDir dir;
  std::ostringstream out, err;
  std::istringstream keys;
  ReadResult result;
  {
    RunState state(out, err, keys);
    state.all_tracks = all_tracks;
    if (from_file) {
      state.input = FileLineSource::open(dir.write("score.txt", score));
    } else {
      state.input = std::make_unique<MemoryLineSource>(score);
    }
    state.output = NoteListFile::open(dir.path("notes.txt"));
    try {
      read_text_score(state);
    } catch (const RunFailure& failure) {
      result.status = failure.status;
    }
    state.output->close();
    EXPECT_EQ(state.table.count(), state.table.events() + 1);
    for (std::size_t i = 1; i < state.table.count(); ++i) {
      result.events.push_back(state.table.at(i));
    }
    result.division = state.division;
    result.passed_over_notes = state.passed_over_notes;
  }
  result.out = out.str();
  result.err = err.str();
  result.notes = read_file(dir.path("notes.txt"));
  return result;
}

TEST(ReadScoreTest, WorkedExample) {
  const ReadResult r = read_text(
      "MFile 1 2 480\nMTrk\n0 Meta TrkName Flute\n0 On ch=1 n=72 v=80\n"
      "480 On ch=1 n=72 v=0\n480 Meta TrkEnd\nTrkEnd\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.division, 480);
  EXPECT_EQ(r.out, "Instruments: Flute \nNumber of lines in array 2\n");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.notes, "// MORVANE file.\n// Instrument Flute \n");
  EXPECT_EQ(r.events, (std::vector<EventRecord>{{0, 1, 72, 80},
                                                {480, 1, 72, 0}}));
}

// Each row is the body of a score after "MFile 1 1 96" and the events the
// reader takes from it; some rows also give the instrument lines and the
// notes passed over, and some read with every track an instrument.
TEST(ReadScoreTest, TrackSectionsAndCarriedFields) {
  struct Row {
    const char* what;
    std::string body;
    std::vector<EventRecord> events;
    const char* instruments = nullptr;  // the note list's lines after its first
    uint64_t passed_over = 0;
    bool all_tracks = false;
  };
  const std::string name = "0 Meta TrkName X\n";
  const std::string long_tail(200, 'z');
  // A track that lists its first note before its name, and one that has a
  // later time before it.
  const std::string song =
      "MTrk\n0 Meta SeqName \"Song\"\n0 Meta TrkEnd\nTrkEnd\nMTrk\n"
      "0 On ch=10 n=35 v=80\n";
  const std::string drums =
      "0 Meta TrkName \"Drums\"\n240 On ch=10 n=35 v=0\n240 Meta TrkEnd\n"
      "TrkEnd\n";
  const std::string drums_late = song + "120 On ch=10 n=38 v=70\n" + drums;
  // Note lines after the track's end, in a track without a name and in one
  // with a name.
  const std::string after_end =
      "MTrk\n0 On ch=1 n=60 v=90\n100 Meta TrkEnd\n200 On ch=1 n=62 v=90\n"
      "300 On ch=1 n=62 v=0\nTrkEnd\n";
  const std::string piano_after_end =
      "MTrk\n0 Meta TrkName Piano\n" + after_end.substr(5);
  const Row rows[] = {
      {"lines outside a named track are passed over",
       "MTrk\n0 On ch=1 n=60 v=90\n0 Meta TrkEnd\n", {}},
      {"an Off line ends its note, whatever its velocity",
       name + "480 Off ch=1 n=72 v=64\n", {{480, 1, 72, 0}}},
      {"the velocity an Off line scanned is still carried",
       name + "480 Off ch=1 n=72 v=64\n481 On ch=1 n=73\n",
       {{480, 1, 72, 0}, {481, 1, 73, 64}}},
      {"only note lines are events; other lines still set the fields",
       name + "0 On ch=1 n=60 v=90\n10 Pb ch=1 v=8192\n20 ChPr ch=1 v=40\n"
              "30 Par ch=1 c=7 v=100\n40 PoPr ch=1 n=61 v=50\n"
              "50 PrCh ch=2 p=3\n\n60 On\n",
       {{0, 1, 60, 90}, {60, 2, 61, 50}}},
      {"fields never supplied start at 0",
       name + "0 PrCh ch=3 p=5\n1 On\n", {{1, 3, 0, 0}}},
      {"text, marker and lyric lines leave the section open",
       name + "0 Meta Text \"x\"\n0 On ch=1 n=60 v=90\n5 Meta Marker \"A\"\n"
              "7 Meta Lyric x\n9 On ch=1 n=60 v=0\n",
       {{0, 1, 60, 90}, {9, 1, 60, 0}}},
      {"the track's end closes the section",
       name + "0 On ch=1 n=60 v=90\n4 Meta TrkEnd\n5 On ch=1 n=60 v=0\n",
       {{0, 1, 60, 90}}},
      {"lines the scan cannot start on add nothing",
       name + "7 On ch=2 n=61 v=9\n\nTrkEnd\nMTrk\n", {{7, 2, 61, 9}}},
      {"a kind word carried from a Meta line closes nothing",
       name + "1 Meta Text x\n\n2 On ch=1 n=1 v=1\n", {{2, 1, 1, 1}}},
      {"a sequence name opens nothing in format 1",
       "0 Meta SeqName X\n1 On ch=1 n=1 v=1\n", {}},
      {"a name line not at time 0 opens nothing",
       "5 Meta TrkName X\n1 On ch=1 n=1 v=1\n", {}},
      {"inside a section a late name line is passed over",
       name + "1 On ch=1 n=1 v=1\n5 Meta TrkName Y\n2 On ch=1 n=2 v=2\n",
       {{1, 1, 1, 1}, {2, 1, 2, 2}}},
      {"a long line is one event",
       name + "3 On ch=1 n=64 v=70 " + long_tail + "\n", {{3, 1, 64, 70}}},
      {"carriage returns are white space",
       name + "3 On ch=1 n=64 v=70\r\n4\tOn  ch=1\rn=64 v=0\r\n",
       {{3, 1, 64, 70}, {4, 1, 64, 0}}},
      {"a NUL byte ends the line as in C, Ctrl-Z is ordinary",
       name + "3 On ch=1 n=64 v=70\n4 On ch=2" + std::string(1, '\0') +
           " n=9 v=9\n\x1a\n",
       {{3, 1, 64, 70}, {4, 2, 64, 70}}},
      {"the last line needs no line feed",
       name + "3 On ch=1 n=64 v=70", {{3, 1, 64, 70}}},
      {"a sign is part of a number", name + "-3 On ch=+1 n=-4 v=-5\n",
       {{-3, 1, -4, -5}}},
      {"fields beyond a byte are kept whole",
       name + "1 On ch=256 n=300 v=2147483647\n2 On ch=255 n=255 v=255\n"
              "3 On ch=-2147483648 n=0 v=0\n",
       {{1, 256, 300, 2147483647}, {2, 255, 255, 255}, {3, INT32_MIN, 0, 0}}},
      {"a track's notes of time 0 before its name are its own", song + drums,
       {{0, 10, 35, 80}, {240, 10, 35, 0}}, "// Instrument \"Drums\" \n"},
      {"... with every track an instrument too", song + drums,
       {{0, 10, 35, 80}, {240, 10, 35, 0}}, "// Instrument \"Drums\" \n", 0,
       true},
      {"a later time before the name ends the wait", drums_late,
       {{240, 10, 35, 0}}, "// Instrument \"Drums\" \n", 2},
      {"... and every track names the track by its number", drums_late,
       {{0, 10, 35, 80}, {120, 10, 38, 70}, {240, 10, 35, 0}},
       "// Instrument Track 2\n// Instrument \"Drums\" \n", 0, true},
      {"a waiting line carries fields as in file order; the lines between "
       "are passed over",
       name + "0 On ch=2 n=50 v=60\n0 Meta TrkEnd\nMTrk\n0 On ch=4 n=61\n"
              "0 PrCh ch=9 p=1\n0 On ch=3\n" + name + "1 On\n",
       {{0, 2, 50, 60}, {0, 4, 61, 60}, {0, 3, 61, 60}, {1, 3, 61, 60}}},
      {"a track's end ends the wait", "MTrk\n0 On ch=1 n=1 v=1\nTrkEnd\n" + name,
       {}, "// Instrument X \n", 1},
      {"... so does the score's, with every track an instrument",
       "MTrk\n0 Meta SeqName S\n0 On ch=1 n=1 v=1\n0 Meta SeqName T\n",
       {{0, 1, 1, 1}}, "// Instrument S \n", 0, true},
      {"a note after its track's end is passed over", piano_after_end,
       {{0, 1, 60, 90}}, "// Instrument Piano \n", 1},
      {"... with every track an instrument it opens a section named as a "
       "nameless track is",
       piano_after_end, {{0, 1, 60, 90}, {200, 1, 62, 90}, {300, 1, 62, 0}},
       "// Instrument Piano \n// Instrument Track 1\n", 0, true},
      {"... also in a track that had no name", after_end,
       {{0, 1, 60, 90}, {200, 1, 62, 90}, {300, 1, 62, 0}},
       "// Instrument Track 1\n// Instrument Track 1\n", 0, true},
      {"... by its sequence name where it has one",
       "MTrk\n0 Meta SeqName \"Song\"\n" + piano_after_end.substr(5),
       {{0, 1, 60, 90}, {200, 1, 62, 90}, {300, 1, 62, 0}},
       "// Instrument Piano \n// Instrument \"Song\" \n", 0, true},
  };
  for (const Row& row : rows) {
    const ReadResult r =
        read_text("MFile 1 1 96\n" + row.body, false, row.all_tracks);
    EXPECT_EQ(r.status, 0) << row.what;
    EXPECT_EQ(r.events, row.events) << row.what;
    if (row.instruments != nullptr) {
      EXPECT_EQ(r.notes, std::string("// MORVANE file.\n") + row.instruments)
          << row.what;
      EXPECT_EQ(r.passed_over_notes, row.passed_over) << row.what;
    }
  }
}

TEST(ReadScoreTest, InstrumentNames) {
  struct Row {
    std::string names;  // the name lines, in order
    std::string console;
    std::string file;
  };
  const Row rows[] = {
      {"0 Meta TrkName Solo Flute\n0 Meta TrkName Oboe\n",
       "Solo FluteOboe ",
       "// Instrument Solo Flute\n// Instrument Oboe \n"},
      {"0 Meta TrkName \"Alto Sax\" third word\n", "\"Alto Sax\"",
       "// Instrument \"Alto Sax\"\n"},
      {"0 Meta TrkNameGlued\n", "Glued ", "// Instrument Glued \n"},
      // With no word the first word of the name before stays.
      {"0 Meta TrkName A B\n0 Meta TrkName\n", "A BA ",
       "// Instrument A B\n// Instrument A \n"},
      {"0 Meta TrkName a\n0 Meta TrkName b\n0 Meta TrkName c\n"
       "0 Meta TrkName d\n0 Meta TrkName e\n0 Meta TrkName f\n",
       "a b c d e \n\tf ",
       "// Instrument a \n// Instrument b \n// Instrument c \n"
       "// Instrument d \n// Instrument e \n// Instrument f \n"},
      {"0 Meta  TrkName Spaced\n", "", ""},
  };
  for (const Row& row : rows) {
    const ReadResult r = read_text("MFile 1 2 96\n" + row.names);
    EXPECT_EQ(r.out, "Instruments: " + row.console +
                         "\nNumber of lines in array 0\n")
        << row.names;
    EXPECT_EQ(r.notes, "// MORVANE file.\n" + row.file) << row.names;
  }
}

// A converter writes the one track's name of a format 0 file as a
// sequence name.
TEST(ReadScoreTest, FormatZeroNamesItsTrackBySequenceName) {
  const ReadResult r = read_text(
      "MFile 0 1 96\nMTrk\n0 Meta SeqName \"Tune\"\n0 On ch=1 n=60 v=90\n"
      "96 On ch=1 n=60 v=0\n5 Meta SeqName Late\n96 Meta TrkEnd\n");
  EXPECT_EQ(r.out, "Instruments: \"Tune\" \nNumber of lines in array 2\n");
  EXPECT_EQ(r.notes, "// MORVANE file.\n// Instrument \"Tune\" \n");
  EXPECT_EQ(r.events,
            (std::vector<EventRecord>{{0, 1, 60, 90}, {96, 1, 60, 0}}));
}

TEST(ReadScoreTest, HeaderAndNumberFailures) {
  struct Row {
    std::string score;
    int status;
    std::string err;
    int32_t division;
  };
  const std::string division_message =
      "\nBadly formed MIDI text file: division must be above 0.\n";
  const Row rows[] = {
      {"MFileX 0 1 96\n", 0, "", 96},
      {"MFile 1 2 -480\n", 1, division_message, 0},
      {"MFile 1 2\n0 Meta TrkName X\n", 1, division_message, 0},
      {"", 1, "\nEmpty MIDI text file.\n", 0},
      {"\n", 1, "\nBadly formed MIDI text file.\n", 0},
      {"mfile 1 2 480\n", 1, "\nBadly formed MIDI text file.\n", 0},
      {"MFile 1 2 4294967776\n", 1,
       "\nNumber out of range in line 1 of the MIDI text file.\n", 0},
      {"MFile 1 1 96\nMTrk\n0 Meta TrkName X\n1 On ch=1 n=2 v=3\n"
       "1 On ch=1 n=2 v=-2147483649\n",
       1, "\nNumber out of range in line 5 of the MIDI text file.\n", 96},
      // Out of a section nothing is scanned, so nothing is out of range.
      {"MFile 1 1 96\n99999999999 On ch=1 n=2 v=3\n", 0, "", 96},
      // A note line that waited for its track's name is read in its line.
      {"MFile 1 1 96\nMTrk\n0 On ch=1 n=2 v=3\n0 On ch=1 n=2 v=3333333333\n"
       "0 Meta TrkName X\n",
       1, "\nNumber out of range in line 4 of the MIDI text file.\n", 96},
  };
  for (const Row& row : rows) {
    const ReadResult r = read_text(row.score);
    EXPECT_EQ(r.status, row.status) << row.score;
    EXPECT_EQ(r.err, row.err) << row.score;
    EXPECT_EQ(r.division, row.division) << row.score;
    if (row.status != 0 && r.division == 0) {
      // Refused before anything reached the console or the note list.
      EXPECT_EQ(r.out, "") << row.score;
      EXPECT_EQ(r.notes, "") << row.score;
    }
  }
}

// A read error ends the run with a message that names the score.
TEST(ReadScoreTest, AReadErrorEndsTheRun) {
  // A stream that gives the first lines, then fails.
  static constexpr std::string_view kStart = "MFile 1 1 96\nMTrk\n";
  bool given = false;
  cookie_io_functions_t io = {
      [](void* cookie, char* buffer, std::size_t size) -> ssize_t {
        bool& given = *static_cast<bool*>(cookie);
        if (given) return -1;
        given = true;
        const std::size_t n = std::min(size, kStart.size());
        std::memcpy(buffer, kStart.data(), n);
        return static_cast<ssize_t>(n);
      },
      nullptr, nullptr, nullptr};
  TempDir dir;
  std::ostringstream out, err;
  std::istringstream keys;
  RunState state(out, err, keys);
  state.input_name = "song.txt";
  state.input = FileLineSource::from_stream(fopencookie(&given, "r", io));
  state.output = NoteListFile::open(dir.path("notes.txt"));
  int status = 0;
  try {
    read_text_score(state);
  } catch (const RunFailure& failure) {
    status = failure.status;
  }
  EXPECT_EQ(status, 1);
  EXPECT_EQ(err.str(), "\n Can't read song.txt as input score\n");
  EXPECT_EQ(out.str(), "Instruments: ");
}

// Scores of many blocks, so that runs of plain lines meet the buffer's end
// in every way, and of any line shapes, so that they meet every other line.
TEST(ReadScoreTest, AFileReadsAsItsLinesDoInMemory) {
  std::mt19937 random(23);
  for (int n = 0; n < 60; ++n) {
    const bool large = n % 10 == 0;
    std::string score = n % 7 == 0 ? "MFile 0 1 96\n" : "MFile 1 4 480\n";
    const int lines = large ? 60000 : static_cast<int>(random() % 200);
    for (int k = 0; k < lines; ++k) {
      std::string line = testing::random_score_line(random);
      // Rare out-of-range lines, so that the large scores read on.
      if (line[0] == '9' && random() % (large ? 1000 : 8) != 0) continue;
      // Mostly note lines, as in a real score.
      if (random() % 4 != 0) {
        line = std::to_string(k) + " On ch=1 n=" + std::to_string(k % 128) +
               " v=" + std::to_string(k % 3 == 0 ? 0 : 64) + "\n";
      }
      score += line;
    }
    const ReadResult memory = read_text(score);
    const ReadResult file = read_text(score, true);
    ASSERT_EQ(file.status, memory.status) << "score " << n;
    ASSERT_EQ(file.events, memory.events) << "score " << n;
    ASSERT_EQ(file.out, memory.out) << "score " << n;
    ASSERT_EQ(file.err, memory.err) << "score " << n;
    ASSERT_EQ(file.notes, memory.notes) << "score " << n;
    if (large) {
      EXPECT_GT(score.size(), 3 * FileLineSource::kBlockSize);
    }
  }
}

}  // namespace
}  // namespace morvane
