// The batch's own files, the report and the record: read whole, and
// written whole or not at all through the output seam that writes every
// note list (writer/output_file.h), so that a full disk or a signal never
// leaves one cut short.

#ifndef MORVANE_BATCH_WHOLE_FILE_H_
#define MORVANE_BATCH_WHOLE_FILE_H_

#include <string>

namespace morvane::batch {

// The bytes of the file at path; false when it cannot be read (text then
// empty).
bool read_whole(const std::string& path, std::string& text);

// Makes text the file at path; false when it could not, and then the file
// holds what it held before (a file written in place, where the folder
// refuses new files, excepted).
bool write_whole(const std::string& path, const std::string& text);

}  // namespace morvane::batch

#endif  // MORVANE_BATCH_WHOLE_FILE_H_
