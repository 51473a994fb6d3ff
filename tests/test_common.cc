#include "test_common.h"

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>

namespace morvane::testing {

TempDir::TempDir() {
  std::random_device seed;
  dir_ = std::filesystem::temp_directory_path() /
         ("morvane-test-" + std::to_string(seed()) + std::to_string(seed()));
  std::filesystem::create_directories(dir_);
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

std::string TempDir::path(const std::string& name) const {
  return (dir_ / name).string();
}

std::string TempDir::names() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  std::string list;
  for (const std::string& name : names) list += name + " ";
  return list;
}

std::string TempDir::write(const std::string& name,
                           const std::string& contents) const {
  const std::string file = path(name);
  write_file(file, contents);
  return file;
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void write_file(const std::string& path, const std::string& contents) {
  std::ofstream out(path, std::ios::binary);
  out << contents;
}

std::string data_path(const std::string& name) {
  return std::string(MORVANE_TEST_DATA) + "/" + name;
}

std::vector<std::string> corpus_names() {
  std::vector<std::string> names;
  for (const auto& entry :
       std::filesystem::directory_iterator(data_path("corpus"))) {
    if (entry.path().extension() == ".mid") {
      names.push_back(entry.path().stem().string());
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string banner() {
  return "\n\t\t     Morvane v0.1 Sept 2004\n"
         "\t\t* * * * * * * * * * * * * * * * *\n"
         "\t\t* Stavenor to Corvanthelumbra   *\n"
         "\t\t*     Score Translator          *\n"
         "\t\t*            2004               *\n"
         "\t\t* * * * * * * * * * * * * * * * *\n";
}

}  // namespace morvane::testing
