#include "batch/options.h"

#include <charconv>
#include <string_view>

#include "writer/pending_files.h"

namespace morvane::batch {

const char kUsage[] =
    "Usage: morvane-batch [--all-tracks] [--jobs N] [--force] "
    "[--report FILE] [--quiet] [--sync] -o OUTDIR INPUT...\n";

const char kHelp[] =
    "Usage: morvane-batch [--all-tracks] [--jobs N] [--force] "
    "[--report FILE] [--quiet] [--sync] -o OUTDIR INPUT...\n"
    "\n"
    "Translates every score among the inputs (files, and folders searched\n"
    "through) into OUTDIR/<its path below the folder>.notes, byte for byte\n"
    "what morvane writes, several at once in one process. A file in a\n"
    "folder is a score when it starts with MThd or MFile. A note list is up\n"
    "to date, and left alone, when OUTDIR's record shows it made from the\n"
    "score as it is now, with the same options, by this version.\n"
    "\n"
    "  -o, --output OUTDIR  where the note lists go (folders made as needed)\n"
    "  -a, --all-tracks     every track with notes is an instrument\n"
    "  -j, --jobs N         translate N scores at once (default: the cores)\n"
    "  -f, --force          translate even what is up to date\n"
    "      --report FILE    one CSV row per score into FILE\n"
    "  -q, --quiet          no progress line\n"
    "      --sync           each note list on the disk before it replaces\n"
    "                       the old one\n"
    "  -h, --help           show this help\n"
    "      --version        show the version\n"
    "\n"
    "Status: 0 when every score was translated or up to date, 1 when any\n"
    "failed, 2 for a usage error or a file that would be written over;\n"
    "stopped by Ctrl-C, it writes what it has done and ends by the signal.\n"
    "The manual: man morvane-batch\n";

namespace {

bool parse_jobs(std::string_view text, unsigned& jobs) {
  const char* end = text.data() + text.size();
  auto [stop, error] = std::from_chars(text.data(), end, jobs);
  // No more note lists in flight than a signal can find and remove.
  return error == std::errc() && stop == end && jobs >= 1 &&
         jobs <= static_cast<unsigned>(morvane::kMostPending);
}

ParsedArgs usage_error(std::string message) {
  ParsedArgs parsed;
  parsed.request = Request::usage_error;
  parsed.error = std::move(message);
  return parsed;
}

// The option's value: the rest of "--name=value", else the next word.
bool take_value(const std::vector<std::string>& args, std::size_t& i,
                std::string_view inline_value, bool has_inline,
                std::string& value) {
  if (has_inline) {
    value = inline_value;
    return true;
  }
  if (i + 1 >= args.size()) return false;
  value = args[++i];
  return true;
}

}  // namespace

ParsedArgs parse_args(const std::vector<std::string>& args) {
  ParsedArgs parsed;
  BatchOptions& o = parsed.options;
  bool options_end = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& word = args[i];
    if (options_end || word.size() < 2 || word[0] != '-') {
      o.inputs.push_back(word);
      continue;
    }
    if (word == "--") {
      options_end = true;
      continue;
    }
    const std::size_t equals = word.find('=');
    // "-j2" as make takes it: a short option that wants a value, and it.
    const bool attached = word.size() > 2 && word[1] != '-' &&
                          (word[1] == 'j' || word[1] == 'o');
    const bool has_inline =
        attached || (word.starts_with("--") && equals != word.npos);
    const std::string name = attached     ? word.substr(0, 2)
                             : has_inline ? word.substr(0, equals)
                                          : word;
    const std::string_view inline_value =
        !has_inline ? ""
        : attached  ? std::string_view(word).substr(2)
                    : std::string_view(word).substr(equals + 1);
    std::string value;
    if (name == "-h" || name == "--help") {
      parsed.request = Request::help;
      return parsed;
    } else if (name == "--version") {
      parsed.request = Request::version;
      return parsed;
    } else if (name == "-a" || name == "--all-tracks") {
      o.all_tracks = true;
    } else if (name == "-f" || name == "--force") {
      o.force = true;
    } else if (name == "-q" || name == "--quiet") {
      o.quiet = true;
    } else if (name == "--sync") {
      o.sync = true;
    } else if (name == "-o" || name == "--output" || name == "-j" ||
               name == "--jobs" || name == "--report") {
      if (!take_value(args, i, inline_value, has_inline, value)) {
        return usage_error("option " + name + " needs a value");
      }
      if (name == "-j" || name == "--jobs") {
        if (!parse_jobs(value, o.jobs)) {
          return usage_error(
              "--jobs needs a whole number from 1 to 64, not '" + value + "'");
        }
      } else if (name == "--report") {
        o.report = value;
      } else {
        o.outdir = value;
      }
    } else {
      return usage_error("unknown option " + word);
    }
    if (!has_inline) continue;
    if (name == "-a" || name == "--all-tracks" || name == "-f" ||
        name == "--force" || name == "-q" || name == "--quiet" ||
        name == "--sync") {
      return usage_error("option " + name + " takes no value");
    }
  }
  if (o.outdir.empty()) return usage_error("no output folder (-o OUTDIR)");
  if (o.inputs.empty()) return usage_error("no input named");
  return parsed;
}

}  // namespace morvane::batch
