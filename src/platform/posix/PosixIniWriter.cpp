// The INI writer: the edit is made on a copy that replaces the file in one
// rename, so a failure leaves the old file whole.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "IniText.h"
#include "Platform.h"
#include "PosixFiles.h"
#include "PosixPaths.h"
#include "Utf8.h"

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

// A file that starts with a UTF-16 byte order mark is edited as text and
// written back in UTF-16 of the same order, as Windows does. Unpaired
// surrogates pass through as three-byte sequences, so every other byte of
// the file comes back as it was.
enum class Encoding { kBytes, kUtf16Le, kUtf16Be };

Encoding EncodingOf(std::string_view text) {
  if (text.size() >= 2 && text[0] == '\xFF' && text[1] == '\xFE') return Encoding::kUtf16Le;
  if (text.size() >= 2 && text[0] == '\xFE' && text[1] == '\xFF') return Encoding::kUtf16Be;
  return Encoding::kBytes;
}

// The text after the mark; nullopt when its length is odd.
std::optional<std::string> FromUtf16(std::string_view text, bool bigEndian) {
  if (text.size() % 2 != 0) return std::nullopt;
  auto unit = [&](std::size_t i) -> char32_t {
    const auto a = static_cast<unsigned char>(text[i]);
    const auto b = static_cast<unsigned char>(text[i + 1]);
    return bigEndian ? (a << 8 | b) : (b << 8 | a);
  };
  std::string out;
  for (std::size_t i = 2; i < text.size(); i += 2) {
    char32_t c = unit(i);
    if (c >= 0xD800 && c < 0xDC00 && i + 3 < text.size()) {
      const char32_t low = unit(i + 2);
      if (low >= 0xDC00 && low < 0xE000) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
      }
    }
    AppendUtf8(out, c);
  }
  return out;
}

std::string ToUtf16(std::string_view text, bool bigEndian) {
  std::string out;
  auto put = [&](char32_t u) {
    const char high = static_cast<char>(u >> 8), low = static_cast<char>(u & 0xFF);
    out += bigEndian ? high : low;
    out += bigEndian ? low : high;
  };
  put(0xFEFF);
  for (std::size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    const std::size_t length = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    char32_t c = length == 1 ? b : length == 2 ? (b & 0x1F) : length == 3 ? (b & 0x0F) : (b & 0x07);
    for (std::size_t k = 1; k < length && i + k < text.size(); ++k) {
      c = c << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    }
    i += length;
    if (c >= 0x10000) {
      put(0xD800 + ((c - 0x10000) >> 10));
      put(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      put(c);
    }
  }
  return out;
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
    const Encoding encoding = EncodingOf(text);
    std::string edited;
    if (encoding == Encoding::kBytes) {
      edited = SetIniValue(text, section, key, value);
    } else {
      const bool bigEndian = encoding == Encoding::kUtf16Be;
      std::optional<std::string> decoded = FromUtf16(text, bigEndian);
      if (!decoded) return false;  // a torn UTF-16 file: better unchanged than guessed at
      edited = ToUtf16(SetIniValue(*decoded, section, key, value), bigEndian);
    }
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
