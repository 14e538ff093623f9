#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "FileStream.h"
#include "Platform.h"
#include "TempFolder.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace quillfen {
namespace {

using testing::TempFolder;
using Names = std::vector<std::string>;

TEST(FileSystem, LoadsSavesAndReadsFiles) {
  TempFolder dir;
  auto fs = MakeFileSystem();
  const std::string file = dir / "data.bin";
  const std::string data("a\0b\r\nc", 6);
  fs->SaveFile(file, data);
  EXPECT_TRUE(fs->FileExists(file));
  EXPECT_FALSE(fs->DirectoryExists(file));
  EXPECT_TRUE(fs->DirectoryExists(dir.Folder()));
  EXPECT_FALSE(fs->FileExists(dir.Folder()));
  EXPECT_EQ(fs->LoadFile(file), data);
  fs->SaveFile(file, "xy");  // replaces, no old bytes left behind
  EXPECT_EQ(fs->LoadFile(file), "xy");
  fs->SaveFile(file, "");
  EXPECT_EQ(fs->LoadFile(file), "");

  fs->SaveFile(file, "0123456789");
  auto reader = fs->OpenRead(file);
  EXPECT_EQ(reader->Size(), 10u);
  char buffer[4] = {};
  reader->Seek(7);
  reader->Read(buffer, 3);
  EXPECT_EQ(std::string(buffer, 3), "789");
  EXPECT_EQ(reader->Position(), 10u);
  reader->Seek(8);
  EXPECT_THROW(reader->Read(buffer, 4), FileError);

  // One buffer for file after file: each load gives exactly that file,
  // whatever the one before left in it.
  std::string shared;
  fs->SaveFile(file, std::string(5000, 'a'));
  EXPECT_EQ(fs->LoadFileInto(file, shared), std::string(5000, 'a'));
  fs->SaveFile(file, "short");
  EXPECT_EQ(fs->LoadFileInto(file, shared), "short");
  fs->SaveFile(file, "");
  EXPECT_EQ(fs->LoadFileInto(file, shared), "");
  EXPECT_THROW(fs->LoadFileInto(dir / "missing.bin", shared), FileError);

  EXPECT_THROW(fs->LoadFile(dir / "missing.bin"), FileError);
  EXPECT_THROW(fs->OpenRead(dir / "missing.bin"), FileError);
  EXPECT_THROW(fs->SaveFile(dir / "no-folder" + TempFolder::Separator() + "x", "x"), FileError);
}

// The report's temporary file: what is appended reads back from anywhere,
// from two threads at once, and nothing of it stays behind or is named
// where others could open it.
TEST(FileSystem, TemporaryFilesReadBackWhatWasWrittenAndLeaveNothing) {
  TempFolder dir;
  auto fs = MakeFileSystem();
#ifndef _WIN32
  const char* before = std::getenv("TMPDIR");
  const std::string saved = before ? before : "";
  ::setenv("TMPDIR", dir.Folder().c_str(), 1);
#endif
  {
    std::unique_ptr<TemporaryFile> file = fs->CreateTemporary();
    ASSERT_TRUE(file);
    std::string all;
    for (int i = 0; i < 3000; ++i) {
      const std::string piece = std::to_string(i) + std::string(static_cast<std::size_t>(i % 7), 'x') + ";";
      file->Append(piece);
      all += piece;
    }
    file->Append("");
    auto readAll = [&](std::size_t step, bool& same) {
      same = true;
      for (std::size_t at = 0; at < all.size(); at += step) {
        const std::size_t count = std::min(step, all.size() - at);
        std::string got(count, '\0');
        file->ReadAt(at, got.data(), count);
        same = same && got == all.substr(at, count);
      }
    };
    bool first = false, second = false;
    std::thread other([&] { readAll(97, first); });
    readAll(1000, second);
    other.join();
    EXPECT_TRUE(first);
    EXPECT_TRUE(second);
    char past[2];
    EXPECT_THROW(file->ReadAt(all.size() - 1, past, 2), FileError);
#ifndef _WIN32
    EXPECT_EQ(fs->FindFiles(dir / "*").size(), 2u) << "only . and ..";
#endif
  }
#ifndef _WIN32
  // A temporary folder that is not there gives no file, and no file elsewhere.
  ::setenv("TMPDIR", (dir / "gone").c_str(), 1);
  EXPECT_EQ(fs->CreateTemporary(), nullptr);
  if (before) {
    ::setenv("TMPDIR", saved.c_str(), 1);
  } else {
    ::unsetenv("TMPDIR");
  }
#endif
}

// A page written as it is made: in pieces larger and smaller than what the
// stream holds, over a longer old file, ending exactly at what was written;
// a failed write is told when the stream is closed, not lost.
TEST(FileSystem, AStreamWritesTheFileAsItIsMadeAndTellsAFailure) {
  TempFolder dir;
  auto fs = MakeFileSystem();
  const std::string file = dir / "page.html";
  fs->SaveFile(file, std::string(300000, 'o'));
  std::string expected;
  {
    FileWriterStream page(fs->OpenWrite(file));
    for (int i = 0; i < 20000; ++i) {
      const std::string line = "<tr><td>" + std::to_string(i) + "</td></tr>\n";
      page << line;
      expected += line;
    }
    page << std::string(70000, 'x');
    expected += std::string(70000, 'x');
    page.Close();
  }
  EXPECT_EQ(fs->LoadFile(file), expected);

  class Failing final : public FileWriter {
   public:
    void WriteAt(std::uint64_t, std::span<const std::string_view>) override { throw FileError("disk full"); }
    void Finish(std::uint64_t) override { finished = true; }
    bool finished = false;
  };
  auto failing = std::make_unique<Failing>();
  const Failing& seen = *failing;
  FileWriterStream page(std::move(failing));
  page << std::string(100000, 'y');
  EXPECT_THROW(page.Close(), FileError);
  EXPECT_FALSE(seen.finished);
}

// The scratch file is written file by file, in thousands of pieces, by two
// threads at their own places, over the larger file of an earlier scan.
TEST(FileSystem, WritesManyPartsOverALongerFile) {
  TempFolder dir;
  auto fs = MakeFileSystem();
  const std::string file = dir / "parts.bin";
  fs->SaveFile(file, std::string(200000, 'x'));
  std::string source;
  for (int i = 0; i < 3000; ++i) source += static_cast<char>('a' + i % 26);
  std::vector<std::string_view> parts;
  std::string expected;
  for (std::size_t at = 0, i = 0; at < source.size(); ++i) {
    const std::size_t size = std::min<std::size_t>(source.size() - at, i % 4);  // empty ones too
    parts.push_back(std::string_view(source).substr(at, size));
    expected.append(parts.back());
    at += size;
  }
  const std::size_t half = parts.size() / 2;
  std::uint64_t firstBytes = 0;
  for (std::size_t i = 0; i < half; ++i) firstBytes += parts[i].size();
  auto out = fs->OpenWrite(file);
  // The later half may well land first.
  std::thread later([&] { out->WriteAt(firstBytes, std::span(parts).subspan(half)); });
  out->WriteAt(0, std::span(parts).first(half));
  later.join();
  out->Finish(expected.size());
  EXPECT_EQ(fs->LoadFile(file), expected);
  fs->SaveFileParts(file, {});
  EXPECT_EQ(fs->LoadFile(file), "");
}

TEST(FileSystem, ListsDotsFirstThenNamesInNtfsOrder) {
  TempFolder dir;
  auto fs = MakeFileSystem();
  for (const char* name : {"Map0002.lmu", "map0001.LMU", "RPG_RT.ldb", "_notes.txt", "README"}) {
    dir.Write(name, "x");
  }
  dir.Write("Sub" + TempFolder::Separator() + "inner.txt", "x");
  EXPECT_EQ(fs->FindFiles(dir / "*.lmu"), (Names{"map0001.LMU", "Map0002.lmu"}));
  EXPECT_EQ(fs->FindFiles(dir / "*.*"), (Names{".", "..", "map0001.LMU", "Map0002.lmu", "README",
                                               "RPG_RT.ldb", "Sub", "_notes.txt"}));
  EXPECT_EQ(fs->FindFiles(dir / "rpg_rt.LDB"), (Names{"RPG_RT.ldb"}));
  EXPECT_EQ(fs->FindFiles(dir / "*.none"), Names{});
  EXPECT_EQ(fs->FindFiles(dir / "Missing" + TempFolder::Separator() + "*.*"), Names{});

  // With each entry whether it is a folder, also in a folder spelt in
  // other letter case; the same as asking after each entry.
  dir.Write("Sub" + TempFolder::Separator() + "Deeper" + TempFolder::Separator() + "x.txt", "x");
  const std::string sub = dir / "SUB" + TempFolder::Separator() + "*.*";
  std::vector<std::pair<std::string, bool>> entries, asked;
  for (const auto& e : fs->FindEntries(sub)) entries.emplace_back(e.name, e.folder);
  for (const auto& e : fs->FileSystem::FindEntries(sub)) asked.emplace_back(e.name, e.folder);
  EXPECT_EQ(entries, (std::vector<std::pair<std::string, bool>>{
                         {".", true}, {"..", true}, {"Deeper", true}, {"inner.txt", false}}));
  EXPECT_EQ(entries, asked);
}

TEST(FileSystem, CopiesWithoutEverOverwritingWhenAsked) {
  TempFolder dir;
  auto fs = MakeFileSystem();
  dir.Write("rtp.png", "new picture");
  dir.Write("project.png", "own picture");
  EXPECT_FALSE(fs->CopyFile(dir / "rtp.png", dir / "project.png", true));
  EXPECT_EQ(dir.Read("project.png"), "own picture");
  EXPECT_TRUE(fs->CopyFile(dir / "rtp.png", dir / "project.png", false));
  EXPECT_EQ(dir.Read("project.png"), "new picture");
  EXPECT_TRUE(fs->CopyFile(dir / "rtp.png", dir / "fresh.png", true));
  EXPECT_EQ(dir.Read("fresh.png"), "new picture");
  EXPECT_FALSE(fs->CopyFile(dir / "absent.png", dir / "other.png", false));
  EXPECT_FALSE(dir.Has("other.png"));
  EXPECT_FALSE(
      fs->CopyFile(dir / "rtp.png", dir / "NoFolder" + TempFolder::Separator() + "a.png", false));
#ifndef _WIN32
  // Replacing stops at a file the user made read-only, as CopyFileA does.
  dir.Write("Harmony.dll", "kept library");
  chmod((dir / "Harmony.dll").c_str(), 0444);
  EXPECT_FALSE(fs->CopyFile(dir / "rtp.png", dir / "harmony.DLL", false));
  EXPECT_EQ(dir.Read("Harmony.dll"), "kept library");
  EXPECT_EQ(fs->FindFiles(dir / "*.dll"), Names{"Harmony.dll"});  // no temporary left
#endif

  EXPECT_TRUE(fs->CreateDirectory(dir / "CharSet"));
  EXPECT_FALSE(fs->CreateDirectory(dir / "CharSet"));
  EXPECT_TRUE(fs->DirectoryExists(dir / "CharSet" + TempFolder::Separator()));
  EXPECT_FALSE(fs->CreateDirectory(dir / "A" + TempFolder::Separator() + "B"));  // one level only
  EXPECT_FALSE(fs->CopyFile(dir / "rtp.png", dir / "CharSet", false));  // a folder is no target
  EXPECT_TRUE(fs->DirectoryExists(dir / "CharSet"));

  EXPECT_TRUE(fs->DeleteFile(dir / "fresh.png"));
  EXPECT_FALSE(fs->DeleteFile(dir / "fresh.png"));
  EXPECT_FALSE(fs->DeleteFile(dir / "CharSet"));
}

TEST(FileSystem, ScratchLockExcludesOthersAndSurvivesSaves) {
  TempFolder dir;
  auto fs = MakeFileSystem();
  const std::string file = dir / "~prtmp.buf";
  auto lock = fs->LockExclusive(file);
  ASSERT_NE(lock, nullptr);
  EXPECT_EQ(fs->LockExclusive(file), nullptr);
  EXPECT_EQ(MakeFileSystem()->LockExclusive(file), nullptr);

  // Our own writes and reads of the locked file go on, and the lock stays.
  fs->SaveFile(file, std::string(100000, 'x'));
  fs->SaveFile(file, "short");
  EXPECT_EQ(fs->LoadFile(file), "short");
  auto reader = fs->OpenRead(file);
  char buffer[5];
  reader->Read(buffer, 5);
  EXPECT_EQ(fs->LockExclusive(file), nullptr);

#ifndef _WIN32
  // Another process is kept out too.
  const pid_t child = fork();
  if (child == 0) _exit(MakeFileSystem()->LockExclusive(file) == nullptr ? 0 : 1);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
#endif

  lock.reset();
  EXPECT_NE(fs->LockExclusive(file), nullptr);
}

#ifndef _WIN32

TEST(FileSystem, ResolvesEveryComponentIgnoringCase) {
  TempFolder dir;
  auto fs = MakeFileSystem();
  dir.Write("RPG_RT.ldb", "db");
  dir.Write("charset/Hero.PNG", "hero");
  const std::string game = dir.Path().string() + "\\";  // the scan's own spelling
  EXPECT_TRUE(fs->FileExists(game + "rpg_rt.ldb"));
  EXPECT_EQ(fs->LoadFile(game + "CharSet\\hero.png"), "hero");
  EXPECT_TRUE(fs->DirectoryExists(game + "CHARSET\\"));
  EXPECT_FALSE(fs->FileExists(game + "CharSet\\hero.png\\"));
  EXPECT_EQ(fs->FindFiles(game + "CharSet\\*.*"), (Names{".", "..", "Hero.PNG"}));
  EXPECT_TRUE(fs->FileExists(game + "CharSet\\..\\RPG_RT.LDB"));

  // A new name keeps its spelling; its folders are found as they are.
  dir.Write("rtp/CharSet/Actor1.png", "actor");
  EXPECT_TRUE(fs->CopyFile(game + "RTP\\charset\\actor1.PNG", game + "CharSet\\Actor1.png", true));
  EXPECT_EQ(dir.Read("charset/Actor1.png"), "actor");
  // An existing file in other letters is the same file: never overwritten.
  EXPECT_FALSE(fs->CopyFile(game + "rtp\\CharSet\\Actor1.png", game + "CHARSET\\HERO.png", true));
  EXPECT_EQ(dir.Read("charset/Hero.PNG"), "hero");
  EXPECT_FALSE(dir.Has("charset/HERO.png"));
  EXPECT_FALSE(fs->CreateDirectory(game + "CHARSET"));
  EXPECT_TRUE(fs->CreateDirectory(game + "charset\\Sub"));
  EXPECT_TRUE(dir.Has("charset/Sub"));

  // Names differing only in case: the exact one first, else the first in NTFS order.
  dir.Write("Twin.txt", "upper");
  dir.Write("twin.txt", "lower");
  EXPECT_EQ(fs->LoadFile(game + "twin.txt"), "lower");
  EXPECT_EQ(fs->LoadFile(game + "TWIN.TXT"), "upper");
}

TEST(FileSystem, FailedCopyLeavesNoPartialTarget) {
  TempFolder dir;
  dir.Write("big.wav", std::string(256 * 1024, 'w'));
  dir.Write("kept.wav", "old");
  chmod((dir / "big.wav").c_str(), 0640);
  const pid_t child = fork();
  if (child == 0) {
    // A disk that fills after 64 KiB.
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{64 * 1024, 64 * 1024};
    setrlimit(RLIMIT_FSIZE, &limit);
    auto fs = MakeFileSystem();
    const bool fresh = fs->CopyFile(dir / "big.wav", dir / "new.wav", true);
    const bool over = fs->CopyFile(dir / "big.wav", dir / "kept.wav", false);
    _exit(!fresh && !over ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_FALSE(dir.Has("new.wav"));
  EXPECT_EQ(dir.Read("kept.wav"), "old");
  auto fs = MakeFileSystem();
  EXPECT_EQ(fs->FindFiles(dir / "*.*"),
            (Names{".", "..", "big.wav", "kept.wav"}));  // no temporaries

  ASSERT_TRUE(fs->CopyFile(dir / "big.wav", dir / "copy.wav", true));
  struct stat st;
  ASSERT_EQ(stat((dir / "copy.wav").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(st.st_size, 256 * 1024);
}

TEST(FileSystem, LoadOfAFolderOrAnUnreadableFileRaises) {
  TempFolder dir;
  auto fs = MakeFileSystem();
  EXPECT_THROW(fs->LoadFile(dir.Folder()), FileError);
  EXPECT_THROW(fs->LoadFile(dir.Path().string()), FileError);
  EXPECT_THROW(fs->OpenRead(dir.Path().string()), FileError);
  EXPECT_EQ(fs->FindFiles("/*.does-not-exist"), Names{});

  // A project from a stranger may hold a named pipe under a map's name:
  // reading it must fail at once, not wait for a writer that never comes.
  ASSERT_EQ(mkfifo((dir / "Map0001.lmu").c_str(), 0644), 0);
  dir.Write("hero.png", "png");
  const pid_t child = fork();
  if (child == 0) {
    alarm(5);
    auto inChild = MakeFileSystem();
    int refused = 0;
    try {
      inChild->LoadFile(dir / "Map0001.lmu");
    } catch (const FileError&) {
      ++refused;
    }
    try {
      inChild->OpenRead(dir / "map0001.LMU");
    } catch (const FileError&) {
      ++refused;
    }
    refused += inChild->CopyFile(dir / "Map0001.lmu", dir / "copy.lmu", true) ? 0 : 1;
    _exit(refused == 3 ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
  EXPECT_FALSE(dir.Has("copy.lmu"));
}

#endif

}  // namespace
}  // namespace quillfen
