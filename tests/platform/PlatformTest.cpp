#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "Platform.h"
#include "TempFolder.h"
#include "TextCompare.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace quillfen {
namespace {

using testing::TempFolder;

void SetEnv(const char* name, const std::string& value) {
#ifdef _WIN32
  _putenv_s(name, value.c_str());
#else
  setenv(name, value.c_str(), 1);
#endif
}

TEST(Platform, ExecutableFolderEndsInASeparator) {
  const std::string folder = ExecutableFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_TRUE(folder.back() == '/' || folder.back() == '\\');
  EXPECT_TRUE(std::filesystem::is_directory(folder));
}

TEST(Platform, ScratchFolderFallsBackToTheUserCache) {
  TempFolder dir;
  std::string note = "stale";
  EXPECT_EQ(ChooseScratchFolderFrom(std::nullopt, dir.Folder(), note), dir.Folder());
  EXPECT_EQ(note, "");

  // An explicit folder is created, and wins over everything.
  const std::string wanted = dir / "deep" + TempFolder::Separator() + "scratch";
  const std::string chosen = ChooseScratchFolderFrom(wanted, dir.Folder(), note);
  EXPECT_EQ(chosen, wanted + TempFolder::Separator());
  EXPECT_TRUE(std::filesystem::is_directory(wanted));
  dir.Write("a-file", "x");
  EXPECT_THROW(ChooseScratchFolderFrom(dir / "a-file", dir.Folder(), note), FileError);

  // A program folder that cannot take files sends them to the cache.
#ifdef _WIN32
  SetEnv("LOCALAPPDATA", dir / "local");
  const std::string cache = dir / "local\\Quillfen\\";
#else
  SetEnv("XDG_CACHE_HOME", dir / "cache");
  const std::string cache = dir / "cache/quillfen/";
#endif
  const std::string gone = dir / "gone" + TempFolder::Separator();
  EXPECT_EQ(ChooseScratchFolderFrom(std::nullopt, gone, note), cache);
  EXPECT_TRUE(std::filesystem::is_directory(cache));
  EXPECT_NE(note.find("'" + gone + "' is not writable"), std::string::npos) << note;
  EXPECT_NE(note.find("'" + cache + "' instead"), std::string::npos) << note;
}

TEST(Platform, TextComparisonIgnoresCase) {
  EXPECT_EQ(CompareTextIgnoreCase("Hero_01", "hero_01"), 0);
  EXPECT_LT(CompareTextIgnoreCase("hero", "Hero2"), 0);
  EXPECT_LT(CompareTextIgnoreCase("Actor", "battle"), 0);
  EXPECT_GT(CompareTextIgnoreCase("Zombie", "actor"), 0);
  EXPECT_LT(CompareTextIgnoreCase("Map9", "MapA"), 0);
  EXPECT_NE(CompareTextIgnoreCase("a", "a "), 0);
  char text[] = "hero_01.png";
  UpperCaseInPlace(text, 6);
  EXPECT_STREQ(text, "HERO_01.png");
}

#ifndef _WIN32

TEST(Platform, PosixOrderPutsPunctuationBeforeDigitsBeforeLetters) {
  EXPECT_LT(CompareTextIgnoreCase("a_b", "a1"), 0);
  EXPECT_LT(CompareTextIgnoreCase("a b", "a-b"), 0);
  EXPECT_LT(CompareTextIgnoreCase("a9", "aa"), 0);
  EXPECT_LT(CompareTextIgnoreCase("az", "a\xE9"), 0);
  EXPECT_LT(CompareTextIgnoreCase("[x", "Ax"), 0);
  EXPECT_NE(CompareTextIgnoreCase("\xC9", "\xE9"), 0);  // no folding above ASCII

  // Every pair of bytes, also behind an equal first byte: punctuation,
  // digits, letters ignoring case, then the bytes from 0x80 on.
  auto rank = [](int c) {
    if (std::isalpha(c) && c < 0x80) return std::pair(3, std::toupper(c));
    if (std::isdigit(c) && c < 0x80) return std::pair(2, c);
    return std::pair(c < 0x80 ? 1 : 4, c);
  };
  int wrong = 0;
  for (int x = 0; x < 256; ++x) {
    for (int y = 0; y < 256; ++y) {
      const std::string a{'Q', static_cast<char>(x)};
      const std::string b{'q', static_cast<char>(y)};
      const int expected = rank(x) < rank(y) ? -1 : rank(y) < rank(x) ? 1 : 0;
      const int got = CompareTextIgnoreCase(a, b);
      wrong += (got < 0 ? -1 : got > 0 ? 1 : 0) != expected;
    }
  }
  EXPECT_EQ(wrong, 0);
}

TEST(Platform, RegistryComesFromTheWinePrefix) {
  TempFolder prefix;
  prefix.Write("user.reg",
               "WINE REGISTRY Version 2\n\n[Software\\\\ASCII\\\\RPG2000] 1700000000\n"
               "\"RuntimePackagePath\"=\"C:\\\\Program Files\\\\ASCII\\\\RTP\"\n"
               "\"ApplicationPath\"=\"e:\\\\RPG2000\\\\\"\n"
               "\"Native\"=\"/srv/rtp\"\n");
  std::filesystem::create_directories(prefix.Path() / "drive_c/Program Files/ASCII/RTP");
  std::filesystem::create_directories(prefix.Path() / "dosdevices");
  std::filesystem::create_directory_symlink("../drive_c", prefix.Path() / "dosdevices/c:");

  RegistryOptions options;
  options.winePrefix = prefix.Path().string();
  auto registry = MakeRegistry(options);
  const std::string key = "Software\\ASCII\\RPG2000";
  ASSERT_TRUE(registry->KeyExists("software\\ascii\\RPG2000"));
  const auto rtp = registry->ReadString(key, "runtimepackagepath");
  ASSERT_TRUE(rtp);
  EXPECT_EQ(*rtp, prefix.Path().string() + "/dosdevices/c:/Program Files/ASCII/RTP");
  EXPECT_TRUE(std::filesystem::is_directory(*rtp));
  EXPECT_EQ(registry->ReadString(key, "ApplicationPath"),
            prefix.Path().string() + "/dosdevices/e:/RPG2000/");
  EXPECT_EQ(registry->ReadString(key, "Native"), "/srv/rtp");
  EXPECT_EQ(registry->ReadString(key, "Missing"), std::nullopt);

  options.editorFolder = "/opt/rpg2000/";
  EXPECT_EQ(MakeRegistry(options)->ReadString(key, "ApplicationPath"), "/opt/rpg2000/");

  RegistryOptions empty;
  empty.winePrefix = (prefix.Path() / "none").string();
  EXPECT_FALSE(MakeRegistry(empty)->KeyExists(key));
  empty.rtpFolder = "/rtp/";
  auto given = MakeRegistry(empty);
  EXPECT_TRUE(given->KeyExists(key));
  EXPECT_EQ(given->ReadString(key, "RuntimePackagePath"), "/rtp/");
}

TEST(Platform, MachineKeysComeFromTheWinePrefixsSystemReg) {
  TempFolder prefix;
  prefix.Write("user.reg",
               "WINE REGISTRY Version 2\n\n[Software\\\\KADOKAWA\\\\RPG2003] 1700000000\n"
               "\"RuntimePackagePath\"=\"C:\\\\User RTP\"\n");
  // A 64-bit prefix: the editors' 32-bit installers wrote below Wow6432Node.
  prefix.Write("system.reg",
               "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n"
               "[Software\\\\Enterbrain\\\\RPG2003] 1700000000\n"
               "\"RuntimePackagePath\"=\"C:\\\\64-bit view\"\n"
               "[Software\\\\Wow6432Node\\\\Enterbrain\\\\RPG2003] 1700000000\n"
               "\"runtimepackagepath\"=\"C:\\\\RTP2003\"\n"
               "\"APPLICATIONPATH\"=\"C:\\\\RPG2003\\\\\"\n"
               "[Software\\\\KADOKAWA\\\\RPG2000] 1700000000\n"
               "\"RuntimePackagePath\"=\"/srv/rtp2000\"\n");
  std::filesystem::create_directories(prefix.Path() / "dosdevices");
  std::filesystem::create_directory_symlink("../drive_c", prefix.Path() / "dosdevices/c:");

  RegistryOptions options;
  options.winePrefix = prefix.Path().string();
  options.rtpFolder = "/given";  // lies over the user's editor key only
  auto registry = MakeRegistry(options);
  const auto machine = RegistryRoot::kLocalMachine;
  const std::string c = prefix.Path().string() + "/dosdevices/c:/";
  EXPECT_EQ(registry->ReadStringUnder(machine, "Software\\Enterbrain\\RPG2003", "RuntimePackagePath"),
            c + "RTP2003");
  EXPECT_EQ(registry->ReadStringUnder(machine, "software\\enterbrain\\rpg2003", "ApplicationPath"),
            c + "RPG2003/");
  // A prefix of 32 bits keeps the view without Wow6432Node.
  EXPECT_EQ(registry->ReadStringUnder(machine, "Software\\KADOKAWA\\RPG2000", "RuntimePackagePath"),
            "/srv/rtp2000");
  EXPECT_TRUE(registry->KeyExistsUnder(machine, "Software\\KADOKAWA"));
  EXPECT_FALSE(registry->KeyExistsUnder(machine, "Software\\KADOKAWA\\RPG2003"));
  EXPECT_EQ(registry->ReadStringUnder(machine, "Software\\ASCII\\RPG2000", "RuntimePackagePath"),
            std::nullopt);
  // The user's keys stay in user.reg.
  EXPECT_EQ(registry->ReadStringUnder(RegistryRoot::kCurrentUser, "Software\\KADOKAWA\\RPG2003",
                                      "RuntimePackagePath"),
            c + "User RTP");
  EXPECT_EQ(registry->ReadStringUnder(RegistryRoot::kCurrentUser, "Software\\Enterbrain\\RPG2003",
                                      "RuntimePackagePath"),
            std::nullopt);
  EXPECT_EQ(registry->ReadStringUnder(RegistryRoot::kCurrentUser, "Software\\ASCII\\RPG2000",
                                      "RuntimePackagePath"),
            "/given");
}

TEST(Platform, IniWriterReplacesTheFileWholeAndKeepsItsMode) {
  TempFolder dir;
  dir.Write("RPG_RT.ini", "[RPG_RT]\r\nGameTitle=Hero\r\n");
  chmod((dir / "RPG_RT.ini").c_str(), 0640);
  auto writer = MakeIniWriter();
  EXPECT_TRUE(writer->WriteInteger(dir / "rpg_rt.INI", "RPG_RT", "FullPackageFlag", 1));
  EXPECT_EQ(dir.Read("RPG_RT.ini"), "[RPG_RT]\r\nGameTitle=Hero\r\nFullPackageFlag=1\r\n");
  struct stat st;
  ASSERT_EQ(stat((dir / "RPG_RT.ini").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(MakeFileSystem()->FindFiles(dir / "*"),
            (std::vector<std::string>{".", "..", "RPG_RT.ini"}));

  EXPECT_TRUE(writer->WriteInteger(dir / "new.ini", "RPG_RT", "FullPackageFlag", 1));
  EXPECT_EQ(dir.Read("new.ini"), "[RPG_RT]\r\nFullPackageFlag=1\r\n");
  EXPECT_FALSE(writer->WriteInteger(dir / "missing/x.ini", "RPG_RT", "FullPackageFlag", 1));

  // A disk that fills up mid-write: the edit fails and the old file stays whole.
  dir.Write("big.ini", "[RPG_RT]\n" + std::string(128 * 1024, ';') + "\n");
  const pid_t child = fork();
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{64 * 1024, 64 * 1024};
    setrlimit(RLIMIT_FSIZE, &limit);
    _exit(MakeIniWriter()->WriteInteger(dir / "big.ini", "RPG_RT", "FullPackageFlag", 1) ? 1 : 0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(dir.Read("big.ini"), "[RPG_RT]\n" + std::string(128 * 1024, ';') + "\n");
  EXPECT_EQ(MakeFileSystem()->FindFiles(dir / "*"),
            (std::vector<std::string>{".", "..", "big.ini", "new.ini", "RPG_RT.ini"}));

  // A configuration the user made read-only stays as it is, also for root,
  // as the read-only attribute keeps it on Windows.
  dir.Write("locked.ini", "[RPG_RT]\r\nFullPackageFlag=0\r\n");
  chmod((dir / "locked.ini").c_str(), 0444);
  EXPECT_FALSE(writer->WriteInteger(dir / "locked.ini", "RPG_RT", "FullPackageFlag", 1));
  EXPECT_EQ(dir.Read("locked.ini"), "[RPG_RT]\r\nFullPackageFlag=0\r\n");

  // A named pipe in the configuration's place fails at once instead of
  // waiting for a writer.
  ASSERT_EQ(mkfifo((dir / "pipe.ini").c_str(), 0644), 0);
  const pid_t piped = fork();
  if (piped == 0) {
    alarm(5);
    _exit(MakeIniWriter()->WriteInteger(dir / "pipe.ini", "RPG_RT", "FullPackageFlag", 1) ? 1 : 0);
  }
  waitpid(piped, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

#endif

#ifdef _WIN32

TEST(Platform, RegistryReadsTheCurrentUsersStrings) {
  const std::string key = "Software\\QuillfenTest\\" + std::to_string(GetCurrentProcessId());
  HKEY handle = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                            &handle, nullptr),
            ERROR_SUCCESS);
  const auto put = [&](const char* name, DWORD type, const std::string& data) {
    RegSetValueExA(handle, name, 0, type, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>(data.size() + 1));
  };
  put("RuntimePackagePath", REG_SZ, "C:\\RTP");
  put("Long", REG_SZ, std::string(1000, 'x'));
  SetEnv("QF_TEST_ROOT", "D:\\Games");
  put("Expanded", REG_EXPAND_SZ, "%QF_TEST_ROOT%\\RTP");
  const DWORD number = 7;
  RegSetValueExA(handle, "Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                 sizeof number);
  RegCloseKey(handle);

  auto registry = MakeRegistry({});
  EXPECT_TRUE(registry->KeyExists(key));
  EXPECT_EQ(registry->ReadString(key, "runtimepackagepath"), "C:\\RTP");
  EXPECT_EQ(registry->ReadString(key, "Long"), std::string(1000, 'x'));
  EXPECT_EQ(registry->ReadString(key, "Expanded"), "D:\\Games\\RTP");
  EXPECT_EQ(registry->ReadString(key, "Number"), std::nullopt);
  EXPECT_EQ(registry->ReadString(key, "Missing"), std::nullopt);
  EXPECT_EQ(registry->ReadString(key + "\\Sub", "X"), std::nullopt);
  RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
  EXPECT_FALSE(registry->KeyExists(key));

  RegistryOptions options;
  options.rtpFolder = "E:\\RTP";
  auto given = MakeRegistry(options);
  EXPECT_EQ(given->ReadString("Software\\ASCII\\RPG2000", "RuntimePackagePath"), "E:\\RTP");
}

// The editors' installers are 32-bit programs: on 64-bit Windows their
// machine keys are in the 32-bit view, which is the one read.
TEST(Platform, RegistryReadsTheMachinesKeysInThe32BitView) {
  const std::string key = "Software\\QuillfenTest\\" + std::to_string(GetCurrentProcessId());
  const auto put = [&](REGSAM view, const std::string& path, const std::string& data) {
    HKEY handle = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_WRITE | view, nullptr,
                        &handle, nullptr) != ERROR_SUCCESS) {
      return false;
    }
    RegSetValueExA(handle, "RuntimePackagePath", 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(data.c_str()), static_cast<DWORD>(data.size() + 1));
    RegCloseKey(handle);
    return true;
  };
  ASSERT_TRUE(put(KEY_WOW64_32KEY, key + "\\Both", "C:\\RTP32"));
  auto registry = MakeRegistry({});
  const auto machine = RegistryRoot::kLocalMachine;
  EXPECT_TRUE(registry->KeyExistsUnder(machine, key + "\\Both"));
  EXPECT_EQ(registry->ReadStringUnder(machine, key + "\\Both", "runtimepackagepath"), "C:\\RTP32");
  EXPECT_FALSE(registry->KeyExistsUnder(RegistryRoot::kCurrentUser, key + "\\Both"));
  EXPECT_EQ(registry->ReadString(key + "\\Both", "RuntimePackagePath"), std::nullopt);

  // Where Windows has two views, a key only in the 64-bit one is not seen.
  using IsWow64 = BOOL(WINAPI*)(HANDLE, PBOOL);
  BOOL wow64 = FALSE;
  if (auto isWow64 = reinterpret_cast<IsWow64>(reinterpret_cast<void*>(
          GetProcAddress(GetModuleHandleA("kernel32.dll"), "IsWow64Process")))) {
    isWow64(GetCurrentProcess(), &wow64);
  }
  const bool twoViews = sizeof(void*) == 8 || wow64;
  if (twoViews) {
    ASSERT_TRUE(put(KEY_WOW64_64KEY, key + "\\Only64", "C:\\RTP64"));
    ASSERT_TRUE(put(KEY_WOW64_64KEY, key + "\\Both", "C:\\RTP64"));
    EXPECT_FALSE(registry->KeyExistsUnder(machine, key + "\\Only64"));
    EXPECT_EQ(registry->ReadStringUnder(machine, key + "\\Both", "RuntimePackagePath"), "C:\\RTP32");
  }

  // Clean up both views (RegDeleteKeyEx is not in every system this runs on).
  using DeleteKeyEx = LONG(WINAPI*)(HKEY, LPCSTR, REGSAM, DWORD);
  auto deleteKeyEx = reinterpret_cast<DeleteKeyEx>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("advapi32.dll"), "RegDeleteKeyExA")));
  for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
    for (const char* sub : {"\\Both", "\\Only64", ""}) {
      const std::string path = key + sub;
      if (deleteKeyEx) {
        deleteKeyEx(HKEY_LOCAL_MACHINE, path.c_str(), view, 0);
      } else if (view == KEY_WOW64_32KEY) {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, path.c_str());
      }
    }
  }
  std::printf("two registry views: %s\n", twoViews ? "yes" : "no");
}

TEST(Platform, IniWriterSetsTheKey) {
  TempFolder dir;
  dir.Write("RPG_RT.ini", "[RPG_RT]\r\nGameTitle=Hero\r\n");
  auto writer = MakeIniWriter();
  EXPECT_TRUE(writer->WriteInteger(dir / "RPG_RT.ini", "RPG_RT", "FullPackageFlag", 1));
  const std::string text = dir.Read("RPG_RT.ini");
  EXPECT_NE(text.find("GameTitle=Hero"), std::string::npos);
  EXPECT_NE(text.find("FullPackageFlag=1"), std::string::npos);
  EXPECT_FALSE(writer->WriteInteger(dir / "missing\\x.ini", "RPG_RT", "FullPackageFlag", 1));
}

#endif

}  // namespace
}  // namespace quillfen
