#pragma once
// A fresh directory under /tmp for one test, removed with everything in it.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

class TempDir {
public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "glyphwright-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir &) = delete;
  TempDir &operator=(const TempDir &) = delete;

  // The directory with a trailing '/', the way the program keeps directories.
  std::string Dir() const { return path_ + "/"; }
  std::string File(const std::string &name) const { return path_ + "/" + name; }

  void Write(const std::string &name, const std::string &bytes) const {
    std::ofstream(File(name), std::ios::binary) << bytes;
  }
  std::string Read(const std::string &name) const {
    std::ifstream in(File(name), std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }

private:
  std::string path_;
};
