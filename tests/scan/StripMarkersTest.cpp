#include "ProjectData.h"

#include <gtest/gtest.h>

#include <random>

#include "EveryVectorScanner.h"
#include "RestartStripMarkers.h"

namespace quillfen {
namespace {

using testing::WithEveryVectorScanner;

// A message record as the editor writes it: marker, indent, length, text,
// parameter count; then continuation lines.
std::string Record(const std::string& text, const std::vector<std::string>& more = {}) {
  std::string r = "\xCE\x7E";
  r += '\0';
  r += static_cast<char>(text.size());
  r += text;
  r += '\0';
  for (const auto& line : more) {
    r += "\x81\x9D\x0E";
    r += '\0';
    r += static_cast<char>(line.size());
    r += line;
    r += '\0';
  }
  return r;
}

std::string Strip(std::string data) {
  StripMarkers(data);
  return data;
}

TEST(StripMarkers, RemovesRunsWithTheBytesBeforeThem) {
  EXPECT_EQ(Strip("no marker here"), "no marker here");
  EXPECT_EQ(Strip(std::string("AB") + Record("Hello Slime") + "CD"), "ACD");
  EXPECT_EQ(Strip(std::string("AB") + Record("one", {"two", "three"}) + "ZZ"), "AZZ");
  // Two runs one after the other: the second is found after the first goes.
  EXPECT_EQ(Strip(std::string("AB") + Record("x") + "Q" + Record("y") + "ZZ"), "AZZ");
  // A run whose last record ends two bytes before the end: those two stay.
  EXPECT_EQ(Strip(std::string("AB") + Record("end") + "YZ"), "AYZ");
}

TEST(StripMarkers, ReadErrorsAtTheStartAndPastTheEnd) {
  EXPECT_THROW(Strip(Record("first")), ReadError);
  EXPECT_THROW(Strip(std::string("A") + Record("end")), ReadError);         // continuation test past the end
  EXPECT_THROW(Strip(std::string("A") + Record("end") + "Y"), ReadError);   // one byte is not enough
  EXPECT_THROW(Strip("A\xCE\x7E"), ReadError);
  EXPECT_THROW(Strip(std::string("A\xCE\x7E\0\x05" "abc", 8)), ReadError);
  std::string cut = std::string("A") + Record("x", {"y"}) + "ZZ";
  cut.resize(cut.size() - 5);
  EXPECT_THROW(Strip(cut), ReadError);
}

TEST(StripMarkers, BytesMeetingAcrossARemovedRunFormANewMarker) {
  // Kept "\xCE" before the run and "\x7E" after it join into a marker whose
  // run starts at the byte before the kept "\xCE".
  std::string data = std::string("PQ\xCE", 3) + "A" + Record("gone") + std::string("\x7E\x00\x01X\x00tailZZ", 11);
  std::string expected = data;
  oracle::RestartStripMarkers(expected);
  EXPECT_EQ(Strip(data), expected);
  EXPECT_EQ(expected, "PtailZZ");
  // Join right at the start of the data: no byte before it.
  std::string atStart = std::string("\xCE", 1) + "A" + Record("g") + std::string("\x7E\x00\x00\x00zz", 6);
  EXPECT_THROW(Strip(atStart), ReadError);
  EXPECT_THROW(oracle::RestartStripMarkers(atStart), oracle::RestartReadError);
}

// The one-pass removal against the literal restart algorithm on random
// data full of planted runs, joins and truncations.
TEST(StripMarkers, MatchesTheRestartAlgorithmOnRandomData) {
  WithEveryVectorScanner([&] {
    std::mt19937 rng(12345);
    const char pieces[][3] = {{'\xCE', '\x7E', 0}, {'\x81', '\x9D', 0}, {'\xCE', 0, 0}, {'\x7E', 0, 0},
                              {'\x81', 0, 0},      {'\x9D', 0, 0},      {'\x00', 0, 0}, {'a', 0, 0}};
    int errors = 0;
    for (int round = 0; round < 20000; ++round) {
      std::string data;
      int n = static_cast<int>(rng() % 60);
      for (int i = 0; i < n; ++i) {
        if (rng() % 6 == 0) {
          std::string text(rng() % 4, 'm');
          std::vector<std::string> lines(rng() % 3, std::string(rng() % 3, 'l'));
          data += Record(text, lines);
        } else {
          const char* p = pieces[rng() % 8];
          data.append(p, p[0] ? std::strlen(p) : 1);
        }
      }
      if (rng() % 4 == 0 && !data.empty()) data.resize(rng() % data.size());
      std::string expected = data;
      bool oracleFailed = false;
      try {
        oracle::RestartStripMarkers(expected);
      } catch (const oracle::RestartReadError&) {
        oracleFailed = true;
      }
      std::string actual = data;
      bool failed = false;
      try {
        StripMarkers(actual);
      } catch (const ReadError&) {
        failed = true;
      }
      ASSERT_EQ(failed, oracleFailed) << "round " << round;
      if (!failed) {
        ASSERT_EQ(actual, expected) << "round " << round;
      }
      errors += failed;
    }
    EXPECT_GT(errors, 100);  // the generator does reach the error cases
  });
}

}  // namespace
}  // namespace quillfen
