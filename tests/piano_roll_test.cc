#include "roll/piano_roll.h"

#include <algorithm>
#include <chrono>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "roll/note_list.h"

namespace morvane {
namespace {

const std::string kHead = "// MORVANE file.\n// Instrument Solo Flute\n";

NoteList parsed(const std::string& text) {
  NoteList list;
  NoteListError error;
  EXPECT_TRUE(parse_note_list(text, list, error)) << error.reason;
  return list;
}

// The x, y, width and height of every note rectangle, as written.
std::vector<std::string> note_rects(const std::string& svg) {
  static const std::regex kRect(
      "<rect class=\"note\" x=\"([^\"]*)\" y=\"([^\"]*)\" width=\"([^\"]*)\" "
      "height=\"([^\"]*)\"");
  std::vector<std::string> rects;
  for (std::sregex_iterator m(svg.begin(), svg.end(), kRect), end; m != end;
       ++m) {
    rects.push_back((*m)[1].str() + " " + (*m)[2].str() + " " + (*m)[3].str() +
                    " " + (*m)[4].str());
  }
  return rects;
}

// Beats are 64 pixels from x = 48 in a short piece; a key's row is 10
// pixels, from y = 24 for two keys above the highest.
TEST(PianoRollTest, NotesBecomeRectanglesWhereTheyAre) {
  struct Row {
    const char* what;
    std::string notes;
    std::vector<std::string> rects;
  };
  const Row rows[] = {
      {"one note", "0.000 \t0\t60\t90\t1.000\n", {"48 44.5 64 9"}},
      {"two keys, two channels, CR LF",
       "0.500 \t0\t60\t90\t0.250\r\n1.000 \t3\t64\t10\t2.000\r\n",
       {"80 84.5 16 9", "112 44.5 128 9"}},
      {"a note of no length is a thin mark",
       "2.000 \t0\t60\t90\t0.000\n2.000 \t0\t60\t90\t-0.000\n",
       {"176 44.5 2 9", "176 44.5 2 9"}},
      {"a negative velocity is not drawn",
       "960.000 \t2\t60\t-5\t3.000\n1.000 \t0\t61\t1\t1.000\n",
       {"112 44.5 64 9"}},
  };
  for (const Row& row : rows) {
    RollSummary summary;
    const std::string svg = draw_piano_roll(parsed(kHead + row.notes), summary);
    EXPECT_EQ(note_rects(svg), row.rects) << row.what;
    EXPECT_NE(svg.find("Instruments: Solo Flute"), std::string::npos);
  }
}

TEST(PianoRollTest, ALongPieceKeepsItsWidthWithinReach) {
  std::string notes;
  for (int beat = 0; beat < 1200; ++beat) {
    notes += std::to_string(beat) + ".000 \t1\t" + std::to_string(40 + beat % 40) +
             "\t80\t0.500\n";
  }
  const RollLayout layout = lay_out(parsed(kHead + notes));
  EXPECT_EQ(layout.beat_px, 4);
  EXPECT_EQ(layout.low_key, 38);
  EXPECT_EQ(layout.high_key, 81);
}

TEST(PianoRollTest, SummaryAndMerging) {
  RollSummary summary;
  const std::string svg = draw_piano_roll(
      parsed(kHead + "0.000 \t0\t48\t90\t1.000\n0.000 \t2\t72\t90\t0.000\n"
                     "3.500 \t0\t50\t90\t0.500\n99.000 \t1\t60\t-5\t2.000\n"),
      summary);
  EXPECT_EQ(describe(summary),
            "notes: 4\nchannels: 0 2\nkeys: 48 (C3) to 72 (C5)\n"
            "length: 4.000 beats\nnotes of no length: 1\n"
            "notes with a negative velocity: 1 (not drawn)\n");
  EXPECT_NE(svg.find("<title>start 3.500, duration 0.500, channel 0, key 50 "
                     "(D3), velocity 90</title>"),
            std::string::npos);

  // Above the limit, notes of one key and channel in one pixel merge.
  std::string many;
  for (std::size_t k = 0; k <= kMergeAbove; ++k) {
    many += std::to_string(k / 100) + "." + std::to_string(k % 100 / 10) +
            "00 \t0\t60\t90\t0.100\n";
  }
  draw_piano_roll(parsed(many), summary);
  // The summary without the drawing is the same, marks counted.
  EXPECT_EQ(describe(summarize(parsed(many))), describe(summary));
  EXPECT_EQ(summary.notes, kMergeAbove + 1);
  EXPECT_LT(summary.drawn, summary.notes / 2);
  EXPECT_NE(describe(summary).find("merged: 100001 notes drawn as "),
            std::string::npos);
}

// However long or wide a hand-made list, the picture stays small and quick
// (its grid and labels are spaced by pixels in a bounded width), numbers a
// roll cannot place are refused, and the summary's keys are the notes'.
TEST(PianoRollTest, BoundedPictureOfAnyList) {
  struct Row {
    const char* what;
    std::string notes;
    std::string refused;  // the reason, or "" when drawn
    std::string keys;     // the summary's line of keys
  };
  const Row rows[] = {
      {"a note 20,000,000 beats in",
       "0.000 \t0\t60\t90\t1.000\n20000000.000 \t0\t64\t90\t1.000\n", "",
       "keys: 60 (C4) to 64 (E4)"},
      {"starts and durations near the largest double",
       "1e300 \t0\t60\t90\t1.000\n-1e308 \t1\t62\t90\t1e308\n"
       "1e308 \t2\t61\t90\t1e308\n",
       "", "keys: 60 (C4) to 62 (D4)"},
      {"keys far apart, beyond MIDI's",
       "0.000 \t0\t200\t90\t1.000\n0.000 \t0\t9000000000000000000\t90\t1.000\n",
       "", "keys: 200 (G#15) to 9000000000000000000 (C749999999999999999)"},
      {"the lowest key", "0.000 \t0\t0\t90\t1.000\n", "",
       "keys: 0 (C-1) to 0 (C-1)"},
      {"the highest key", "0.000 \t0\t127\t90\t1.000\n", "",
       "keys: 127 (G9) to 127 (G9)"},
      {"an infinite start", "0.000 \t0\t60\t90\t1.000\ninf \t0\t60\t90\t1.000\n",
       "a number that is not finite", ""},
      {"a duration that is not a number", "0.000 \t0\t60\t90\t-nan\n",
       "a number that is not finite", ""},
  };
  for (const Row& row : rows) {
    NoteList list;
    NoteListError error;
    const bool parsed = parse_note_list(kHead + row.notes, list, error);
    EXPECT_EQ(parsed ? "" : error.reason, row.refused) << row.what;
    if (!parsed) {
      EXPECT_EQ(error.line, 2u + std::count(row.notes.begin(), row.notes.end(),
                                            '\n')) << row.what;
      continue;
    }
    RollSummary summary;
    const auto started = std::chrono::steady_clock::now();
    const std::string svg = draw_piano_roll(list, summary);
    const std::chrono::duration<double> took =
        std::chrono::steady_clock::now() - started;
    EXPECT_LT(svg.size(), 200000u) << row.what;
    EXPECT_LT(took.count(), 0.25) << row.what;
    EXPECT_NE(describe(summary).find("\n" + row.keys + "\n"), std::string::npos)
        << row.what << "\n" << describe(summary);
  }
}

TEST(PianoRollTest, BadLinesAreRefusedWithTheirNumber) {
  struct Row {
    std::string text;
    uint64_t line;
    std::string reason;
  };
  const Row rows[] = {
      {kHead + "0.000 \t0\t60\t90\t1.000\nhello\n", 4,
       "not a note line or a comment"},
      {kHead + "0.000 \t0\tsixty\t90\t1.000\n", 3, "a number that does not parse"},
      {"0.000 \t0\t60\t90\n", 1, "not a note line or a comment"},
      {"0.000 \t0\t60\t90\t1.000 extra\n", 1, "a number that does not parse"},
      // Decimals are read as from_chars reads them: no hexadecimal, nothing
      // too large for a double, no blank before the number.
      {"0x1p3 \t0\t60\t90\t1.000\n", 1, "a number that does not parse"},
      {"0.000 \t0\t60\t90\t1e999\n", 1, "a number that does not parse"},
      {"0.000 \t0\t60\t90\t-\n", 1, "a number that does not parse"},
      {" 0.000 \t0\t60\t90\t1.000\n", 1, "a number that does not parse"},
  };
  for (const Row& row : rows) {
    NoteList list;
    NoteListError error;
    EXPECT_FALSE(parse_note_list(row.text, list, error)) << row.text;
    EXPECT_EQ(error.line, row.line) << row.text;
    EXPECT_EQ(error.reason, row.reason) << row.text;
  }
}

TEST(PianoRollTest, DecimalsInEveryFormAWriterUses) {
  const NoteList list = parsed(
      "+1.5 \t0\t60\t90\t-0.000\n12345678901234.000 \t1\t61\t9\t2e3\n"
      "-3.25 \t-2\t62\t-1\t.5\n");
  ASSERT_EQ(list.notes.size(), 3u);
  EXPECT_EQ(list.notes[0].start_beats, 1.5);
  EXPECT_EQ(list.notes[0].duration_beats, 0.0);
  EXPECT_EQ(list.notes[1].start_beats, 12345678901234.0);
  EXPECT_EQ(list.notes[1].duration_beats, 2000.0);
  EXPECT_EQ(list.notes[2].start_beats, -3.25);
  EXPECT_EQ(list.notes[2].channel, -2);
  EXPECT_EQ(list.notes[2].duration_beats, 0.5);
}

TEST(PianoRollTest, NamesOfAnyBytesStayValidXml) {
  RollSummary summary;
  const std::string svg = draw_piano_roll(
      parsed("// Instrument <A&B> \"x\" \xff\x01\xc3\xa9\n"), summary);
  EXPECT_NE(svg.find("Instruments: &lt;A&amp;B&gt; &quot;x&quot; "
                     "\xef\xbf\xbd\xef\xbf\xbd\xc3\xa9"),
            std::string::npos);
  EXPECT_EQ(key_name(60), "C4");
  EXPECT_EQ(key_name(0), "C-1");
  EXPECT_EQ(key_name(61), "C#4");
}

}  // namespace
}  // namespace morvane
