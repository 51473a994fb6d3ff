// Where the note list's bytes go: the one seam between the writer and the
// system's files. A note list is the one thing a user keeps, so a run
// replaces it whole or not at all: a regular file, or a name of nothing yet,
// gets a temporary file beside it (beside the file a link names) that
// commit() renames over the name and abandon() removes. A device, a pipe, or
// the file standard output or error already writes cannot be renamed over;
// those are written in order as a stream (the last through the console's own
// open file, so the two never overwrite each other), as is a file in a
// folder that refuses a temporary file. One writer owns an OutputFile.
//
// What a renamed-over name holds after a crash: a crash of the program
// (SIGKILL, say) at any moment leaves the old list or the new one, whole,
// and perhaps the temporary file, for the rename is the one step that
// changes the name. A crash of the system (a power cut) can lose what was
// not yet on the disk, and the rename may get there before the list's data.
// Ext4 mounted as by default writes out a file renamed over an existing one
// before the rename; a list that replaces nothing, ext4 mounted
// noauto_da_alloc, XFS and others may leave the name holding an empty or
// cut list. With sync, commit() puts the list on the disk before the rename
// and the folder after it (fdatasync, fsync; on Windows FlushFileBuffers
// and MOVEFILE_WRITE_THROUGH), so that the name holds the old list or the
// new one, whole, wherever fsync keeps its promise; a stream into a regular
// file is flushed too. A stream written in place is cut by a crash either
// way.

#ifndef MORVANE_WRITER_OUTPUT_FILE_H_
#define MORVANE_WRITER_OUTPUT_FILE_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace morvane {

class OutputFile {
 public:
  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  // Abandons the file unless it was committed.
  virtual ~OutputFile() = default;

  // Appends data after what was appended before; false if it failed.
  virtual bool append(std::string_view data) = 0;

  // Whether write_at may be used: a file of our own, not a stream.
  virtual bool positional() const { return false; }

  // Writes data at offset from the file's start (only where positional());
  // false if it failed. Any one thread at a time may call it.
  virtual bool write_at(uint64_t offset, std::string_view data);

  // Makes what was written the note list under its name; false if that
  // failed, and then the name is left as it was where it could be.
  virtual bool commit() = 0;

  // Gives up: a temporary file is removed and the name left as it was.
  virtual void abandon() = 0;

  // After a failed append, write_at or commit: the system's error number.
  virtual int error_number() const { return error_number_; }

 protected:
  // Records errno (EIO where the system set none) and returns false.
  bool failed();

 private:
  int error_number_ = 0;
};

// Opens the note list name as described above, synced at commit() as sync
// says; null, with nothing created and errno set, when it cannot be written
// (a folder, a file we may not write, no folder).
std::unique_ptr<OutputFile> open_output_file(const std::string& name,
                                             bool sync = false);

// The process that made name, a file's name without its folder, when it is
// a temporary file open_output_file makes on POSIX systems
// (".NAME.morvane-PID-XXXXXX"); 0 when it is none. A file whose process has
// ended is left over from a run killed before it could remove it.
long temporary_file_owner(std::string_view name);

// A note list kept in memory: every byte is appended to *sink, or with
// write_at put in place.
std::unique_ptr<OutputFile> memory_output_file(std::string* sink);

// file, with a copy of every byte it is given kept in *copy as a memory
// file keeps it: the caller has the list its own run wrote, whatever
// another writer puts under the name afterwards.
std::unique_ptr<OutputFile> copying_output_file(
    std::unique_ptr<OutputFile> file, std::string* copy);

}  // namespace morvane

#endif  // MORVANE_WRITER_OUTPUT_FILE_H_
