// The file system where others plant links, where names hold backslashes,
// and where neither a no-replace rename nor a hard link exists.
#include <gtest/gtest.h>

#include <filesystem>
#include <span>
#include <string>

#include "Platform.h"
#include "TempFolder.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fcntl.h>

#include "ScratchFolder.h"
#include "posix/PosixFiles.h"
#include "posix/PosixPaths.h"
#endif

namespace quillfen {
namespace {

using testing::TempFolder;
namespace fs = std::filesystem;

std::string WriteScratch(FileSystem& files, const std::string& path, std::string_view data) {
  std::unique_ptr<FileWriter> out = files.CreateScratch(path);
  out->WriteAt(0, std::span(&data, 1));
  out->Finish(data.size());
  return files.LoadFile(path);
}

// Taking the lock makes no file, so a build that fails on its first input
// leaves no empty scratch file; and the lock still keeps a second scan out.
TEST(Scratch, TheLockLeavesNoFileBehind) {
  TempFolder dir;
  auto files = MakeFileSystem();
  const std::string data = dir / "~prtmp.buf";
  {
    auto lock = files->LockExclusive(data);
    ASSERT_NE(lock, nullptr);
    EXPECT_EQ(MakeFileSystem()->LockExclusive(data), nullptr);
  }
  EXPECT_FALSE(dir.Has("~prtmp.buf"));
  auto again = files->LockExclusive(data);
  EXPECT_NE(again, nullptr);
  EXPECT_EQ(WriteScratch(*files, data, "project data"), "project data");
  again.reset();
  EXPECT_EQ(dir.Read("~prtmp.buf"), "project data");  // a written file stays
}

#ifndef _WIN32

constexpr uid_t kSomeoneElse = 65534;

// Links and files that someone else planted under a scratch file's name in
// a shared folder are refused and left as they are; the files they point
// at keep their bytes. Our own leftovers are replaced by a fresh file.
TEST(Scratch, PlantedLinksAreNeverWrittenThrough) {
  TempFolder dir;
  auto files = MakeFileSystem();
  dir.Write("victim.txt", "the user's own file");
  fs::create_directories(dir.Path() / "shared");
  ::chmod((dir.Path() / "shared").c_str(), 01777);  // like /tmp
  const std::string shared = dir / "shared/";

  // Our own stale link and hard link are removed, not followed.
  fs::create_symlink(dir.Path() / "victim.txt", dir.Path() / "shared" / "~prtmp.buf");
  EXPECT_EQ(WriteScratch(*files, shared + "~prtmp.buf", "game data"), "game data");
  fs::create_hard_link(dir.Path() / "victim.txt", dir.Path() / "shared" / "~temp.buf");
  EXPECT_EQ(WriteScratch(*files, shared + "~temp.buf", "work"), "work");
  EXPECT_EQ(dir.Read("victim.txt"), "the user's own file");
  EXPECT_FALSE(fs::is_symlink(dir.Path() / "shared" / "~prtmp.buf"));
  struct stat st;
  ASSERT_EQ(::stat((shared + "~prtmp.buf").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  if (::geteuid() != 0) GTEST_SKIP() << "planting as another user needs root";
  fs::remove(dir.Path() / "shared" / "~prtmp.buf");
  fs::create_symlink(dir.Path() / "victim.txt", dir.Path() / "shared" / "~prtmp.buf");
  ASSERT_EQ(::lchown((shared + "~prtmp.buf").c_str(), kSomeoneElse, kSomeoneElse), 0);
  try {
    WriteScratch(*files, shared + "~prtmp.buf", "game data");
    ADD_FAILURE() << "wrote through another user's link";
  } catch (const FileError& e) {
    EXPECT_NE(std::string(e.what()).find("Refused"), std::string::npos) << e.what();
  }
  EXPECT_TRUE(fs::is_symlink(dir.Path() / "shared" / "~prtmp.buf"));
  EXPECT_EQ(dir.Read("victim.txt"), "the user's own file");

  // Another user's plain file is not ours to fill either.
  dir.Write("shared/~temp.buf", "theirs");
  ASSERT_EQ(::chown((shared + "~temp.buf").c_str(), kSomeoneElse, kSomeoneElse), 0);
  EXPECT_THROW(WriteScratch(*files, shared + "~temp.buf", "ours"), FileError);
  EXPECT_EQ(dir.Read("shared/~temp.buf"), "theirs");
}

// A folder others may write into without the sticky bit lets them swap
// our files at will: it is refused, by the scan and by the choice of folder,
// with a message that says why; the sticky bit makes it acceptable.
TEST(Scratch, AFolderOthersMayWriteNeedsTheStickyBit) {
  TempFolder dir;
  auto files = MakeFileSystem();
  fs::create_directories(dir.Path() / "open");
  ::chmod((dir.Path() / "open").c_str(), 0777);
  std::string note;
  try {
    ChooseScratchFolderFrom(dir / "open", dir.Folder(), note);
    ADD_FAILURE() << "an open folder was accepted";
  } catch (const FileError& e) {
    EXPECT_NE(std::string(e.what()).find("is refused: other users may write into it"), std::string::npos)
        << e.what();
  }
  EXPECT_THROW(files->CreateScratch(dir / "open/~prtmp.buf"), FileError);
  EXPECT_FALSE(dir.Has("open/~prtmp.buf"));

  // The program's folder is then passed over for the private cache folder.
  ::setenv("XDG_CACHE_HOME", (dir / "cache").c_str(), 1);
  EXPECT_EQ(ChooseScratchFolderFrom(std::nullopt, dir / "open/", note), dir / "cache/quillfen/");
  EXPECT_NE(note.find("is no safe place (other users may write into it"), std::string::npos) << note;

  ::chmod((dir.Path() / "open").c_str(), 01777);
  EXPECT_EQ(ChooseScratchFolderFrom(dir / "open", dir.Folder(), note), dir / "open/");
  EXPECT_EQ(WriteScratch(*files, dir / "open/~prtmp.buf", "data"), "data");
  ::unsetenv("XDG_CACHE_HOME");
}

// The cache folder is the user's own and no one else's: made 0700, its
// mode narrowed when an earlier version left it open, and refused when
// another user made it first or a link stands in its place.
TEST(Scratch, TheFallbackFolderIsPrivate) {
  TempFolder dir;
  std::string error;
  const std::string cache = dir / "home/.cache/quillfen/";
  ASSERT_TRUE(scratch::MakePrivateFolder(cache, error)) << error;
  struct stat st;
  ASSERT_EQ(::stat(cache.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  ::chmod(cache.c_str(), 0755);
  ASSERT_TRUE(scratch::MakePrivateFolder(cache, error)) << error;
  ASSERT_EQ(::stat(cache.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);

  fs::create_directories(dir.Path() / "elsewhere");
  fs::create_directory_symlink(dir.Path() / "elsewhere", dir.Path() / "planted");
  EXPECT_FALSE(scratch::MakePrivateFolder(dir / "planted/", error));
  EXPECT_NE(error.find("is not a folder of its own"), std::string::npos) << error;

  // Without HOME the account's home folder, never a shared /tmp/.cache.
  const char* home = std::getenv("HOME");
  const std::string saved = home ? home : "";
  ::unsetenv("HOME");
  ::unsetenv("XDG_CACHE_HOME");
  const std::string chosen = scratch::UserCacheFolder();
  if (home) ::setenv("HOME", saved.c_str(), 1);
  EXPECT_EQ(chosen.rfind("/tmp/.cache", 0), std::string::npos) << chosen;

  if (::geteuid() != 0) GTEST_SKIP() << "a folder of another user needs root";
  fs::create_directories(dir.Path() / "taken");
  ASSERT_EQ(::chown((dir / "taken").c_str(), kSomeoneElse, kSomeoneElse), 0);
  EXPECT_FALSE(scratch::MakePrivateFolder(dir / "taken/", error));
  EXPECT_NE(error.find("belongs to another user"), std::string::npos) << error;
}

// A name that holds a backslash, as a zip unpacked on Linux can leave, is
// found again under the name the listing gave; so are project and RTP
// folders whose own names hold one, whichever separator joins them.
TEST(FileSystem, ABackslashInANameIsPartOfTheName) {
  TempFolder dir;
  auto files = MakeFileSystem();
  dir.Write("my\\game/RPG_RT.ldb", "db");
  dir.Write("my\\game/old\\Map0001.lmu", "old map");
  dir.Write("my\\game/old/Map0001.lmu", "a real folder's map");
  dir.Write("r\\tp/CharSet/b\\hero.png", "rtp hero");
  const std::string game = dir.Path().string() + "/my\\game\\";

  EXPECT_TRUE(files->FileExists(game + "rpg_rt.ldb"));
  EXPECT_TRUE(files->DirectoryExists(game));
  std::vector<std::string> maps = files->FindFiles(game + "*.lmu");
  ASSERT_EQ(maps, (std::vector<std::string>{"old\\Map0001.lmu"}));
  EXPECT_EQ(files->LoadFile(game + maps[0]), "old map");
  EXPECT_EQ(files->LoadFile(game + "old/Map0001.lmu"), "a real folder's map");

  const std::string rtp = dir.Path().string() + "/r\\tp\\";
  std::vector<std::string> names = files->FindFiles(rtp + "CharSet\\*.*");
  ASSERT_EQ(names.size(), 3u);
  EXPECT_EQ(names[2], "b\\hero.png");
  ASSERT_TRUE(files->CreateDirectory(game + "CharSet\\"));
  EXPECT_TRUE(files->CopyFile(rtp + "CharSet\\" + names[2], game + "CharSet\\" + names[2], true));
  EXPECT_EQ(dir.Read("my\\game/CharSet/b\\hero.png"), "rtp hero");
  EXPECT_FALSE(files->CopyFile(rtp + "CharSet\\" + names[2], game + "CharSet\\" + names[2], true));
  EXPECT_TRUE(files->DeleteFile(game + "CharSet\\b\\hero.png"));
  EXPECT_FALSE(dir.Has("my\\game/CharSet/b\\hero.png"));
}

// Where neither a no-replace rename nor a hard link exists, the copy makes
// its target exclusively: it still never overwrites, and a copy that fails
// half-way removes what it made and nothing else.
TEST(FileSystem, CopyWithoutLinksNeverOverwrites) {
  TempFolder dir;
  auto files = MakeFileSystem();
  dir.Write("rtp/hero.png", std::string(300000, 'h'));
  dir.Write("game/taken.png", "the user's own");
  posix::SimulateFileSystemWithoutLinks(true);
  struct Restore {
    ~Restore() { posix::SimulateFileSystemWithoutLinks(false); }
  } restore;

  EXPECT_FALSE(posix::KnownWithoutLinks(dir / "game/hero.png"));
  EXPECT_TRUE(files->CopyFile(dir / "rtp/hero.png", dir / "game/hero.png", true));
  EXPECT_EQ(dir.Read("game/hero.png"), std::string(300000, 'h'));
  // Found out once: later copies write straight under their names.
  EXPECT_TRUE(posix::KnownWithoutLinks(dir / "game/other.png"));
  EXPECT_TRUE(files->CopyFile(dir / "rtp/hero.png", dir / "game/other.png", true));
  EXPECT_EQ(dir.Read("game/other.png"), std::string(300000, 'h'));
  EXPECT_FALSE(files->CopyFile(dir / "rtp/hero.png", dir / "game/taken.png", true));
  EXPECT_EQ(dir.Read("game/taken.png"), "the user's own");
  // Overwriting on purpose still works (Harmony.dll).
  EXPECT_TRUE(files->CopyFile(dir / "rtp/hero.png", dir / "game/taken.png", false));
  EXPECT_EQ(dir.Read("game/taken.png").size(), 300000u);
  posix::SimulateFileSystemWithoutLinks(false);
  EXPECT_FALSE(posix::KnownWithoutLinks(dir / "game/hero.png"));
}

// The fallback itself: a target that exists is refused untouched, and a
// write that fails (the file-size limit standing in for a full disk)
// removes the file it made.
TEST(FileSystem, TheExclusiveCopyRemovesOnlyWhatItMade) {
  TempFolder dir;
  dir.Write("rtp/hero.png", std::string(300000, 'h'));
  dir.Write("game/taken.png", "the user's own");
  posix::UniqueFd in(::open((dir / "rtp/hero.png").c_str(), O_RDONLY));
  struct stat source;
  ASSERT_EQ(::fstat(in.Get(), &source), 0);
  EXPECT_FALSE(posix::CopyToNewFile(in.Get(), dir / "game/taken.png", source));
  EXPECT_EQ(errno, EEXIST);
  EXPECT_EQ(dir.Read("game/taken.png"), "the user's own");

  struct rlimit old;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  struct rlimit small = old;
  small.rlim_cur = 100000;
  ::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool copied = posix::CopyToNewFile(in.Get(), dir / "game/big.png", source);
  ::setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_FALSE(copied);
  EXPECT_FALSE(dir.Has("game/big.png"));
  EXPECT_EQ(dir.Read("game/taken.png"), "the user's own");

  EXPECT_TRUE(posix::CopyToNewFile(in.Get(), dir / "game/hero.png", source));
  EXPECT_EQ(dir.Read("game/hero.png"), std::string(300000, 'h'));
}

// On a real file system without links, where this machine can mount one:
// a FAT image needs mkfs.vfat and loop devices, so a small tmpfs checks the
// fallback against a full disk instead.
TEST(FileSystem, CopyWithoutLinksOnAFullDiskLeavesNothing) {
  TempFolder dir;
  fs::create_directories(dir.Path() / "small");
  if (::mount("tmpfs", (dir / "small").c_str(), "tmpfs", 0, "size=64k") != 0) {
    GTEST_SKIP() << "cannot mount a small tmpfs here";
  }
  struct Unmount {
    std::string at;
    ~Unmount() { ::umount(at.c_str()); }
  } unmount{dir / "small"};
  dir.Write("rtp/big.png", std::string(1 << 20, 'b'));
  dir.Write("small/mine.png", "kept");
  posix::UniqueFd in(::open((dir / "rtp/big.png").c_str(), O_RDONLY));
  struct stat source;
  ASSERT_EQ(::fstat(in.Get(), &source), 0);
  EXPECT_FALSE(posix::CopyToNewFile(in.Get(), dir / "small/big.png", source));
  EXPECT_EQ(errno, ENOSPC);
  EXPECT_FALSE(dir.Has("small/big.png"));
  EXPECT_EQ(dir.Read("small/mine.png"), "kept");
}

// UTF-16 of ASCII text and the given extra code units, either byte order.
std::string Utf16(const std::string& ascii, bool bigEndian, std::initializer_list<char16_t> extra = {}) {
  std::string out;
  auto put = [&](char16_t u) {
    const char high = static_cast<char>(u >> 8), low = static_cast<char>(u & 0xFF);
    out += bigEndian ? high : low;
    out += bigEndian ? low : high;
  };
  for (char c : ascii) put(static_cast<char16_t>(c));
  for (char16_t u : extra) put(u);
  return out;
}

// A UTF-16 RPG_RT.ini (as Windows tools may save it) gets the key in UTF-16
// of its own byte order, and every other character back as it was, also
// one outside the basic plane and a lone surrogate.
TEST(Platform, AUtf16ConfigurationGetsItsKeyInUtf16) {
  TempFolder dir;
  auto writer = MakeIniWriter();
  for (bool bigEndian : {false, true}) {
    const std::string before = Utf16("", bigEndian, {0xFEFF}) + Utf16("[RPG_RT]\r\nGameTitle=", bigEndian) +
                               Utf16("", bigEndian, {0x30D2, 0xD83D, 0xDE00, 0xDC00}) +
                               Utf16("\r\n", bigEndian);
    dir.Write("RPG_RT.ini", before);
    ASSERT_TRUE(writer->WriteInteger(dir / "RPG_RT.ini", "RPG_RT", "FullPackageFlag", 1));
    EXPECT_EQ(dir.Read("RPG_RT.ini"), before + Utf16("FullPackageFlag=1\r\n", bigEndian));
  }
  // Half a character at the end: left alone rather than guessed at.
  dir.Write("RPG_RT.ini", Utf16("", false, {0xFEFF}) + Utf16("[RPG_RT]", false) + "x");
  EXPECT_FALSE(writer->WriteInteger(dir / "RPG_RT.ini", "RPG_RT", "FullPackageFlag", 1));
  EXPECT_EQ(dir.Read("RPG_RT.ini").size(), 19u);
}

#else  // _WIN32

// A symbolic link under a scratch file's name is refused, not written
// through; the file it points at keeps its bytes.
TEST(Scratch, ReparsePointsAreRefused) {
  TempFolder dir;
  auto files = MakeFileSystem();
  dir.Write("victim.txt", "the user's own file");
  using CreateLink = BOOLEAN(WINAPI*)(LPCSTR, LPCSTR, DWORD);
  auto create = reinterpret_cast<CreateLink>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "CreateSymbolicLinkA")));
  if (!create || !create((dir / "~prtmp.buf").c_str(), (dir / "victim.txt").c_str(), 0)) {
    GTEST_SKIP() << "symbolic links cannot be made here";
  }
  const DWORD attributes = ::GetFileAttributesA((dir / "~prtmp.buf").c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    GTEST_SKIP() << "links here are no reparse points";
  }
  EXPECT_THROW(files->CreateScratch(dir / "~prtmp.buf"), FileError);
  EXPECT_EQ(files->LockExclusive(dir / "~prtmp.buf"), nullptr);
  EXPECT_EQ(dir.Read("victim.txt"), "the user's own file");
}

#endif

}  // namespace
}  // namespace quillfen
