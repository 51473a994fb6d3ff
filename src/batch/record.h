// The record of what made each note list, kept in OUTDIR as build tools
// keep their logs, so that a list is up to date only when it was made from
// this score, with these options, by this program, and is still the list
// that was made. A line a list, fields apart by tabs (a tab, a line feed, a
// carriage return or a backslash in a name written \t, \n, \r, \\):
//
//   # morvane-batch record 1: list, score, ...    (the header line)
//   a.mid.notes  /home/u/in/a.mid  812  1767225600123456789  1311
//     --all-tracks  0.1  4410  1767225700987654321  1402
//
// (one line, its tabs shown as blanks): the list's path below OUTDIR; the
// score's absolute path, size, time of its last change in nanoseconds and
// inode; the options that change a list; the program's version; the list's
// size, time and inode. The record is rewritten whole at the end of a batch
// (and now and then while it runs); a line that does not read is no record
// of its list, which is translated again.

#ifndef MORVANE_BATCH_RECORD_H_
#define MORVANE_BATCH_RECORD_H_

#include <cstdint>
#include <string>
#include <unordered_map>

namespace morvane::batch {

// The record's name in OUTDIR; no note list ends so.
inline constexpr char kRecordName[] = ".morvane-batch-record";

// What a file's status says of its contents: when it changes, so may they.
struct FileStamp {
  uint64_t size = 0;
  int64_t time_ns = 0;  // last change of the contents, since 1970
  uint64_t inode = 0;

  friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The stamp of the file path names (links followed); false when there is
// none to be had.
bool stamp_file(const std::string& path, FileStamp& stamp);

// What made one note list.
struct MadeFrom {
  std::string score;  // absolute_path of the score
  FileStamp score_stamp;
  std::string options;  // "--all-tracks" or empty
  std::string version;
  FileStamp list;

  friend bool operator==(const MadeFrom&, const MadeFrom&) = default;
};

// The record: what made each list, by its path below OUTDIR.
using Record = std::unordered_map<std::string, MadeFrom>;

// The record's text, its lines in the order of their lists' paths.
std::string record_text(const Record& record);

// The record that text holds; lines that do not read are left out, and a
// text without the header holds none.
Record parse_record(const std::string& text);

// The record as a file: what it held when read, and its text as last read
// or written.
struct RecordFile {
  std::string path;
  Record record;
  std::string text;
};

// Reads the record at path; missing or unreadable, it holds nothing.
RecordFile read_record(const std::string& path);

// Makes record the file's (whole, through the output seam), unless the file
// holds it already; false when it could not.
bool save_record(RecordFile& file, const Record& record);

}  // namespace morvane::batch

#endif  // MORVANE_BATCH_RECORD_H_
