// The Python module `morvane`: the command's translation as a function call.
//
// Python objects are read and made here, with the interpreter's lock held;
// the translation itself (score_run.h) runs with it released, so that
// threads translate at once. Nothing is printed: the console is returned
// as text, and a failure is raised as an exception carrying its message.
//
//   >>> import morvane
//   >>> t = morvane.translate("song.mid")
//   >>> t.instruments, len(t), t.notes["start"][:3]

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cerrno>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "reader/open_score.h"
#include "score_run.h"

namespace py = pybind11;
using morvane::FailureKind;
using morvane::python::NoteRow;
using morvane::python::ScoreRun;
using morvane::python::ScoreSource;
using morvane::python::TempoPoint;

namespace {

// What translate and write_note_list return: Python objects made once.
struct PyTranslation {
  py::bytes note_list;
  py::str console;
  py::list instruments;
  py::list track_names;
  py::array tempo_map;
  int format = 0;
  int division = 0;
  unsigned long long passed_over = 0;
  py::array notes;
  std::size_t note_count = 0;
};

// Text as the command wrote it: UTF-8 where it is, and any other byte kept
// as a lone surrogate, so that s.encode("utf-8", "surrogateescape") gives
// back the bytes (an old score's Latin-1 name, say).
py::str text(const std::string& bytes) {
  PyObject* decoded = PyUnicode_DecodeUTF8(
      bytes.data(), static_cast<Py_ssize_t>(bytes.size()), "surrogateescape");
  if (decoded == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::str>(decoded);
}

// A file's name as the system takes it, from a str or an os.PathLike; the
// name as Python gave it goes into `shown`, for an OSError.
std::string file_name(py::handle path, py::object& shown) {
  PyObject* name = PyOS_FSPath(path.ptr());
  if (name == nullptr) throw py::error_already_set();
  shown = py::reinterpret_steal<py::object>(name);
  std::string bytes;
  if (PyBytes_Check(name)) {
    bytes = std::string(py::bytes(shown));
  } else {
    PyObject* encoded = PyUnicode_EncodeFSDefault(name);
    if (encoded == nullptr) throw py::error_already_set();
    bytes = std::string(py::reinterpret_steal<py::bytes>(encoded));
  }
  // As Python's own file functions: the system would read up to the NUL.
  if (bytes.find('\0') != std::string::npos) {
    throw py::value_error("embedded null byte");
  }
  return bytes;
}

bool is_path(py::handle source) {
  return PyUnicode_Check(source.ptr()) || py::hasattr(source, "__fspath__");
}

// A score given as a path or as bytes (any bytes-like object).
ScoreSource score_source(py::handle source, py::object& shown) {
  if (is_path(source)) return ScoreSource::file(file_name(source, shown));
  if (PyBytes_Check(source.ptr())) {
    return ScoreSource::memory(std::string(py::reinterpret_borrow<py::bytes>(source)));
  }
  if (PyObject_CheckBuffer(source.ptr())) {
    PyObject* bytes = PyBytes_FromObject(source.ptr());  // a released view fails
    if (bytes == nullptr) throw py::error_already_set();
    return ScoreSource::memory(
        std::string(py::reinterpret_steal<py::bytes>(bytes)));
  }
  throw py::type_error(
      "source must be a path (str or os.PathLike) or bytes holding a score, "
      "not " + std::string(py::str(py::type::handle_of(source).attr("__name__"))));
}

[[noreturn]] void raise_os_error(int error, const py::object& name) {
  // EIO where the system gave no reason (a list cut short, say).
  errno = error != 0 ? error : EIO;
  PyErr_SetFromErrnoWithFilenameObject(PyExc_OSError, name.ptr());
  throw py::error_already_set();
}

// ScoreError's kind: what the score (or the names given) is to blame for.
const char* kind_name(FailureKind kind) {
  switch (kind) {
    case FailureKind::same_file:
      return "same_file";
    case FailureKind::out_of_range:
      return "out_of_range";
    default:
      return "badly_formed";
  }
}

// Raises what the failed run calls for, by the kind and the system's error
// number the run set. score and list name the files as Python gave them.
[[noreturn]] void raise_failure(const ScoreRun& run, const py::object& score,
                                const py::object& list) {
  switch (run.failure) {
    case FailureKind::score_not_opened:
    case FailureKind::score_not_read:
      raise_os_error(run.error_number, score);
    case FailureKind::list_not_opened:
    case FailureKind::list_not_written:
      raise_os_error(run.error_number, list);
    case FailureKind::out_of_memory:
      PyErr_SetString(PyExc_MemoryError, run.message.c_str());
      throw py::error_already_set();
    default:
      break;
  }
  py::object type = py::module_::import("morvane").attr("ScoreError");
  py::object error = type(text(run.message));
  error.attr("status") = run.status;
  error.attr("console") = text(run.console);
  error.attr("kind") = kind_name(run.failure);
  PyErr_SetObject(type.ptr(), error.ptr());
  throw py::error_already_set();
}

// A NumPy array that takes the rows' memory as it is, rather than a copy:
// the capsule frees it with the array.
template <typename Row>
py::array array_of(std::vector<Row>&& rows) {
  auto* owned = new std::vector<Row>(std::move(rows));
  py::capsule owner(owned, [](void* p) {
    delete static_cast<std::vector<Row>*>(p);
  });
  return py::array_t<Row>(static_cast<py::ssize_t>(owned->size()),
                          owned->data(), owner);
}

PyTranslation translation(ScoreRun&& run) {
  PyTranslation t;
  t.note_list = py::bytes(run.note_list);
  t.console = text(run.console);
  for (const std::string& name : run.instruments) t.instruments.append(text(name));
  for (const std::string& name : run.track_names) t.track_names.append(text(name));
  t.tempo_map = array_of(std::move(run.tempo_map));
  t.format = run.format;
  t.division = run.division;
  t.passed_over = run.passed_over;
  t.note_count = run.rows.size();
  t.notes = array_of(std::move(run.rows));
  return t;
}

PyTranslation translate(py::handle source, bool all_tracks) {
  py::object score = py::none();
  ScoreSource from = score_source(source, score);
  ScoreRun run;
  {
    py::gil_scoped_release unlocked;
    run = morvane::python::translate_score(std::move(from), all_tracks);
  }
  if (run.status != 0) raise_failure(run, score, py::none());
  return translation(std::move(run));
}

PyTranslation write_note_list(py::handle source, py::handle destination,
                              bool all_tracks, bool sync) {
  py::object score = py::none();
  ScoreSource from = score_source(source, score);
  if (!is_path(destination)) {
    throw py::type_error("destination must be a path (str or os.PathLike)");
  }
  py::object list;
  const std::string list_name = file_name(destination, list);
  ScoreRun run;
  {
    py::gil_scoped_release unlocked;
    run = morvane::python::write_score_list(std::move(from), list_name,
                                            all_tracks, sync);
  }
  if (run.status != 0) raise_failure(run, score, list);
  return translation(std::move(run));
}

constexpr char kModuleDoc[] = R"(Scores to Corvanthelumbra note lists, as the morvane command makes them.

A score is a MIDI text file or a standard MIDI file, given by its path or
as bytes. The translation is the command's to the byte: the note list,
the console text, the status of a failure.

    import morvane
    t = morvane.translate("song.mid")
    print(t.instruments, len(t), "notes")
    first = t.notes[0]                 # start, duration, channel, key, velocity,
                                       # track, start_seconds, duration_seconds
    names = [t.track_names[k] for k in t.notes["track"]]
    morvane.write_note_list("song.mid", "song.notes")

The translation runs with the interpreter's lock released: threads (or a
concurrent.futures.ThreadPoolExecutor) translate several scores at once.
Nothing is printed; a failure raises ScoreError (the score's fault),
OSError (a file that cannot be opened, read or written) or MemoryError.)";

constexpr char kTranslateDoc[] = R"(translate(source, *, all_tracks=False) -> Translation

Translates a score into a note list kept in memory.

source is a path (str or os.PathLike) or bytes holding the score (a MIDI
text file, or a standard MIDI file: its first bytes are MThd). all_tracks
makes every track with notes an instrument, named or not, as
`morvane --all-tracks` does.

The result is what `morvane SCORE '<memory>'` prints and writes: its
console says "Writing data to '<memory>'". A score given as bytes is
named "<bytes>" in messages.

Raises ScoreError when the score is refused (badly formed, a number out
of range), FileNotFoundError or another OSError when the file cannot be
opened or read, MemoryError when memory runs out.)";

constexpr char kWriteDoc[] = R"(write_note_list(source, destination, *, all_tracks=False, sync=False) -> Translation

Translates a score into the note list file destination, exactly as
`morvane SCORE DESTINATION` does it (the command's own run, in this
process): the same file, the same refusals (the score itself named as
the list, a list that cannot be written). source is as for translate().
The list replaces the file whole or not at all; with sync, as with
`morvane --sync`, it is on the disk before the call returns, so that a
power cut leaves the old list or the new one.

The result is as translate() gives, with the console naming destination;
its note_list is the list this call wrote, kept as it went to the file
(never read back: another writer may replace the file meanwhile).

Raises ScoreError, OSError (also when destination cannot be written) or
MemoryError, as translate() does.)";

constexpr char kStartsDoc[] = R"(starts_like_score(first_bytes) -> bool

Whether bytes begin as a score does: a standard MIDI file ("MThd") or a
MIDI text file ("MFile"). A folder's other files are no scores, as
morvane-batch counts them: read a file's first 8 bytes and ask.)";

constexpr char kTranslationDoc[] = R"(A score translated: the note list and what the run found.

len(t) is the number of note lines. Attributes:
  note_list    bytes: the note list, byte for byte what `morvane` writes
  console      str: standard output then standard error, banner included
  instruments  list of str: the instruments' names as the note list gives
               them (two words, quote marks and all), in order
  track_names  list of str, one a track of the file (MTrk order): the text
               of its first name event (TrkName; SeqName in the first
               track), whole and without quote marks; '' for none
  format       int: the file's format (0, 1 or 2)
  division     int: ticks per quarter note (beat)
  tempo_map    numpy structured array, a row per Tempo event: ticks
               (int64), microseconds_per_quarter (int64), seconds (float64,
               when it takes effect), track (int64). Before the first,
               500,000 microseconds a quarter note. Ordered by ticks (at
               one tick in file order: the last holds); in a format 2 file
               each track has a map of its own, and the rows go by track.
  passed_over  int: note starts left out, outside named tracks
  notes        numpy structured array, a row per note line in the list's
               order: start, duration (float64 beats, before rounding to
               three decimals), channel (int64, from 0, as written), key,
               velocity (int32); track (int64: the file's track the note
               was read in, an index of track_names), start_seconds and
               duration_seconds (float64, by the tempo map from the note's
               ticks and its end's; 0 for a note nothing ends). A line of
               negative velocity holds its time in ticks as start and its
               channel number as duration, as the note list does, and its
               time in start_seconds.

pandas.DataFrame(t.notes) makes a table of the notes.

Text that is not UTF-8 (an old score's Latin-1 names) is kept in the
str attributes as surrogate escapes: .encode("utf-8", "surrogateescape")
gives back the bytes.)";

constexpr char kScoreErrorDoc[] = R"(A score the command refuses: badly formed, a number out of range.

str(error) is the command's failure message, without its surrounding
blank lines ("Badly formed MIDI file song.mid: ..."). Attributes:
  status   int: the command's exit status (1)
  console  str: everything the command printed, the message included
  kind     str: "badly_formed", "out_of_range", or "same_file" (the
           note list named is the score itself))";

// The notes are NumPy arrays: an interpreter without NumPy is told what to
// install, rather than pybind11's bare "initialization failed".
void import_numpy() {
  try {
    py::module_::import("numpy");
  } catch (py::error_already_set& e) {
    if (!e.matches(PyExc_ImportError)) throw;
    throw py::import_error(
        "morvane needs NumPy, which this Python cannot import (" +
        std::string(py::str(e.value())) +
        "): install the Debian package python3-numpy, or run "
        "`python3 -m pip install numpy` in a virtual environment");
  }
}

}  // namespace

PYBIND11_MODULE(morvane, m) {
  import_numpy();
  // The docstrings give each signature as the stub (morvane.pyi) has it.
  py::options options;
  options.disable_function_signatures();
  m.doc() = kModuleDoc;
  PYBIND11_NUMPY_DTYPE(NoteRow, start, duration, channel, key, velocity,
                       track, start_seconds, duration_seconds);
  PYBIND11_NUMPY_DTYPE(TempoPoint, ticks, microseconds_per_quarter, seconds,
                       track);
  py::dict defaults;
  defaults["status"] = 1;
  defaults["console"] = "";
  defaults["kind"] = "badly_formed";
  PyObject* score_error = PyErr_NewExceptionWithDoc(
      "morvane.ScoreError", kScoreErrorDoc, PyExc_ValueError, defaults.ptr());
  if (score_error == nullptr) throw py::error_already_set();
  m.attr("ScoreError") = py::reinterpret_steal<py::object>(score_error);

  py::class_<PyTranslation>(m, "Translation", kTranslationDoc)
      .def_readonly("note_list", &PyTranslation::note_list,
                    "bytes: the note list, as the command writes it")
      .def_readonly("console", &PyTranslation::console,
                    "str: what the command prints, banner included")
      .def_readonly("instruments", &PyTranslation::instruments,
                    "list of str: the instruments' names, in order")
      .def_readonly("track_names", &PyTranslation::track_names,
                    "list of str: each track's first name, '' for none")
      .def_readonly("format", &PyTranslation::format,
                    "int: the file's format (0, 1 or 2)")
      .def_readonly("division", &PyTranslation::division,
                    "int: ticks per quarter note (beat)")
      .def_readonly("tempo_map", &PyTranslation::tempo_map,
                    "numpy structured array: a row per Tempo event")
      .def_readonly("passed_over", &PyTranslation::passed_over,
                    "int: note starts left out, outside named tracks")
      .def_readonly("notes", &PyTranslation::notes,
                    "numpy structured array: a row per note line")
      .def("__len__", [](const PyTranslation& t) { return t.note_count; },
           "The number of note lines.")
      .def("__repr__", [](const PyTranslation& t) {
        return "<morvane.Translation: " + std::to_string(t.note_count) +
               " notes, " + std::to_string(py::len(t.instruments)) +
               " instruments, division " + std::to_string(t.division) + ">";
      });

  m.def("starts_like_score",
        [](const py::bytes& first) {
          return morvane::starts_like_score(std::string_view(first));
        },
        kStartsDoc, py::arg("first_bytes"));
  m.def("translate", &translate, kTranslateDoc, py::arg("source"),
        py::kw_only(), py::arg("all_tracks") = false);
  m.def("write_note_list", &write_note_list, kWriteDoc, py::arg("source"),
        py::arg("destination"), py::kw_only(), py::arg("all_tracks") = false,
        py::arg("sync") = false);
}
