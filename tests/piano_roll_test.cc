#include "roll/piano_roll.h"

#include <csignal>
#include <cstdio>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "roll/legend.h"
#include "roll/note_list.h"
#include "roll/xml_text.h"

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

// Whether an XML parser (Python's, as browsers' are strict) reads svg
// whole; it says why not on standard error.
bool parses_as_xml(const std::string& svg) {
  std::signal(SIGPIPE, SIG_IGN);  // a parser that stops early
  FILE* parser = popen(
      "/usr/bin/python3 -c 'import sys, xml.dom.minidom; "
      "xml.dom.minidom.parse(sys.stdin.buffer)'",
      "w");
  if (parser == nullptr) return false;
  std::fwrite(svg.data(), 1, svg.size(), parser);
  return pclose(parser) == 0;
}

// The SVG of text, checked to be XML.
std::string drawn(const std::string& text, RollSummary& summary) {
  const std::string svg = draw_piano_roll(parsed(text), summary);
  EXPECT_TRUE(parses_as_xml(svg)) << text;
  return svg;
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
    const std::string svg = drawn(kHead + row.notes, summary);
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
  const std::string svg = drawn(
      kHead + "0.000 \t0\t48\t90\t1.000\n0.000 \t2\t72\t90\t0.000\n"
              "3.500 \t0\t50\t90\t0.500\n99.000 \t1\t60\t-5\t2.000\n",
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
  drawn(many, summary);
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
    EXPECT_TRUE(parses_as_xml(svg)) << row.what;
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

// A name is shown as strict UTF-8 decodes it, and the picture stays XML.
TEST(PianoRollTest, NamesOfAnyBytesStayValidXml) {
  const std::string kBad = "\xef\xbf\xbd";  // U+FFFD
  struct Row {
    const char* what;
    std::string name, shown;
  };
  const Row rows[] = {
      {"markup", "<A&B> \"x\"", "&lt;A&amp;B&gt; &quot;x&quot;"},
      {"two, three and four bytes", "Fl\xc3\xbbte \xe2\x82\xac \xf0\x9d\x84\x9e",
       "Fl\xc3\xbbte \xe2\x82\xac \xf0\x9d\x84\x9e"},
      {"a stray byte", "a\x80" "b\xff", "a" + kBad + "b" + kBad},
      {"a cut sequence", "a\xe2\x82" "b\xf0\x9d\x84", "a" + kBad + "b" + kBad},
      {"a surrogate", "a\xed\xa0\x80" "b", "a" + kBad + kBad + kBad + "b"},
      {"U+FFFE and U+FFFF", "a\xef\xbf\xbe" "b\xef\xbf\xbf", "a" + kBad + "b" + kBad},
      {"above U+10FFFF", "a\xf4\x90\x80\x80", "a" + kBad + kBad + kBad + kBad},
      {"overlong", "\xc0\xaf\xe0\x80\xaf\xf0\x80\x80\xaf",
       kBad + kBad + kBad + kBad + kBad + kBad + kBad + kBad + kBad},
      {"controls XML refuses are left out", "a\x01" "b\x1f" "c\td\x7f",
       "abc\td\x7f"},
  };
  for (const Row& row : rows) {
    RollSummary summary;
    const std::string svg = drawn("// Instrument " + row.name + "\n", summary);
    EXPECT_NE(svg.find(">Instruments: " + row.shown + "</text>"),
              std::string::npos) << row.what;
  }
  EXPECT_EQ(key_name(60), "C4");
  EXPECT_EQ(key_name(0), "C-1");
  EXPECT_EQ(key_name(61), "C#4");
}

// The legend's lines as drawn: x, y and text (below the grid's labels).
struct LegendLine {
  double x, y;
  std::u32string text;
};

std::vector<LegendLine> legend_lines(const std::string& svg) {
  static const std::regex kText(
      "<text x=\"([^\"]*)\" y=\"([^\"]*)\" text-anchor=\"start\">([^<]*)</text>");
  std::vector<LegendLine> lines;
  for (std::sregex_iterator m(svg.begin(), svg.end(), kText), end; m != end;
       ++m) {
    lines.push_back({std::stod((*m)[1]), std::stod((*m)[2]),
                     xml_code_points((*m)[3].str())});
  }
  return lines;
}

// However many instruments and channels, and however long a name, the
// legend keeps within the picture: every line ends before the grid's
// right edge and above the picture's bottom, and says all it had to.
TEST(PianoRollTest, TheLegendWrapsWithinThePicture) {
  std::string tracks, channels, long_name = "// Instrument ";
  for (int i = 1; i <= 379; ++i) {
    tracks += "// Instrument Trombone " + std::to_string(i) + " \n";
  }
  for (int i = 0; i < 300; ++i) {
    channels += "0.000 \t" + std::to_string(i) + "\t60\t90\t1.000\n";
  }
  long_name += std::string(200, 'W') + " and more\n";
  struct Row {
    const char* what;
    std::string text;
    std::size_t at_least;  // lines of legend
  };
  const Row rows[] = {
      {"379 instruments", tracks + "0.000 \t9\t60\t90\t1.000\n", 60},
      {"300 channels", channels, 40},
      {"a name wider than the picture", long_name, 6},
  };
  for (const Row& row : rows) {
    RollSummary summary;
    const std::string svg = drawn(row.text, summary);
    const NoteList list = parsed(row.text);
    const RollLayout layout = lay_out(list);
    const double right =
        layout.x(std::max(4.0, std::ceil(layout.length_beats)));
    const double height = std::stod(svg.substr(svg.find("height=\"") + 8));
    const std::vector<LegendLine> lines = legend_lines(svg);
    EXPECT_GE(lines.size(), row.at_least) << row.what;
    std::u32string said;
    for (const LegendLine& line : lines) {
      EXPECT_LE(line.x + text_width(line.text), right) << row.what;
      EXPECT_LE(line.y + 4, height) << row.what;
      for (char32_t c : line.text) said += c == ' ' ? U"" : std::u32string(1, c);
    }
    std::u32string meant = U"Instruments:";
    for (std::size_t i = 0; i < list.instruments.size(); ++i) {
      for (char32_t c : xml_code_points(list.instruments[i])) {
        if (c != ' ') meant += c;
      }
      if (i + 1 < list.instruments.size()) meant += ';';
    }
    EXPECT_EQ(said.substr(0, meant.size()), meant) << row.what;
  }
}

TEST(PianoRollTest, ChannelsAsTheListAndMusiciansCountThem) {
  const std::pair<int64_t, std::string> rows[] = {
      {0, "0 (MIDI 1)"},       {9, "9 (MIDI 10, drums)"},
      {15, "15 (MIDI 16)"},    {16, "16"},
      {-1, "-1"},              {INT64_MAX, "9223372036854775807"},
  };
  for (const auto& [channel, label] : rows) {
    EXPECT_EQ(channel_label(channel), label);
  }
  RollSummary summary;
  EXPECT_NE(drawn("0.000 \t9\t36\t90\t1.000\n", summary)
                .find(">9 (MIDI 10, drums)</text>"),
            std::string::npos);
}

}  // namespace
}  // namespace morvane
