// A standard MIDI file read straight as events must give what reading its
// MIDI text rendering line by line gives: console, note list and status,
// every failure included. The rendering (render_midi_text), read as lines,
// is the oracle.

#include "reader/midi/read_midi_score.h"

#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "driver/in_memory_run.h"
#include "midi_bytes.h"
#include "midi_file.h"
#include "test_support.h"
#include "through_midi_text.h"

namespace morvane {
namespace {

using testing::bytes;
using testing::chunk;
using testing::header;

// Both ways, both with and without every track; true when they agree.
::testing::AssertionResult reads_as_its_text(const std::string& file) {
  for (bool all_tracks : {false, true}) {
    TranslationOptions options;
    options.all_tracks = all_tracks;
    const Translation direct =
        translate_in_memory("song.mid", file, "notes", options);
    const Translation text =
        testing::translate_through_midi_text("song.mid", file, "notes", options);
    if (direct.status != text.status || direct.out != text.out ||
        direct.err != text.err || direct.notes != text.notes) {
      std::string rendered;
      MidiFileError error;
      render_midi_text(file, rendered, error);
      return ::testing::AssertionFailure()
             << (all_tracks ? "with --all-tracks, " : "")
             << "status " << direct.status << " vs " << text.status
             << "\n--- direct:\n" << direct.out << direct.err << direct.notes
             << "\n--- through text:\n" << text.out << text.err << text.notes
             << "\n--- rendering:\n" << rendered.substr(0, 4000);
    }
  }
  return ::testing::AssertionSuccess();
}

TEST(ReadMidiScoreTest, CorpusFilesReadAsTheirText) {
  for (const std::string& name : testing::corpus_names()) {
    EXPECT_TRUE(reads_as_its_text(
        testing::read_file(testing::data_path("corpus/" + name + ".mid"))))
        << name;
  }
}

// A track chunk of the given events, each a delta time and its bytes.
std::string track(std::initializer_list<int> events) {
  return chunk("MTrk", bytes(events));
}

const std::string kEnd = bytes({0, 0xff, 0x2f, 0});

TEST(ReadMidiScoreTest, TheRulesOfTheTextReaderHold) {
  // Four-byte delta times of 2^28 - 1: nine of them pass 2^31 - 1.
  std::string far, far_packets, far_escapes;
  for (int k = 0; k < 9; ++k) {
    far += bytes({0xff, 0xff, 0xff, 0x7f, 0xb0, 7, 1});
    far_escapes += bytes({0xff, 0xff, 0xff, 0x7f, 0xf7, 1, 0xf3});
  }
  for (int k = 0; k < 8; ++k) {
    far_packets += bytes({0xff, 0xff, 0xff, 0x7f, 0xf7, 1, 2});
  }
  const std::string name_a = bytes({0, 0xff, 3, 8, 'S', 'o', 'l', 'o', ' ',
                                    'F', 'l', '"'});
  const std::string name_b = bytes({0, 0xff, 3, 0});
  const std::string notes = bytes({0, 0x91, 60, 90, 0x60, 0x81, 60, 64,
                                   0, 0x91, 62, 80, 0x30, 62, 0});
  // A drum track that lists its first beat before its name.
  const std::string song = chunk("MTrk", bytes({0, 0xff, 3, 4, 'S', 'o', 'n',
                                                'g'}) + kEnd);
  const std::string kick = bytes({0, 0x99, 35, 80});
  const std::string drums_name = bytes({0, 0xff, 3, 5, 'D', 'r', 'u', 'm', 's'});
  const std::string kick_end = bytes({0x81, 0x70, 0x99, 35, 0});
  const std::string notes_then_end =
      bytes({0, 0x91, 60, 90, 0x60, 0x91, 60, 0, 0, 0xff, 0x2f, 0});
  const struct {
    const char* what;
    std::string file;
  } rows[] = {
      {"format 1, named tracks",
       header(1, 3, 96) + track({0, 0xff, 0x51, 3, 7, 0xa1, 0x20}) +
           chunk("MTrk", name_a + notes + kEnd) +
           chunk("MTrk", name_b + notes + kEnd)},
      {"format 0: the sequence name names the track",
       header(0, 1, 480) + chunk("MTrk", name_a + notes + kEnd)},
      {"format 1: the first track's name is no instrument",
       header(1, 2, 480) + chunk("MTrk", name_a + notes + kEnd) +
           chunk("MTrk", notes + kEnd)},
      {"no end of track: the section runs into the next track",
       header(1, 3, 480) + chunk("MTrk", name_b) + chunk("MTrk", name_a + notes) +
           chunk("MTrk", notes + kEnd + notes)},
      {"a name after time 0 names nothing",
       header(1, 2, 480) + chunk("MTrk", "") +
           chunk("MTrk", bytes({5, 0xff, 3, 1, 'X'}) + notes + kEnd)},
      {"a time past 2^31 - 1 in a section is out of range",
       header(1, 2, 480) + chunk("MTrk", "") +
           chunk("MTrk", name_a + notes + far + notes + kEnd)},
      {"... and outside one is passed over without a word",
       header(1, 3, 480) + chunk("MTrk", "") + chunk("MTrk", far + notes) +
           chunk("MTrk", name_b + notes + kEnd)},
      {"a divided system exclusive message ends far on, in a section",
       header(1, 2, 480) + chunk("MTrk", "") +
           chunk("MTrk", name_b + bytes({0xff, 0xff, 0xff, 0x7f, 0xf0, 1, 1}) +
                             far_packets + bytes({0, 0xf7, 1, 0xf7}))},
      {"escaped bytes far on, in a section",
       header(1, 2, 480) + chunk("MTrk", "") + chunk("MTrk", name_b + far_escapes)},
      {"an SMPTE division", header(1, 1, 0xe728) + chunk("MTrk", notes)},
      {"division 0", header(1, 1, 0) + chunk("MTrk", name_b + notes)},
      {"damaged late: nothing of it is read",
       header(1, 2, 480) + chunk("MTrk", name_b + notes + kEnd) +
           chunk("MTrk", bytes({0, 0x90, 60}))},
      {"a track's notes of time 0 before its name are its own",
       header(1, 2, 480) + song +
           chunk("MTrk", kick + drums_name + kick_end + kEnd)},
      {"... unless a later time comes first",
       header(1, 2, 480) + song +
           chunk("MTrk", kick + bytes({0x78, 0x99, 38, 70}) + drums_name +
                             kick_end + kEnd)},
      {"... or the track's end, with other events between",
       header(1, 3, 480) + song +
           chunk("MTrk", kick + bytes({0, 0xc9, 5, 0, 0xf0, 1, 1, 0, 0x89, 35,
                                       64}) + kEnd + drums_name + kick_end) +
           chunk("MTrk", kick + bytes({0, 0xff, 1, 1, 'x'}) + kick)},
      {"a note after its track's end",
       header(1, 2, 480) + song +
           chunk("MTrk", drums_name + notes_then_end +
                             bytes({0x60, 0x91, 62, 90, 0x60, 0x91, 62, 0}))},
      {"six names: the console breaks the line after the fifth",
       header(1, 6, 480) + chunk("MTrk", name_a) + chunk("MTrk", name_a + kEnd) +
           chunk("MTrk", name_b + kEnd) + chunk("MTrk", name_a + kEnd) +
           chunk("MTrk", name_b + kEnd) + chunk("MTrk", name_a + notes)},
  };
  for (const auto& row : rows) {
    EXPECT_TRUE(reads_as_its_text(row.file)) << row.what;
  }
  // The rows are what they say: the far time does fail in a section, and
  // the first beat is the drum track's.
  const Translation far_in_section =
      translate_in_memory("song.mid", rows[5].file, "notes");
  EXPECT_EQ(far_in_section.status, 1);
  EXPECT_EQ(far_in_section.err,
            "\nTime out of range in MIDI file song.mid: track 2, the event at "
            "byte 106 comes after tick 2147483647.\n");
  EXPECT_EQ(translate_in_memory("song.mid", rows[12].file, "notes").notes,
            "// MORVANE file.\n// Instrument \"Drums\" \n"
            "0.000 \t9\t35\t80\t0.500\n");
  // Every track an instrument: the notes after the track's end are kept.
  TranslationOptions all_tracks;
  all_tracks.all_tracks = true;
  const Translation after_end =
      translate_in_memory("song.mid", rows[15].file, "notes", all_tracks);
  EXPECT_EQ(after_end.notes,
            "// MORVANE file.\n// Instrument \"Drums\" \n"
            "// Instrument Track 2\n"
            "0.000 \t1\t60\t90\t0.200\n0.400 \t1\t62\t90\t0.200\n");
  EXPECT_EQ(after_end.err, "");
}

// Each way a MIDI file is refused, as its user reads it: the file's name,
// and the byte of the damage, or the track and byte of the event.
TEST(ReadMidiScoreTest, FailuresAreToldInTheFilesTerms) {
  // A note whose ninth delta time of 2^28 - 1 takes it past 2^31 - 1.
  std::string far = bytes({0, 0xff, 3, 1, 'A'});
  for (int k = 0; k < 9; ++k) {
    far += bytes({0xff, 0xff, 0xff, 0x7f}) +
           (k == 0 ? bytes({0x90, 60, 64}) : bytes({60, 64}));
  }
  const std::string damaged = "\nBadly formed MIDI file song.mid: ";
  const struct {
    std::string file;
    std::string err;
  } rows[] = {
      {"MThd" + bytes({0, 0, 0, 6, 0, 1}),
       damaged + "header chunk runs past the end of the file at byte 0.\n"},
      {chunk("MThd", bytes({0, 1, 0, 1})),
       damaged + "header chunk shorter than 6 bytes at byte 4.\n"},
      {header(3, 1, 96), damaged + "format above 2 at byte 8.\n"},
      {header(1, 1, 96) + "MTrk" + bytes({0, 0, 1, 0}),
       damaged + "chunk runs past the end of the file at byte 14.\n"},
      {header(1, 1, 96) + track({0, 0x90, 60}),
       damaged + "event runs past the end of its chunk at byte 25.\n"},
      {header(1, 1, 96) + track({0x81, 0x81, 0x81, 0x81, 0}),
       damaged + "variable-length number longer than 4 bytes at byte 22.\n"},
      {header(1, 1, 96) + track({0, 0x40, 0x40}),
       damaged + "data byte where a status is needed at byte 23.\n"},
      {header(1, 1, 96) + track({0, 0xf4}),
       damaged + "status byte not allowed in a MIDI file at byte 23.\n"},
      {header(1, 1, 96) + track({0, 0xf0, 1, 1, 0, 0x90, 60, 90}),
       damaged + "system exclusive message not continued at byte 27.\n"},
      {header(1, 1, 96) + track({0, 0xf0, 1, 1}),
       damaged + "system exclusive message not completed at byte 26.\n"},
      {header(1, 1, 0xe728) + track({}),
       "\nMIDI file song.mid uses SMPTE time, which Morvane does not read: "
       "only ticks per quarter note.\n"},
      {header(1, 1, 0) + track({}),
       damaged + "division of 0 ticks per quarter note at byte 12.\n"},
      {header(1, 2, 96) + track({}) + chunk("MTrk", far),
       "\nTime out of range in MIDI file song.mid: track 2, the event at byte "
       "84 comes after tick 2147483647.\n"},
  };
  for (const auto& row : rows) {
    const Translation t = translate_in_memory("song.mid", row.file, "notes");
    EXPECT_EQ(t.status, 1) << row.err;
    EXPECT_EQ(t.err, row.err);
    EXPECT_EQ(t.notes, "") << row.err;
  }
}

// A random, mostly whole MIDI file: tracks of notes (some left sounding),
// other channel messages, running status, names at time 0 and later, text,
// ends of track anywhere or nowhere, system exclusive messages whole and in
// packets, and now and then a delta time so long that times pass 2^31.
std::string random_file(std::mt19937& random) {
  auto pick = [&random](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  const int tracks = pick(1, 5);
  const int division = pick(0, 9) == 0 ? pick(0, 1) * 0xe728 : pick(1, 960);
  std::string file = header(pick(0, 9) == 0 ? 0 : pick(1, 2), tracks, division);
  for (int t = 0; t < tracks; ++t) {
    std::string body;
    int running = 0;
    const int events = pick(0, 40);
    for (int e = 0; e < events; ++e) {
      const int r = pick(0, 99);
      if (r < 3) {
        body += bytes({0xff, 0xff, 0xff, 0x7f});
      } else if (r < 40) {
        body += static_cast<char>(pick(0, 3) == 0 ? 0 : pick(1, 127));
      } else {
        body += static_cast<char>(0);
      }
      const int kind = pick(0, 99);
      if (kind < 55) {
        const int status = (pick(0, 2) == 0 ? 0x80 : 0x90) | pick(0, 2);
        if (status != running || pick(0, 3) == 0) body += static_cast<char>(status);
        running = status;
        body += static_cast<char>(pick(58, 62));
        body += static_cast<char>(pick(0, 4) == 0 ? 0 : pick(1, 127));
      } else if (kind < 62) {
        running = 0xc0 | pick(0, 2);
        body += bytes({running, pick(0, 127)});
      } else if (kind < 66) {
        running = 0xe0;
        body += bytes({running, pick(0, 127), pick(0, 127)});
      } else if (kind < 78) {
        static const char* const kNames[] = {"Flute", "Solo Flute", "",
                                             " a  b ", "x\"y z", "\t\n"};
        const std::string text = kNames[pick(0, 5)];
        body += bytes({0xff, pick(0, 3) == 0 ? 1 : 3,
                       static_cast<int>(text.size())}) + text;
        running = 0;
      } else if (kind < 86) {
        body += kEnd.substr(1);
        running = 0;
      } else if (kind < 92) {
        body += bytes({0xf0, 2, 1, 0xf7});
        running = 0;
      } else if (kind < 96) {
        body += bytes({0xf0, 1, 1, 0, 0xf7, 2, 2, 0xf7});
        running = 0;
      } else {
        body += bytes({0xf7, 1, 0xf3});
        running = 0;
      }
    }
    file += chunk("MTrk", body);
  }
  return file;
}

TEST(ReadMidiScoreTest, RandomFilesReadAsTheirText) {
  std::mt19937 random(11);
  int failed_runs = 0;
  for (int n = 0; n < 1500; ++n) {
    const std::string file = random_file(random);
    ASSERT_TRUE(reads_as_its_text(file)) << "file " << n;
    failed_runs += translate_in_memory("song.mid", file, "notes").status;
  }
  // Both kinds of run are among them.
  EXPECT_GT(failed_runs, 50);
  EXPECT_LT(failed_runs, 1400);
}

TEST(ReadMidiScoreTest, CutAndFlippedFilesReadAsTheirText) {
  std::mt19937 random(5);
  for (const std::string& name : testing::corpus_names()) {
    const std::string whole =
        testing::read_file(testing::data_path("corpus/" + name + ".mid"));
    for (std::size_t cut = 0; cut < whole.size(); cut += 61) {
      ASSERT_TRUE(reads_as_its_text(whole.substr(0, cut))) << name << cut;
    }
    for (int n = 0; n < 40; ++n) {
      std::string flipped = whole;
      flipped[random() % flipped.size()] = static_cast<char>(random() & 0xff);
      ASSERT_TRUE(reads_as_its_text(flipped)) << name;
    }
  }
}

}  // namespace
}  // namespace morvane
