#include "ProjectData.h"

#include <gtest/gtest.h>

#include <optional>
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

// Cuts data in consecutive chunks ending at the given offsets, each chunk in
// a block of its own that is gone before the next one comes; the kept bytes,
// or nullopt when the cutter asks for the input whole.
std::optional<std::string> CutInChunks(const std::string& data, const std::vector<std::size_t>& ends,
                                       std::size_t hold) {
  MarkedRunCutter cutter(data.size(), hold);
  std::string out;
  std::size_t at = 0;
  for (std::size_t end : ends) {
    const std::size_t room = cutter.Room();
    std::vector<char> block(room + (end - at));
    std::memcpy(block.data() + room, data.data() + at, end - at);
    std::vector<std::string_view> kept;
    if (!cutter.Cut(block.data() + room, end - at, kept)) return std::nullopt;
    for (std::string_view span : kept) {
      EXPECT_TRUE(span.data() >= block.data() && span.data() + span.size() <= block.data() + block.size());
      out.append(span);
    }
    at = end;
  }
  return out;
}

// Data full of runs: back to back (each takes the byte before it, also one
// kept in an earlier chunk), with continuation lines, joined across removed
// runs into new markers, with loose marker bytes, and now and then cut short.
std::string MarkerHeavy(std::mt19937& rng) {
  std::string data = "ab";
  const int parts = 1 + static_cast<int>(rng() % 12);
  for (int i = 0; i < parts; ++i) {
    switch (rng() % 6) {
      case 0:
      case 1: {
        const int chain = 1 + static_cast<int>(rng() % 6);
        for (int k = 0; k < chain; ++k) {
          std::vector<std::string> lines(rng() % 3, std::string(rng() % 3, 'l'));
          data += Record(std::string(rng() % 4, 'm'), lines);
        }
        break;
      }
      case 2:
        // "\xCE" kept, a run, then "\x7E": a marker once the run is gone.
        data += std::string("Q\xCE", 2) + "x" + Record("j") + std::string("\x7E\x00\x01z\x00", 5);
        break;
      case 3:
        data += std::string("\x81\x9D\xCE\x7E\x00", 5).substr(rng() % 5, 1 + rng() % 2);
        break;
      default:
        data += std::string(rng() % 5, "kz"[rng() % 2]);
        break;
    }
  }
  if (rng() % 5 == 0) data.resize(rng() % data.size());
  return data;
}

// Cut at every place into two chunks, and into chunks of every small size,
// with holds from the least up: the bytes, or the read error, must be those
// of cutting the whole. Where a run takes back more than was held, the
// cutter must say so rather than give other bytes.
TEST(MarkedRunCutter, EveryChunkEdgeGivesTheBytesOfTheWholeCut) {
  WithEveryVectorScanner([&] {
    std::mt19937 rng(99);
    int whole = 0, errors = 0, cut = 0;
    for (int round = 0; round < 400; ++round) {
      const std::string data = MarkerHeavy(rng);
      std::optional<std::string> expected;
      try {
        expected = Strip(data);
      } catch (const ReadError&) {
      }
      std::vector<std::vector<std::size_t>> splits;
      for (std::size_t at = 0; at <= data.size(); ++at) splits.push_back({at, data.size()});
      for (std::size_t size = 1; size <= 9; ++size) {
        std::vector<std::size_t> ends;
        for (std::size_t at = size; at < data.size(); at += size) ends.push_back(at);
        ends.push_back(data.size());
        splits.push_back(ends);
      }
      for (std::size_t hold : {2, 3, 7, 64}) {
        for (const std::vector<std::size_t>& ends : splits) {
          SCOPED_TRACE(::testing::Message() << "round " << round << " hold " << hold << " first edge " << ends[0]);
          std::optional<std::string> got;
          try {
            got = CutInChunks(data, ends, hold);
          } catch (const ReadError&) {
            ASSERT_FALSE(expected.has_value());
            ++errors;
            continue;
          }
          if (!got) {
            ++whole;
            continue;
          }
          ASSERT_TRUE(expected.has_value());
          ASSERT_EQ(*got, *expected);
          ++cut;
        }
      }
    }
    EXPECT_GT(cut, 10000);
    EXPECT_GT(errors, 1000);
    EXPECT_GT(whole, 100);  // the generator does take back past the held bytes
  });
}

// A long chain of runs right after a chunk edge takes back one kept byte
// each: with enough held back, the chunks give the whole cut's bytes; with
// too few, the cutter asks for the whole input.
TEST(MarkedRunCutter, AChainOfRunsTakesBackHeldBytes) {
  std::string data = "0123456789";
  for (int i = 0; i < 6; ++i) data += Record("msg");
  data += "tail";
  const std::string expected = Strip(data);
  EXPECT_EQ(expected, "0123tail");
  EXPECT_EQ(CutInChunks(data, {10, data.size()}, 6), expected);
  EXPECT_EQ(CutInChunks(data, {10, data.size()}, 5), std::nullopt);
  EXPECT_EQ(CutInChunks(data, {10, 11, 12, 30, data.size()}, 8), expected);
  // A run cut short by the last chunk is a read error, as for the whole.
  std::string cutShort = "0123" + Record("msg");
  cutShort.pop_back();
  EXPECT_THROW(CutInChunks(cutShort, {5, cutShort.size()}, 4), ReadError);
  // So is a marker at the start, also one split by the edge.
  EXPECT_THROW(CutInChunks(std::string("\xCE\x7E\0\0\0zz", 7), {1, 7}, 4), ReadError);
  EXPECT_EQ(CutInChunks("", {0}, 4), "");
}

}  // namespace
}  // namespace quillfen
