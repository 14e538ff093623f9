// A fresh folder under the system's temporary folder, removed afterwards.
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

namespace quillfen::testing {

class TempFolder {
 public:
  TempFolder() {
    static std::atomic<int> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    path_ = std::filesystem::temp_directory_path() /
            ("qf-platform-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(path_);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
  }

  // The folder as the scan holds it: with a trailing separator.
  std::string Folder() const { return path_.string() + Separator(); }
  std::string operator/(const std::string& name) const { return Folder() + name; }
  const std::filesystem::path& Path() const { return path_; }

  void Write(const std::string& relative, const std::string& data) const {
    const std::filesystem::path file = path_ / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << data;
  }
  std::string Read(const std::string& relative) const {
    std::ifstream in(path_ / relative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  bool Has(const std::string& relative) const { return std::filesystem::exists(path_ / relative); }

  static std::string Separator() {
#ifdef _WIN32
    return "\\";
#else
    return "/";
#endif
  }

 private:
  std::filesystem::path path_;
};

}  // namespace quillfen::testing
