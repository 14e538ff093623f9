// The INI writer: the edit is made on a copy that replaces the file in one
// rename, so a failure leaves the old file whole.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "IniText.h"
#include "Platform.h"
#include "PosixFiles.h"
#include "PosixPaths.h"

namespace quillfen {
namespace {

using posix::UniqueFd;

std::optional<std::string> ReadWhole(const std::string& path, struct stat& st) {
  UniqueFd fd(posix::OpenForReading(path.c_str()));
  if (!fd || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  std::string text;
  char buffer[1 << 14];
  while (true) {
    const ssize_t got = ::read(fd.Get(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return std::nullopt;
    if (got == 0) return text;
    text.append(buffer, static_cast<std::size_t>(got));
  }
}

class PosixIniWriter final : public IniWriter {
 public:
  bool WriteInteger(const std::string& path, const std::string& section, const std::string& key,
                    int value) override {
    try {
      return Write(path, section, key, std::to_string(value));
    } catch (const std::exception&) {
      return false;
    }
  }

 private:
  static bool Write(const std::string& path, const std::string& section, const std::string& key,
                    const std::string& value) {
    if (!IsValidIniEdit(section, key, value) || posix::EndsInSeparator(path)) return false;
    std::optional<std::string> target = posix::ResolveForCreate(path);
    if (!target) return false;

    std::string text;
    struct stat st {};
    bool exists = false;
    struct stat link {};
    if (::lstat(target->c_str(), &link) == 0) {
      // Edit the file a symbolic link points at, and keep the link.
      if (S_ISLNK(link.st_mode)) {
        char real[PATH_MAX];
        if (::realpath(target->c_str(), real) == nullptr) return false;
        *target = real;
      }
      std::optional<std::string> old = ReadWhole(*target, st);
      if (!old || !posix::MayReplace(target->c_str(), st)) return false;
      text = std::move(*old);
      exists = true;
    }
    const std::string edited = SetIniValue(text, section, key, value);
    if (exists && edited == text) return true;

    std::string tempPath;
    std::optional<UniqueFd> out = posix::CreateTempBeside(*target, tempPath);
    if (!out) return false;
    bool ok = posix::WriteAll(out->Get(), edited.data(), edited.size());
    if (ok && exists) {
      ::fchmod(out->Get(), st.st_mode & 07777);
      // Without the right to give the file away it stays ours; the mode is kept.
      [[maybe_unused]] const int owned = ::fchown(out->Get(), st.st_uid, st.st_gid);
    } else if (ok) {
      const mode_t mask = ::umask(0);
      ::umask(mask);
      ::fchmod(out->Get(), 0666 & ~mask);
    }
    ok = ok && ::fsync(out->Get()) == 0;
    ok = ::close(out->Release()) == 0 && ok;
    ok = ok && ::rename(tempPath.c_str(), target->c_str()) == 0;
    if (!ok) {
      ::unlink(tempPath.c_str());
      return false;
    }
    UniqueFd folder(::open(posix::ParentOf(*target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder) ::fsync(folder.Get());
    return true;
  }
};

}  // namespace

std::unique_ptr<IniWriter> MakeIniWriter() { return std::make_unique<PosixIniWriter>(); }

}  // namespace quillfen
