// The streamed JSON against nlohmann::json's own dump of the same values:
// the command line's objects must stay byte for byte what they were.
#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <stdexcept>
#include <string>

#include "JsonStream.h"

namespace quillfen::cli {
namespace {

using nlohmann::json;

std::string Dump(const json& j) { return j.dump(2, ' ', false, json::error_handler_t::replace); }
std::string DumpString(const std::string& s) {
  return json(s).dump(-1, ' ', false, json::error_handler_t::replace);
}

std::string Streamed(const json& j) {
  std::ostringstream out;
  {
    JsonStream w(out);
    w.Value(j);
  }
  return out.str();
}

TEST(JsonStream, StringsAreEscapedAndInvalidUtf8ReplacedAsTheLibraryDoes) {
  const std::vector<std::string> cases = {
      "", "plain", "Sound\\Door", "quote \" and slash / and \\\\",
      std::string("nul \0 inside", 12), "\b\f\n\r\t\x01\x1F\x7F",
      "caf\xC3\xA9 \xE3\x81\x82 \xF0\x9F\x8E\xB5",               // valid 2, 3 and 4 bytes
      "Ch\xE9ri",                                                // cp1252, not UTF-8
      "\xC0\x80 \xC1\xBF \xE0\x80\x80 \xF0\x80\x80\x80",         // overlong
      "\xED\xA0\x80 \xED\x9F\xBF",                               // a surrogate, and the last before
      "\xF4\x8F\xBF\xBF \xF4\x90\x80\x80 \xF5\x80\x80\x80 \xFF", // past U+10FFFF
      "cut \xE3\x81", "\xE3\x81 then more", "\x80 lone continuation", "\x82\xA0\x81\x40 Shift-JIS",
  };
  for (const std::string& s : cases) {
    std::string out;
    AppendJsonString(out, s);
    EXPECT_EQ(out, DumpString(s)) << ::testing::PrintToString(s);
  }
  // Random bytes, biased towards the ranges where UTF-8 decisions are made.
  std::uint32_t state = 12345;
  auto next = [&] {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  };
  const unsigned char interesting[] = {0x00, 0x08, 0x0A, 0x1F, 0x20, 0x22, 0x5C, 0x7F, 0x80, 0x8F,
                                       0x90, 0x9F, 0xA0, 0xBF, 0xC0, 0xC2, 0xDF, 0xE0, 0xED, 0xEF,
                                       0xF0, 0xF4, 0xF5, 0xFF, 'a'};
  for (int i = 0; i < 20000; ++i) {
    std::string s;
    for (int n = static_cast<int>(next() % 12); n > 0; --n) {
      s += static_cast<char>(next() % 3 == 0 ? next() % 256 : interesting[next() % sizeof interesting]);
    }
    std::string out;
    AppendJsonString(out, s);
    ASSERT_EQ(out, DumpString(s)) << "case " << i;
  }
  // Long plain runs are passed over several bytes at a time: each byte that
  // needs care must still be seen wherever it falls in such a run.
  for (const unsigned char special : interesting) {
    for (std::size_t at = 0; at < 24; ++at) {
      std::string s(24, 'q');
      s[at] = static_cast<char>(special);
      std::string out;
      AppendJsonString(out, s);
      ASSERT_EQ(out, DumpString(s)) << "byte " << int(special) << " at " << at;
    }
  }
}

TEST(JsonStream, NestedValuesAndReportShapedObjectsMatchTheLibrarysDump) {
  const json j = {
      {"dynamic", 2},
      {"dynamicNames", json::array({{{"folder", "Picture"}, {"name", "Slide\x01"}, {"where", "a, b"}}})},
      {"empty", json::object()},
      {"emptyList", json::array()},
      {"exitCode", -3},
      {"nested", json::array({json::array(), json::array({1, json::array({json::object()})}), nullptr})},
      {"offset", std::uint64_t{18446744073709551615u}},
      {"problems", json::array({{{"file", "Map0001.lmu"}, {"message", "cut \"short\""}, {"offset", nullptr}}})},
      {"references", json::array({{{"files", json::array({"Sound\\Door.wav"})},
                                   {"folder", "Sound"},
                                   {"name", "Door\tBell\xE9"},
                                   {"status", "RTP"},
                                   {"where", "Map0001.lmu, event 1 'Guard \\ \"Hat\"', page 1"}},
                                  {{"files", json::array()}, {"folder", "Music"}, {"name", ""}}})},
      {"rpg2003", true},
      {"rtp", ""},
      {"yes", false},
  };
  EXPECT_EQ(Streamed(j), Dump(j));
  for (const json& scalar : {json(nullptr), json(0), json(-1), json("x"), json::array(), json::object()}) {
    EXPECT_EQ(Streamed(scalar), Dump(scalar));
  }

  // Written call by call, as the report is.
  std::ostringstream out;
  {
    JsonStream w(out);
    w.BeginObject();
    w.Key("dynamic");
    w.Unsigned(2);
    w.Key("dynamicNames");
    w.BeginArray();
    w.BeginObject();
    w.Key("folder");
    w.String("Picture");
    w.Key("name");
    w.String("Slide\x01");
    w.Key("where");
    w.String("a, b");
    w.EndObject();
    w.EndArray();
    w.Key("empty");
    w.BeginObject();
    w.EndObject();
    w.Key("emptyList");
    w.Strings({});
    w.Key("exitCode");
    w.Number(-3);
    w.Key("nested");
    w.Value(j["nested"]);
    w.Key("offset");
    w.Unsigned(18446744073709551615u);
    w.Key("problems");
    w.Value(j["problems"]);
    w.Key("references");
    w.Value(j["references"]);
    w.Key("rpg2003");
    w.Bool(true);
    w.Key("rtp");
    w.String("");
    w.Key("yes");
    w.Bool(false);
    w.EndObject();
  }
  EXPECT_EQ(out.str(), Dump(j));
}

TEST(JsonStream, ItemsWrittenApartJoinTheArrayAsIfWrittenInOne) {
  json items = json::array();
  for (int i = 0; i < 7; ++i) items.push_back({{"files", json::array({"A\\b" + std::to_string(i)})}, {"n", i}});
  const json j = {{"list", items}, {"z", 1}};
  for (int split = 1; split < 7; ++split) {
    std::ostringstream apart;
    {
      JsonStream rest(apart);
      rest.ContinueInside(2);
      for (int i = split; i < 7; ++i) rest.Value(items[i]);
    }
    std::ostringstream out;
    {
      JsonStream w(out);
      w.BeginObject();
      w.Key("list");
      w.BeginArray();
      for (int i = 0; i < split; ++i) w.Value(items[i]);
      w.Items(apart.str());
      w.EndArray();
      w.Key("z");
      w.Number(1);
      w.EndObject();
    }
    EXPECT_EQ(out.str(), Dump(j)) << "split at " << split;
  }
  std::ostringstream out;
  JsonStream w(out);
  w.BeginArray();
  EXPECT_THROW(w.Items("x"), std::logic_error);  // an array without items yet
}

TEST(JsonStream, KeysOutOfTheLibrarysOrderOrOutsideAnObjectAreRefused) {
  std::ostringstream out;
  JsonStream w(out);
  w.BeginObject();
  w.Key("rtp");
  w.String("x");
  EXPECT_THROW(w.Key("project"), std::logic_error);  // the library would sort it first
  EXPECT_THROW(w.Key("rtp"), std::logic_error);      // twice
  EXPECT_THROW(w.String("no key"), std::logic_error);
  w.Key("rtpSource");
  w.BeginArray();
  EXPECT_THROW(w.Key("in an array"), std::logic_error);
  EXPECT_THROW(w.EndObject(), std::logic_error);
}

}  // namespace
}  // namespace quillfen::cli
