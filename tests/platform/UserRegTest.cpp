#include "UserReg.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "RegistryOverride.h"

namespace quillfen {
namespace {

const char kUserReg[] =
    "WINE REGISTRY Version 2\r\n"
    ";; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\r\n"
    "\r\n"
    "#arch=win32\r\n"
    "\r\n"
    "[Software\\\\ASCII\\\\RPG2000] 1700000000\r\n"
    "#time=1d9a0b0c0d0e0f0\r\n"
    "\"ApplicationPath\"=\"C:\\\\Program Files\\\\ASCII\\\\RPG2000\\\\\"\r\n"
    "\"RuntimePackagePath\"=str(2):\"C:\\\\Program Files\\\\ASCII\\\\RTP\"\r\n"
    "\"Count\"=dword:00000001\r\n"
    "\"Blob\"=hex:00,01,02,\\\r\n"
    "  03,04\r\n"
    "\"Multi\"=str(7):\"a\\0b\\0\"\r\n"
    "@=\"default\"\r\n"
    "\"Say \\\"hi\\\"\"=\"tab\\there\\nline\"\r\n"
    "\"Wide\"=\"caf\\xe9 \\x65e5\\x672c \\xd83d\\xde00 \\xdc00!\"\r\n"
    "this line means nothing\r\n"
    "\"Broken\"=\"no end\r\n"
    "\r\n"
    "[Software\\\\Wine\\\\Fonts\\\\Replacements] 1700000001\r\n"
    "\"A\"=\"1\"\r\n"
    "[Software\\\\ascii\\\\rpg2000] 1700000002\r\n"
    "\"applicationpath\"=\"D:\\\\Editor\\\\\"\r\n";

TEST(UserReg, ReadsTheStringValuesOfAWineHive) {
  const RegHive hive = ParseUserReg(kUserReg);
  ASSERT_EQ(hive.count("SOFTWARE\\ASCII\\RPG2000"), 1u);
  const RegValues& values = hive.at("Software\\ASCII\\RPG2000");
  // The later duplicate section merges in and its value wins.
  EXPECT_EQ(values.at("ApplicationPath"), "D:\\Editor\\");
  EXPECT_EQ(values.at("runtimepackagepath"), "C:\\Program Files\\ASCII\\RTP");
  EXPECT_EQ(values.at(""), "default");
  EXPECT_EQ(values.at("Say \"hi\""), "tab\there\nline");
  EXPECT_EQ(values.at("Wide"),
            "caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80 \xEF\xBF\xBD!");
  for (const char* absent : {"Count", "Blob", "Multi", "Broken"}) {
    EXPECT_EQ(values.count(absent), 0u) << absent;
  }
  EXPECT_EQ(hive.at("Software\\Wine\\Fonts\\Replacements").at("A"), "1");
}

TEST(UserReg, KnowsTheKeysAboveTheStoredOnes) {
  const RegHive hive = ParseUserReg(kUserReg);
  EXPECT_TRUE(HiveHasKey(hive, "software\\ascii\\rpg2000"));
  EXPECT_TRUE(HiveHasKey(hive, "Software\\ASCII"));
  EXPECT_TRUE(HiveHasKey(hive, "Software\\ASCII\\RPG2000\\"));
  EXPECT_FALSE(HiveHasKey(hive, "Software\\ASC"));
  EXPECT_FALSE(HiveHasKey(hive, "Software\\ASCII\\RPG2003"));
  EXPECT_TRUE(ParseUserReg("").empty());
  EXPECT_TRUE(ParseUserReg("[unterminated\n\"A\"=\"1\"\n").empty());
}

TEST(UserReg, TheMachinesHiveIsReadInThe32BitView) {
  const RegHive hive = ParseUserReg(
      "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n"
      "[Software\\\\Wow6432Node\\\\Enterbrain\\\\RPG2003] 1700000000\n"
      "\"runtimepackagepath\"=\"C:\\\\RTP2003\"\n"
      "[Software\\\\KADOKAWA\\\\RPG2003] 1700000001\n"
      "\"RUNTIMEPACKAGEPATH\"=str(2):\"C:\\\\KA\"\n");
  using Keys = std::vector<std::string>;
  EXPECT_EQ(MachineKeys32("Software\\Enterbrain\\RPG2003"),
            (Keys{"Software\\Wow6432Node\\Enterbrain\\RPG2003", "Software\\Enterbrain\\RPG2003"}));
  EXPECT_EQ(MachineKeys32("\\software\\KADOKAWA"),
            (Keys{"Software\\Wow6432Node\\KADOKAWA", "software\\KADOKAWA"}));
  EXPECT_EQ(MachineKeys32("SOFTWARE\\WOW6432NODE\\X"), (Keys{"SOFTWARE\\WOW6432NODE\\X"}));
  EXPECT_EQ(MachineKeys32("System\\Software"), (Keys{"System\\Software"}));
  EXPECT_EQ(MachineKeys32("Software"), (Keys{"Software"}));

  EXPECT_EQ(HiveString(hive, "SOFTWARE\\WOW6432NODE\\ENTERBRAIN\\RPG2003\\", "RuntimePackagePath"),
            "C:\\RTP2003");
  EXPECT_EQ(HiveString(hive, "Software\\KADOKAWA\\RPG2003", "runtimePackagePath"), "C:\\KA");
  EXPECT_EQ(HiveString(hive, "Software\\KADOKAWA\\RPG2003", "ApplicationPath"), std::nullopt);
  EXPECT_EQ(HiveString(hive, "Software\\Enterbrain\\RPG2003", "RuntimePackagePath"), std::nullopt);
}

class FixedRegistry final : public Registry {
 public:
  bool KeyExists(const std::string& key) const override { return key == "Software\\Other"; }
  std::optional<std::string> ReadString(const std::string& key,
                                        const std::string& name) const override {
    if (key == "Software\\Other" && name == "X") return "x";
    return std::nullopt;
  }
};

TEST(UserReg, GivenLocationsStandForTheEditorKey) {
  auto registry = OverrideToolLocations(std::make_unique<FixedRegistry>(), "/rtp/", std::nullopt);
  EXPECT_TRUE(registry->KeyExists("software\\ascii\\rpg2000"));
  EXPECT_TRUE(registry->KeyExists("Software\\ASCII"));
  EXPECT_FALSE(registry->KeyExists("Software\\ASCII\\RPG2000\\Sub"));
  EXPECT_EQ(registry->ReadString("Software\\ASCII\\RPG2000", "RUNTIMEPACKAGEPATH"), "/rtp/");
  EXPECT_EQ(registry->ReadString("Software\\ASCII\\RPG2000", "ApplicationPath"), std::nullopt);
  EXPECT_EQ(registry->ReadString("Software\\Other", "X"), "x");
  auto plain = OverrideToolLocations(std::make_unique<FixedRegistry>(), std::nullopt, std::nullopt);
  EXPECT_FALSE(plain->KeyExists("Software\\ASCII\\RPG2000"));
  // Only the current user's editor key is laid over; the machine's is the base's.
  EXPECT_TRUE(registry->KeyExistsUnder(RegistryRoot::kCurrentUser, "Software\\ASCII\\RPG2000"));
  EXPECT_FALSE(registry->KeyExistsUnder(RegistryRoot::kLocalMachine, "Software\\ASCII\\RPG2000"));
  EXPECT_EQ(registry->ReadStringUnder(RegistryRoot::kCurrentUser, "Software\\ASCII\\RPG2000",
                                      "RuntimePackagePath"),
            "/rtp/");
  EXPECT_EQ(registry->ReadStringUnder(RegistryRoot::kLocalMachine, "Software\\ASCII\\RPG2000",
                                      "RuntimePackagePath"),
            std::nullopt);
}

}  // namespace
}  // namespace quillfen
