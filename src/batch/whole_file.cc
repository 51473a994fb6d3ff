#include "batch/whole_file.h"

#include <fstream>
#include <iterator>
#include <memory>

#include "writer/output_file.h"

namespace morvane::batch {

bool read_whole(const std::string& path, std::string& text) {
  std::ifstream file(path, std::ios::binary);
  text.assign(std::istreambuf_iterator<char>(file),
              std::istreambuf_iterator<char>());
  if (file.bad() || !file.is_open()) {
    text.clear();
    return false;
  }
  return true;
}

bool write_whole(const std::string& path, const std::string& text) {
  const std::unique_ptr<OutputFile> file = open_output_file(path);
  if (file == nullptr) return false;
  if (!file->append(text)) {
    file->abandon();
    return false;
  }
  return file->commit();
}

}  // namespace morvane::batch
