#include "RtpLocations.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "MemoryFileSystem.h"
#include "Messages.h"
#include "Pipeline.h"
#include "RecordingHost.h"
#include "RootedRegistry.h"

namespace quillfen {
namespace {

using testing::RootedRegistry;
constexpr RegistryRoot kUser = RegistryRoot::kCurrentUser;
constexpr RegistryRoot kMachine = RegistryRoot::kLocalMachine;

// Folders that exist, by their exact text (without a trailing separator).
class Folders : public testing::MemoryFileSystem {
 public:
  std::set<std::string> folders;
  bool DirectoryExists(const std::string& path) const override {
    std::string trimmed = path;
    while (trimmed.size() > 1 && (trimmed.back() == '/' || trimmed.back() == '\\'))
      trimmed.pop_back();
    return folders.count(trimmed) != 0;
  }
};

struct Rtp : ::testing::Test {
  Folders fs;
  RootedRegistry registry;
  Environment env;

  std::optional<RtpLocation> Find(RtpEdition edition, bool windows = false,
                                  std::optional<std::string> rtp = std::nullopt,
                                  std::optional<std::string> editor = std::nullopt) {
    return FindRtp(edition, {fs, registry, env, std::move(rtp), std::move(editor), windows});
  }
  std::string SourceOf(RtpEdition edition, bool windows = false) {
    auto found = Find(edition, windows);
    return found ? found->source + " " + found->folder : "none";
  }
  // An existing folder named by a key's RuntimePackagePath, with an editor folder.
  void Key(RegistryRoot root, const std::string& key, const std::string& folder) {
    fs.folders.insert(folder);
    registry.Set(root, key, "RuntimePackagePath", folder);
    registry.Set(root, key, "ApplicationPath", folder + "-editor");
  }
};

TEST_F(Rtp, EachSourceOf2003InTurn) {
  fs.folders = {"/env/own",
                "/env/any",
                "/home/u/.local/share/rtp/2003",
                "/usr/share/rtp/2003",
                "/usr/local/share/rtp/2003",
                "/opt/data/rtp/2003"};
  env = {{"RPG2K3_RTP_PATH", "/env/nothing:/env/own"},
         {"RPG2K_RTP_PATH", "/env/any"},
         {"RPG_RTP_PATH", ";/env/gone;/env/any"},
         {"HOME", "/home/u"},
         {"XDG_DATA_DIRS", "relative/share:/opt/data/:/usr/share"}};
  Key(kUser, "Software\\Enterbrain\\RPG2003", "C:\\EB-user");
  Key(kMachine, "Software\\Enterbrain\\RPG2003", "C:\\EB-machine");
  Key(kUser, "Software\\KADOKAWA\\RPG2003", "C:\\KA-user");
  Key(kMachine, "Software\\KADOKAWA\\RPG2003", "C:\\KA-machine");
  Key(kUser, "Software\\ASCII\\RPG2000", "C:\\ASCII");  // the 2000 editor's: never for 2003

  auto given = Find(RtpEdition::Rpg2003, false, "/given");
  ASSERT_TRUE(given);
  EXPECT_EQ(given->folder, "/given\\");  // taken as given, existing or not
  EXPECT_EQ(given->source, "--rtp");
  EXPECT_EQ(given->editorFolder, "C:\\EB-user-editor\\");
  EXPECT_FALSE(Find(RtpEdition::Rpg2003, false, "")) << "an empty --rtp names no RTP";

  const std::vector<std::string> order = {
      "RPG2K3_RTP_PATH /env/own\\",
      "RPG_RTP_PATH /env/any\\",
      "HKEY_CURRENT_USER\\Software\\Enterbrain\\RPG2003 C:\\EB-user\\",
      "HKEY_LOCAL_MACHINE\\Software\\Enterbrain\\RPG2003 C:\\EB-machine\\",
      "HKEY_CURRENT_USER\\Software\\KADOKAWA\\RPG2003 C:\\KA-user\\",
      "HKEY_LOCAL_MACHINE\\Software\\KADOKAWA\\RPG2003 C:\\KA-machine\\",
      "XDG_DATA_HOME /home/u/.local/share/rtp/2003\\",
      "XDG_DATA_DIRS /opt/data/rtp/2003\\",
      "XDG_DATA_DIRS /usr/share/rtp/2003\\",
      "XDG_DATA_DIRS /usr/local/share/rtp/2003\\",  // the default list
      "XDG_DATA_DIRS /usr/share/rtp/2003\\",
      "none"};
  // Take each winner away in turn.
  const std::vector<std::function<void()>> remove = {
      [&] { env.erase("RPG2K3_RTP_PATH"); },
      [&] { env.erase("RPG_RTP_PATH"); },
      [&] { registry.Remove(kUser, "Software\\Enterbrain\\RPG2003"); },
      [&] { fs.folders.erase("C:\\EB-machine"); },  // a value whose folder is gone
      [&] { registry.Set(kUser, "Software\\KADOKAWA\\RPG2003", "RuntimePackagePath", ""); },
      [&] { registry.Remove(kMachine, "Software\\KADOKAWA\\RPG2003"); },
      [&] { env["XDG_DATA_HOME"] = "/xdg/home"; },  // set: HOME no longer counts
      [&] { fs.folders.erase("/opt/data/rtp/2003"); },
      [&] { env.erase("XDG_DATA_DIRS"); },
      [&] { fs.folders.erase("/usr/local/share/rtp/2003"); },
      [&] { fs.folders.erase("/usr/share/rtp/2003"); },
  };
  for (std::size_t i = 0; i < order.size(); ++i) {
    EXPECT_EQ(SourceOf(RtpEdition::Rpg2003), order[i]) << "step " << i;
    if (i < remove.size()) remove[i]();
  }
  fs.folders.insert("/home/u/.local/share/rtp/2003");
  env["XDG_DATA_HOME"] = "/home/u/.local/share/";
  EXPECT_EQ(SourceOf(RtpEdition::Rpg2003), "XDG_DATA_HOME /home/u/.local/share/rtp/2003\\");
  EXPECT_EQ(SourceOf(RtpEdition::Rpg2003, /*windows=*/true), "none") << "no XDG folders on Windows";
}

TEST_F(Rtp, The2000EditionHasItsOwnVariableKeysAndFolders) {
  fs.folders = {"/env/2k", "/env/2k3", "/usr/share/rtp/2000", "/usr/share/rtp/2003"};
  env = {{"RPG2K_RTP_PATH", "/env/2k"}, {"RPG2K3_RTP_PATH", "/env/2k3"}};
  EXPECT_EQ(SourceOf(RtpEdition::Rpg2000), "RPG2K_RTP_PATH /env/2k\\");
  EXPECT_EQ(SourceOf(RtpEdition::Rpg2003), "RPG2K3_RTP_PATH /env/2k3\\");
  env.clear();
  Key(kUser, "Software\\Enterbrain\\RPG2003", "C:\\EB");
  Key(kMachine, "Software\\KADOKAWA\\RPG2000", "C:\\KA");
  EXPECT_EQ(SourceOf(RtpEdition::Rpg2000),
            "HKEY_LOCAL_MACHINE\\Software\\KADOKAWA\\RPG2000 C:\\KA\\");
  Key(kMachine, "Software\\ASCII\\RPG2000", "C:\\ASCII");
  EXPECT_EQ(SourceOf(RtpEdition::Rpg2000),
            "HKEY_LOCAL_MACHINE\\Software\\ASCII\\RPG2000 C:\\ASCII\\");
  registry.Remove(kMachine, "Software\\ASCII\\RPG2000");
  registry.Remove(kMachine, "Software\\KADOKAWA\\RPG2000");
  EXPECT_EQ(SourceOf(RtpEdition::Rpg2000), "XDG_DATA_DIRS /usr/share/rtp/2000\\");
}

TEST_F(Rtp, ListsSplitAsThePlatformDoes) {
  fs.folders = {"C:\\RTP", "D:\\RTP", "C", "/b"};
  env = {{"RPG_RTP_PATH", "C:\\RTP;D:\\RTP"}};
  // Linux takes ":" too, so "C:\RTP" is "C" and "\RTP" there.
  EXPECT_EQ(SourceOf(RtpEdition::Rpg2000, /*windows=*/false), "RPG_RTP_PATH C\\");
  EXPECT_EQ(SourceOf(RtpEdition::Rpg2000, /*windows=*/true), "RPG_RTP_PATH C:\\RTP\\");
  env = {{"RPG_RTP_PATH", "E:\\None;;D:\\RTP\\"}};
  EXPECT_EQ(SourceOf(RtpEdition::Rpg2000, true), "RPG_RTP_PATH D:\\RTP\\");
  env = {{"RPG_RTP_PATH", "/a::/b"}};
  EXPECT_EQ(SourceOf(RtpEdition::Rpg2000), "RPG_RTP_PATH /b\\");
  EXPECT_EQ(SourceOf(RtpEdition::Rpg2000, true), "none");
}

TEST_F(Rtp, TheEditorFolderBelongsToTheKeyThatGaveTheRtp) {
  Key(kUser, "Software\\Enterbrain\\RPG2003", "C:\\EB");
  registry.Set(kUser, "Software\\Enterbrain\\RPG2003", "ApplicationPath", "");
  Key(kMachine, "Software\\KADOKAWA\\RPG2003", "C:\\KA");
  fs.folders.erase("C:\\EB");
  // The machine's key gave the RTP: its editor, not the user's key's.
  auto found = Find(RtpEdition::Rpg2003);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->editorFolder, "C:\\KA-editor\\");
  // A key without ApplicationPath names no editor, even when another key does.
  fs.folders.insert("C:\\EB");
  EXPECT_EQ(Find(RtpEdition::Rpg2003)->editorFolder, "");
  // Other places take the first editor of the edition's keys, and --editor wins.
  fs.folders.insert("/env");
  env = {{"RPG2K3_RTP_PATH", "/env"}};
  EXPECT_EQ(Find(RtpEdition::Rpg2003)->editorFolder, "C:\\KA-editor\\");
  EXPECT_EQ(Find(RtpEdition::Rpg2003, false, std::nullopt, "/opt/editor/")->editorFolder,
            "/opt/editor/");
  EXPECT_FALSE(Find(RtpEdition::Rpg2000));
  EXPECT_EQ(DescribeRtp(*Find(RtpEdition::Rpg2003)), "/env (from RPG2K3_RTP_PATH)");
}

TEST(ScanRtp, TheEditorKeyOfTheUserComesFirstAndTheOtherPlacesOnlyWithoutIt) {
  const std::string ascii = "Software\\ASCII\\RPG2000";
  testing::MemoryFileSystem fs;
  RootedRegistry registry;
  testing::RecordingHost host;
  fs.MakeDir("C:\\KA\\RTP");
  fs.MakeDir("Env\\RTP");  // no drive: ":" separates entries here
  // The key as before: even a folder that is gone, and no other place asked.
  registry.Set(kUser, ascii, "RuntimePackagePath", "C:\\Gone");
  registry.Set(kUser, ascii, "ApplicationPath", "C:\\RPG2000\\");
  registry.Set(kMachine, "Software\\KADOKAWA\\RPG2000", "RuntimePackagePath", "C:\\KA\\RTP");
  registry.Set(kMachine, "Software\\KADOKAWA\\RPG2000", "ApplicationPath", "C:\\KA\\Editor");
  const Environment env = {{"RPG2K_RTP_PATH", "Env\\RTP"}};
  auto load = [&](Environment environment, std::optional<std::string> rtp = std::nullopt) {
    auto scanner = std::make_unique<Scanner>(
        ScanEnvironment{fs, registry, "C:\\Tool\\", std::move(environment), std::move(rtp)}, host);
    scanner->LoadToolLocations();
    return scanner;
  };
  auto scanner = load(env);
  EXPECT_EQ(scanner->State().rtpPath, "C:\\Gone\\");
  EXPECT_EQ(scanner->RtpSource(), "HKEY_CURRENT_USER\\Software\\ASCII\\RPG2000");
  EXPECT_EQ(scanner->BrowserStartFolder(), "C:\\RPG2000\\Project");
  EXPECT_EQ(scanner->FoundEditorFolder(), "");
  // A key without the RTP value names no RTP, as before.
  registry.Set(kUser, ascii, "RuntimePackagePath", "");
  scanner = load(env);
  EXPECT_EQ(scanner->State().rtpPath, "");
  scanner->StartScan();
  EXPECT_EQ(host.Only("stop"), (std::vector<std::string>{std::string(msg::kRtpNotFoundTitle) +
                                                         ": " + msg::kRtpNotFound}));

  registry.Remove(kUser, ascii);
  scanner = load(env);
  EXPECT_EQ(scanner->State().rtpPath, "Env\\RTP\\");
  EXPECT_EQ(scanner->RtpSource(), "RPG2K_RTP_PATH");
  EXPECT_EQ(scanner->FoundEditorFolder(), "C:\\KA\\Editor\\");
  EXPECT_EQ(scanner->BrowserStartFolder(), "C:\\KA\\Editor\\Project");
  scanner = load({});
  EXPECT_EQ(scanner->State().rtpPath, "C:\\KA\\RTP\\");
  EXPECT_EQ(scanner->RtpSource(), "HKEY_LOCAL_MACHINE\\Software\\KADOKAWA\\RPG2000");
  registry.Set(kUser, ascii, "RuntimePackagePath", "C:\\RTP");
  scanner = load(env, "E:\\Given");
  EXPECT_EQ(scanner->State().rtpPath, "E:\\Given\\");
  EXPECT_EQ(scanner->RtpSource(), "--rtp");
}

}  // namespace
}  // namespace quillfen
