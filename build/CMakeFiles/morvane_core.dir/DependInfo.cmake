
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/main/src/analysis/compute_durations.cc" "CMakeFiles/morvane_core.dir/src/analysis/compute_durations.cc.o" "gcc" "CMakeFiles/morvane_core.dir/src/analysis/compute_durations.cc.o.d"
  "/work/main/src/analysis/sort_by_time.cc" "CMakeFiles/morvane_core.dir/src/analysis/sort_by_time.cc.o" "gcc" "CMakeFiles/morvane_core.dir/src/analysis/sort_by_time.cc.o.d"
  "/work/main/src/driver/banner.cc" "CMakeFiles/morvane_core.dir/src/driver/banner.cc.o" "gcc" "CMakeFiles/morvane_core.dir/src/driver/banner.cc.o.d"
  "/work/main/src/driver/console.cc" "CMakeFiles/morvane_core.dir/src/driver/console.cc.o" "gcc" "CMakeFiles/morvane_core.dir/src/driver/console.cc.o.d"
  "/work/main/src/driver/open_files.cc" "CMakeFiles/morvane_core.dir/src/driver/open_files.cc.o" "gcc" "CMakeFiles/morvane_core.dir/src/driver/open_files.cc.o.d"
  "/work/main/src/driver/read_reply.cc" "CMakeFiles/morvane_core.dir/src/driver/read_reply.cc.o" "gcc" "CMakeFiles/morvane_core.dir/src/driver/read_reply.cc.o.d"
  "/work/main/src/driver/run.cc" "CMakeFiles/morvane_core.dir/src/driver/run.cc.o" "gcc" "CMakeFiles/morvane_core.dir/src/driver/run.cc.o.d"
  "/work/main/src/driver/run_state.cc" "CMakeFiles/morvane_core.dir/src/driver/run_state.cc.o" "gcc" "CMakeFiles/morvane_core.dir/src/driver/run_state.cc.o.d"
  "/work/main/src/reader/event_table.cc" "CMakeFiles/morvane_core.dir/src/reader/event_table.cc.o" "gcc" "CMakeFiles/morvane_core.dir/src/reader/event_table.cc.o.d"
  "/work/main/src/reader/line_source.cc" "CMakeFiles/morvane_core.dir/src/reader/line_source.cc.o" "gcc" "CMakeFiles/morvane_core.dir/src/reader/line_source.cc.o.d"
  "/work/main/src/reader/midi_file.cc" "CMakeFiles/morvane_core.dir/src/reader/midi_file.cc.o" "gcc" "CMakeFiles/morvane_core.dir/src/reader/midi_file.cc.o.d"
  "/work/main/src/reader/read_score.cc" "CMakeFiles/morvane_core.dir/src/reader/read_score.cc.o" "gcc" "CMakeFiles/morvane_core.dir/src/reader/read_score.cc.o.d"
  "/work/main/src/reader/scanner.cc" "CMakeFiles/morvane_core.dir/src/reader/scanner.cc.o" "gcc" "CMakeFiles/morvane_core.dir/src/reader/scanner.cc.o.d"
  "/work/main/src/writer/format_decimal.cc" "CMakeFiles/morvane_core.dir/src/writer/format_decimal.cc.o" "gcc" "CMakeFiles/morvane_core.dir/src/writer/format_decimal.cc.o.d"
  "/work/main/src/writer/note_list_file.cc" "CMakeFiles/morvane_core.dir/src/writer/note_list_file.cc.o" "gcc" "CMakeFiles/morvane_core.dir/src/writer/note_list_file.cc.o.d"
  "/work/main/src/writer/write_note_list.cc" "CMakeFiles/morvane_core.dir/src/writer/write_note_list.cc.o" "gcc" "CMakeFiles/morvane_core.dir/src/writer/write_note_list.cc.o.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
