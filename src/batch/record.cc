#include "batch/record.h"

#include <algorithm>
#include <charconv>
#include <string_view>
#include <vector>

#include <sys/stat.h>

#include "batch/whole_file.h"

namespace morvane::batch {
namespace {

constexpr std::string_view kHeader =
    "# morvane-batch record 1: list, score, size, time_ns, inode, options, "
    "version, list size, list time_ns, list inode\n";
constexpr std::size_t kFields = 10;

void append_escaped(std::string& line, std::string_view field) {
  for (const char c : field) {
    switch (c) {
      case '\t': line += "\\t"; break;
      case '\n': line += "\\n"; break;
      case '\r': line += "\\r"; break;
      case '\\': line += "\\\\"; break;
      default: line += c;
    }
  }
}

// field with its escapes undone; false for a backslash that escapes nothing
// known (a damaged line).
bool unescape(std::string_view field, std::string& out) {
  out.clear();
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\') {
      out += field[i];
      continue;
    }
    if (++i == field.size()) return false;
    switch (field[i]) {
      case 't': out += '\t'; break;
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      case '\\': out += '\\'; break;
      default: return false;
    }
  }
  return true;
}

template <typename Number>
bool read_number(std::string_view text, Number& number) {
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, number);
  return !text.empty() && error == std::errc() && stop == end;
}

void append_stamp(std::string& line, const FileStamp& stamp) {
  line += '\t' + std::to_string(stamp.size) + '\t' +
          std::to_string(stamp.time_ns) + '\t' + std::to_string(stamp.inode);
}

bool read_stamp(const std::vector<std::string_view>& fields, std::size_t at,
                FileStamp& stamp) {
  return read_number(fields[at], stamp.size) &&
         read_number(fields[at + 1], stamp.time_ns) &&
         read_number(fields[at + 2], stamp.inode);
}

// One line of the record, without its line feed; false when it does not read.
bool parse_line(std::string_view line, std::string& list, MadeFrom& made) {
  std::vector<std::string_view> fields;
  for (std::size_t start = 0;;) {
    const std::size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab - start));
    if (tab == std::string_view::npos) break;
    start = tab + 1;
  }
  return fields.size() == kFields && unescape(fields[0], list) &&
         !list.empty() && unescape(fields[1], made.score) &&
         read_stamp(fields, 2, made.score_stamp) &&
         unescape(fields[5], made.options) &&
         unescape(fields[6], made.version) && read_stamp(fields, 7, made.list);
}

}  // namespace

bool stamp_file(const std::string& path, FileStamp& stamp) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return false;
  stamp.size = static_cast<uint64_t>(info.st_size);
  stamp.time_ns = static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 +
                  info.st_mtim.tv_nsec;
  stamp.inode = static_cast<uint64_t>(info.st_ino);
  return true;
}

std::string record_text(const Record& record) {
  std::vector<const Record::value_type*> lines;
  lines.reserve(record.size());
  for (const Record::value_type& entry : record) lines.push_back(&entry);
  std::sort(lines.begin(), lines.end(),
            [](const auto* a, const auto* b) { return a->first < b->first; });
  std::string text(kHeader);
  for (const auto* entry : lines) {
    const MadeFrom& made = entry->second;
    append_escaped(text, entry->first);
    text += '\t';
    append_escaped(text, made.score);
    append_stamp(text, made.score_stamp);
    text += '\t';
    append_escaped(text, made.options);
    text += '\t';
    append_escaped(text, made.version);
    append_stamp(text, made.list);
    text += '\n';
  }
  return text;
}

Record parse_record(const std::string& text) {
  Record record;
  if (!text.starts_with(kHeader)) return record;
  std::string list;
  for (std::size_t start = kHeader.size(); start < text.size();) {
    std::size_t end = text.find('\n', start);
    // A last line without its line feed was cut short: not read.
    if (end == std::string::npos) break;
    MadeFrom made;
    if (parse_line(std::string_view(text).substr(start, end - start), list,
                   made)) {
      record[list] = std::move(made);
    }
    start = end + 1;
  }
  return record;
}

RecordFile read_record(const std::string& path) {
  RecordFile file;
  file.path = path;
  read_whole(path, file.text);
  file.record = parse_record(file.text);
  return file;
}

bool save_record(RecordFile& file, const Record& record) {
  std::string text = record_text(record);
  if (text == file.text) return true;
  if (!write_whole(file.path, text)) return false;
  file.text = std::move(text);
  return true;
}

}  // namespace morvane::batch
