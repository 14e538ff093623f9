// Temporary folders and whole-file reads for the generator's tests.
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

namespace quillfen::testing {

class TempDir {
 public:
  TempDir() {
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("qf-demo-" + std::to_string(Stamp()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }

 private:
  // Separates test programs that run at the same time.
  static long long Stamp() {
    static const long long stamp =
        std::chrono::steady_clock::now().time_since_epoch().count() % 1000000007;
    return stamp;
  }

  std::filesystem::path path_;
};

// A folder as the scan takes it: its path and a separator.
inline std::string FolderText(const std::filesystem::path& folder) {
  return folder.string() + static_cast<char>(std::filesystem::path::preferred_separator);
}

inline std::string ReadAll(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace quillfen::testing
