// Why a file could not be opened, as an errno value: the command says only
// "Can't open NAME", and Python raises the OSError subclass (FileNotFoundError,
// PermissionError, IsADirectoryError) that the reason calls for.

#ifndef MORVANE_PYTHON_FILE_ERRORS_H_
#define MORVANE_PYTHON_FILE_ERRORS_H_

#include <string>

namespace morvane::python {

// Why the score name cannot be opened for reading now; EIO when it can.
int score_open_errno(const std::string& name);

// Why a note list cannot be created or replaced at name now; EIO when it
// can.
int list_open_errno(const std::string& name);

}  // namespace morvane::python

#endif  // MORVANE_PYTHON_FILE_ERRORS_H_
