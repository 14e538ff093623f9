#include "Import.h"

#include <gtest/gtest.h>

#include <map>

#include "MemoryFileSystem.h"
#include "Messages.h"
#include "RecordingHost.h"

namespace quillfen {
namespace {

using testing::MemoryFileSystem;
using testing::RecordingHost;

struct MapRegistry : Registry {
  bool key = true;
  std::map<std::string, std::string> values;
  bool KeyExists(const std::string&) const override { return key; }
  std::optional<std::string> ReadString(const std::string&, const std::string& name) const override {
    auto it = values.find(name);
    if (!key || it == values.end()) return std::nullopt;
    return it->second;
  }
};

struct MemoryIni : IniWriter {
  MemoryFileSystem* fs = nullptr;
  bool fail = false;
  std::vector<std::string> writes;
  bool WriteInteger(const std::string& path, const std::string& section, const std::string& key,
                    int value) override {
    if (fail) return false;
    writes.push_back(path + " [" + section + "] " + key + "=" + std::to_string(value));
    return true;
  }
};

struct ImportFixture : ::testing::Test {
  MemoryFileSystem fs;
  MapRegistry registry;
  MemoryIni ini;
  RecordingHost host;
  Importer importer{fs, registry, ini, host};
  const std::string rtp = "C:\\RTP\\";
  const std::string project = "C:\\Game\\";
  void SetUp() override {
    registry.values["ApplicationPath"] = "C:\\RPG2000";
    fs.Put(rtp + "CharSet\\hero.png", "rtp hero");
    fs.Put(rtp + "Music\\theme.mid", "rtp theme");
    fs.Put(project + "RPG_RT.ldb");
    fs.Put(project + "CharSet\\hero.png", "the user's own hero");
  }
};

TEST_F(ImportFixture, CopiesWithoutOverwritingAndGoesOnAfterFailures) {
  fs.Put(rtp + "Panorama\\sky.png", "sky");
  fs.failCreateDir.insert("c:\\game\\panorama");
  importer.CopyFiles({"CharSet\\hero.png", "Music\\theme.mid", "Panorama\\sky.png"}, rtp, project);
  EXPECT_EQ(*fs.Get(project + "CharSet\\hero.png"), "the user's own hero");
  EXPECT_EQ(*fs.Get(project + "Music\\theme.mid"), "rtp theme");  // folder created first
  EXPECT_EQ(host.events, (std::vector<std::string>{
                             "stop Could Not Copy File: The file 'C:\\RTP\\CharSet\\hero.png' "
                             "could not be copied!",
                             "stop Could Not Create Directory: The directory 'C:\\Game\\Panorama\\' "
                             "could not be created!",
                             "stop Could Not Copy File: The file 'C:\\RTP\\Panorama\\sky.png' "
                             "could not be copied!",
                             std::string("info Finished: ") + msg::kFinished}));
}

TEST_F(ImportFixture, NothingSelectedShowsOnlyFinished) {
  importer.CopyFiles({}, rtp, project);
  EXPECT_EQ(host.events, (std::vector<std::string>{std::string("info Finished: ") + msg::kFinished}));
}

TEST_F(ImportFixture, HarmonyOverwritesAndReportsMissingEditor) {
  fs.Put("C:\\RPG2000\\Harmony.dll", "new harmony");
  fs.Put(project + "Harmony.dll", "old harmony");
  importer.AddHarmony(project);
  EXPECT_EQ(*fs.Get(project + "Harmony.dll"), "new harmony");
  EXPECT_TRUE(host.events.empty());

  fs.Remove("C:\\RPG2000\\Harmony.dll");
  importer.AddHarmony(project);
  registry.key = false;
  importer.AddHarmony(project);
  EXPECT_EQ(host.Only("stop"),
            (std::vector<std::string>{std::string("Could Not Copy Harmony: ") + msg::kCopyHarmony,
                                      std::string("Application Path Not Found: ") + msg::kAppPath}));
}

// A key that names the RTP but no editor folder (or an empty one) gives no
// source: the root's own Harmony.dll is never taken for it.
TEST_F(ImportFixture, HarmonyNeedsAConfiguredEditorFolder) {
  fs.Put("\\Harmony.dll", "whatever lies at the root");
  fs.Put("Harmony.dll", "whatever lies in the current folder");
  for (const char* editor : {static_cast<const char*>(""), static_cast<const char*>(nullptr)}) {
    if (editor)
      registry.values["ApplicationPath"] = editor;
    else
      registry.values.erase("ApplicationPath");
    importer.AddHarmony(project);
  }
  EXPECT_EQ(fs.Get(project + "Harmony.dll"), nullptr);
  EXPECT_EQ(host.Only("stop"), (std::vector<std::string>(2, std::string("Application Path Not Found: ") +
                                                               msg::kAppPath)));
  for (const std::string& entry : fs.log) EXPECT_EQ(entry.rfind("copy", 0), std::string::npos) << entry;
}

TEST_F(ImportFixture, HarmonyFromTheEditorFoundWithTheRtp) {
  fs.Put("C:\\RPG2000\\Harmony.dll", "2000 harmony");
  fs.Put("D:\\RPG2003\\Harmony.dll", "2003 harmony");
  importer.AddHarmonyFrom("D:\\RPG2003\\", project);
  EXPECT_EQ(*fs.Get(project + "Harmony.dll"), "2003 harmony");
  // After the word scan the editor's key, while it exists, comes first.
  importer.AddHarmonyAfterScan("D:\\RPG2003\\", project);
  EXPECT_EQ(*fs.Get(project + "Harmony.dll"), "2000 harmony");
  registry.key = false;
  importer.AddHarmonyAfterScan("D:\\RPG2003\\", project);
  EXPECT_EQ(*fs.Get(project + "Harmony.dll"), "2003 harmony");
  EXPECT_TRUE(host.events.empty());
  importer.AddHarmonyFrom("", project);
  importer.AddHarmonyAfterScan("", project);
  importer.AddHarmonyFrom("E:\\Nothing\\", project);
  EXPECT_EQ(host.Only("stop"),
            (std::vector<std::string>{std::string("Application Path Not Found: ") + msg::kAppPath,
                                      std::string("Application Path Not Found: ") + msg::kAppPath,
                                      std::string("Could Not Copy Harmony: ") + msg::kCopyHarmony}));
}

TEST_F(ImportFixture, FullPackageFlagNeedsFolderAndConfiguration) {
  importer.MarkFullPackage(project);
  fs.Put(project + "rpg_rt.ini", "[RPG_RT]\r\n");
  importer.MarkFullPackage(project);
  EXPECT_EQ(ini.writes, (std::vector<std::string>{"C:\\Game\\RPG_RT.ini [RPG_RT] FullPackageFlag=1"}));
  ini.fail = true;
  importer.MarkFullPackage(project);
  importer.MarkFullPackage("C:\\Gone\\");
  EXPECT_EQ(host.Only("stop"),
            (std::vector<std::string>{
                std::string("Configuration Nonexistant: ") + msg::kNoConfig,
                std::string("Could Not Update Configuration: ") + msg::kConfigWrite,
                std::string("Project Directory Invalid: ") + msg::kProjectDirInvalid}));
}

}  // namespace
}  // namespace quillfen
