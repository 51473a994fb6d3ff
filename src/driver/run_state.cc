#include "driver/run_state.h"

#include "reader/line_source.h"
#include "writer/note_list_file.h"

namespace morvane {

RunState::RunState(std::ostream& console_out, std::ostream& console_err,
                   std::istream& keyboard)
    : out(console_out), err(console_err), keyboard(keyboard) {}

RunState::~RunState() = default;

}  // namespace morvane
