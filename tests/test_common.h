// Helpers shared by every test: scratch folders, files, the test data, and
// the banner each run starts with.

#ifndef MORVANE_TESTS_TEST_COMMON_H_
#define MORVANE_TESTS_TEST_COMMON_H_

#include <filesystem>
#include <string>
#include <vector>

namespace morvane::testing {

// A fresh folder, removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& dir() const { return dir_; }
  // Path of name inside the folder.
  std::string path(const std::string& name) const;
  // The names in the folder, sorted, each followed by a blank: a run that
  // left a temporary file behind shows here.
  std::string names() const;
  // Writes contents to name inside the folder and returns its path.
  std::string write(const std::string& name, const std::string& contents) const;

 private:
  std::filesystem::path dir_;
};

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& contents);

// The corpus and sample files kept beside the tests.
std::string data_path(const std::string& name);

// The names (without extension) of the MIDI files in the corpus, sorted.
std::vector<std::string> corpus_names();

// The banner every run starts with.
std::string banner();

}  // namespace morvane::testing

#endif  // MORVANE_TESTS_TEST_COMMON_H_
