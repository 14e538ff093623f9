// The format's building blocks, where a wrong bound would read past a file.
#include <gtest/gtest.h>

#include <utility>


#include "Cursor.h"
#include "Events.h"
#include "LcfWriter.h"

namespace quillfen::lcf {
namespace {

TEST(LcfReader, BerIntegersAndBoundsAreChecked) {
  for (std::int64_t v : {0LL, 1LL, 127LL, 128LL, 16383LL, 16384LL, 0x7FFFFFFFLL, -1LL}) {
    const std::string bytes = Ber(v);
    Cursor in(bytes);
    EXPECT_EQ(in.Int(), static_cast<std::int32_t>(v));
    EXPECT_TRUE(in.AtEnd());
  }
  const std::string tooLong = "\x81\x81\x81\x81\x81\x01";
  Cursor a(tooLong, 100);
  try {
    a.Ber();
    FAIL();
  } catch (const FormatError& e) {
    EXPECT_EQ(e.Offset(), 100u);
  }
  const std::string cutInteger = "\x05\x81";
  Cursor b(cutInteger);
  b.Ber();
  EXPECT_THROW(b.Ber(), FormatError);

  // A chunk or array that claims more than is there is refused, not allocated.
  const std::string bigChunk = Ber(3) + Ber(1000000) + "abc";
  Cursor c(bigChunk);
  EXPECT_THROW(ForEachChunk(c, [](std::uint32_t, Cursor&) {}), FormatError);
  const std::string bigArray = Ber(0x7FFFFFFF);
  Cursor d(bigArray);
  EXPECT_THROW(ForEachEntry(d, [](int, Cursor&) {}), FormatError);
}

TEST(LcfReader, CommandListsStopAtTheirEndAndSkipMessageText) {
  Commands list;
  list.Message(0, {"Play Sound Boom"});
  list.Add(kPlaySound, 1, "Boom", {100, 100, 50});
  list.Add(kEnd, 1, "", {});
  const std::string bytes = list.Finish() + "trailing";
  Cursor in(bytes);
  Collected out;
  ReadCommandList(in, "X", out);
  ASSERT_EQ(out.references.size(), 1u);
  EXPECT_EQ(out.references[0].where, "X, command 2: Play Sound");
  EXPECT_EQ(in.Remaining(), 8u);  // nothing read past command 0

  // Move Event whose packed string claims more parameters than there are.
  Commands bad;
  bad.Add(kMoveEvent, 0, "", {0, 8, 0, 0, kMoveChangeGraphic, 50, 'a'});
  const std::string badBytes = bad.Finish();
  Cursor b(badBytes);
  Collected badOut;
  Guarded(badOut, "Map0001.lmu", [&] { ReadCommandList(b, "X", badOut); });
  ASSERT_EQ(badOut.problems.size(), 1u);
  EXPECT_EQ(badOut.problems[0].offset, 0u);
  EXPECT_TRUE(badOut.references.empty());
}

TEST(LcfReader, ProblemsAreCappedPerFileAndCheapToCountAcrossManyFiles) {
  Collected out;
  for (int i = 0; i < 30; ++i) out.AddProblem("Map0001.lmu", static_cast<std::size_t>(i), "bad");
  out.AddProblem("Map0002.lmu", 5, "bad");
  ASSERT_EQ(out.problems.size(), 22u);
  EXPECT_EQ(out.problems[20].message, "further problems not listed");
  EXPECT_EQ(out.problems[21].file, "Map0002.lmu");

  // A map tree may list a map file for every few of its bytes, each one
  // missing: counting must not go over all earlier problems each time (that
  // made this loop take minutes).
  for (int id = 3; id < 100003; ++id) {
    out.AddProblem(MapFileName(id), Problem::kNoOffset, "is in the map tree but not in the project");
  }
  EXPECT_EQ(out.problems.size(), 22u + 100000u);
}

TEST(LcfReader, JoinedReferenceListsKeepTheirOrderAndEveryIndexFindsItsReference) {
  // Runs of 3, 0, 1 and 4 references, as files of different sizes give.
  ReferenceList whole;
  TextStore places;
  std::vector<std::string> expected;
  int n = 0;
  for (int runSize : {3, 0, 1, 4}) {
    ReferenceList run;
    for (int k = 0; k < runSize; ++k, ++n) {
      const std::string name = std::to_string(n) + "s";
      run.push_back({Folder::kSound, name, places.Keep(std::to_string(n) + " at")});
      expected.push_back(name);
    }
    whole.Append(std::move(run));
    EXPECT_TRUE(run.empty());
  }
  // Added after a joined run: it goes on after it.
  whole.push_back({Folder::kMusic, "last", "end"});
  expected.push_back("last");
  ASSERT_EQ(whole.size(), expected.size());

  std::vector<std::string> walked;
  for (const Reference& r : whole) walked.push_back(r.name);
  EXPECT_EQ(walked, expected);
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(whole[i].name, expected[i]) << i;
    // Walking on from any index reaches the rest, run boundaries included.
    std::size_t seen = 0;
    for (auto it = whole.At(i); it != whole.end(); ++it) ++seen;
    EXPECT_EQ(seen, expected.size() - i) << i;
  }
  EXPECT_TRUE(whole.At(expected.size()) == whole.end());
  whole[2].where = "changed";
  EXPECT_EQ(std::as_const(whole)[2].where, "changed");

  ReferenceList none;
  EXPECT_TRUE(none.empty());
  EXPECT_TRUE(none.begin() == none.end());
  none.Append(ReferenceList());
  EXPECT_TRUE(none.begin() == none.end());
}

TEST(LcfReader, KeptTextsStayAsTheyWereThroughNewBlocksLongTextsAndAdoption) {
  TextStore store, other;
  std::vector<std::pair<std::string_view, std::string>> kept;
  // Enough to fill several blocks, with texts longer than a block between.
  for (int i = 0; i < 20000; ++i) {
    std::string text = std::to_string(i) + ", a place of some length";
    if (i % 5000 == 7) text.assign(100000, static_cast<char>('a' + i % 26));
    if (i % 3 == 0) text.clear();
    TextStore& into = i % 2 == 0 ? store : other;
    kept.emplace_back(into.Keep(text), text);
  }
  store.Adopt(std::move(other));
  // The adopting store goes on keeping after what it took over.
  for (int i = 0; i < 3000; ++i) {
    const std::string text = "after " + std::to_string(i);
    kept.emplace_back(store.Keep(text), text);
  }
  TextStore none;
  none.Adopt(std::move(store));
  const std::string last = "into one that had nothing";
  kept.emplace_back(none.Keep(last), last);
  for (const auto& [view, text] : kept) ASSERT_EQ(view, text);
}

TEST(LcfReader, PrintableAsciiIsToldOfEveryByteWhereverItFalls) {
  for (std::size_t length = 0; length <= 20; ++length) {
    const std::string plain(length, 'a');
    EXPECT_TRUE(PrintableAscii(plain)) << length;
    for (std::size_t at = 0; at < length; ++at) {
      for (unsigned char b : {0x00, 0x1F, 0x20, 0x7E, 0x7F, 0x80, 0xA0, 0xFF}) {
        std::string text = plain;
        text[at] = static_cast<char>(b);
        EXPECT_EQ(PrintableAscii(text), b >= 0x20 && b <= 0x7E) << length << " " << at << " " << int{b};
      }
    }
  }
  Collected out;
  out.Add(Folder::kSound, "a", "plain place");
  out.Add(Folder::kSound, "b", "caf\xE9");
  EXPECT_TRUE(out.references[0].plainWhere);
  EXPECT_FALSE(out.references[1].plainWhere);
}

}  // namespace
}  // namespace quillfen::lcf
