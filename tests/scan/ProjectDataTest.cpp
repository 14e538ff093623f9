#include "ProjectData.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <mutex>
#include <random>
#include <thread>

#include "MemoryFileSystem.h"

namespace quillfen {
namespace {

using testing::MemoryFileSystem;

constexpr int kMaps = 300;

std::string Message(const std::string& text) {
  return std::string("\xCE\x7E") + '\0' + static_cast<char>(text.size()) + text + '\0';
}

// A project whose files end and start inside words, some with message
// records, some empty; returns each file's bytes after cutting, in the
// order the build reads them.
std::vector<std::string> MakeProject(MemoryFileSystem& fs) {
  std::mt19937 random(7);
  auto text = [&](std::size_t size) {
    std::string s;
    for (std::size_t i = 0; i < size; ++i) s += "ab- _x\x01Z9"[random() % 9];
    return s;
  };
  fs.MakeDir("C:\\Tool");
  std::vector<std::string> cut;
  auto put = [&](const std::string& name, std::string data) {
    fs.Put("C:\\Game\\" + name, data);
    StripMarkers(data);
    cut.push_back(data);
  };
  put("RPG_RT.ldb", "LcfDataBase" + text(3000));
  put("RPG_RT.lmt", "LcfMapTree");
  for (int i = 0; i < kMaps; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "Map%04d.lmu", i + 1);
    std::string data = i % 7 == 3 ? std::string() : text(random() % 5000);
    if (i % 5 == 1) data += "!" + Message(text(40)) + text(20);
    put(name, data);
  }
  return cut;
}

// Either thread may write a file and pass it on; the scratch file and what
// the receiver gets must not show which.
TEST(BuildProjectData, BothHandsWriteEachFileToItsPlaceAndPassItOnOnce) {
  MemoryFileSystem fs;
  const std::vector<std::string> cut = MakeProject(fs);
  std::mutex mutex;
  std::vector<std::string> received(cut.size());
  std::vector<int> times(cut.size(), 0);
  std::size_t lastPiece[2] = {0, 0};
  std::size_t next = 0;
  bool orderKept = true;
  int byHand[2] = {0, 0};
  BuildOptions options{"C:\\Tool\\", nullptr,
                       [&](int hand, std::size_t piece, const CleanedFile& file) {
                         // A slow helper makes the build take files itself.
                         if (hand == kHelperHand) std::this_thread::sleep_for(std::chrono::microseconds(200));
                         std::lock_guard<std::mutex> lock(mutex);
                         if (byHand[hand]++ > 0 && piece <= lastPiece[hand]) orderKept = false;
                         if (piece != next++) orderKept = false;
                         lastPiece[hand] = piece;
                         ++times.at(piece);
                         for (std::string_view span : file.spans) received[piece].append(span);
                       },
                       false};
  ProjectDataBuffer data;
  BuildProjectData(fs, "C:\\Game\\", options, data);

  std::string joined;
  for (const std::string& part : cut) joined += part;
  EXPECT_EQ(fs.LoadFile("C:\\Tool\\~prtmp.buf"), joined);
  EXPECT_EQ(data.Size(), joined.size());
  EXPECT_EQ(received, cut);
  EXPECT_EQ(times, std::vector<int>(cut.size(), 1));
  EXPECT_TRUE(orderKept);  // one after another, in order
  EXPECT_GT(byHand[kHelperHand], 0);
  EXPECT_GT(byHand[kBuildHand], 0);
}

// Whichever thread meets the failure, the build raises it, and leaves no
// part of the scratch file.
TEST(BuildProjectData, AFailedWriteOrReceiverFailsTheBuildAndRemovesTheScratchFile) {
  for (int failAt : {0, 3, 150, kMaps + 1}) {
    SCOPED_TRACE(failAt);
    MemoryFileSystem fs;
    MakeProject(fs);
    fs.Put("C:\\Tool\\~prtmp.buf", "earlier scan");
    fs.failWriteAt = failAt;
    BuildOptions options{"C:\\Tool\\", nullptr, [](int, std::size_t, const CleanedFile&) {}, false};
    ProjectDataBuffer data;
    EXPECT_THROW(BuildProjectData(fs, "C:\\Game\\", options, data), FileError);
    EXPECT_FALSE(fs.FileExists("C:\\Tool\\~prtmp.buf"));
    EXPECT_FALSE(fs.FileExists("C:\\Tool\\~temp.buf"));
  }

  MemoryFileSystem fs;
  MakeProject(fs);
  BuildOptions options{"C:\\Tool\\", nullptr,
                       [](int, std::size_t piece, const CleanedFile&) {
                         if (piece == 100) throw std::runtime_error("out of memory");
                       },
                       false};
  ProjectDataBuffer data;
  EXPECT_THROW(BuildProjectData(fs, "C:\\Game\\", options, data), std::runtime_error);
  EXPECT_FALSE(fs.FileExists("C:\\Tool\\~prtmp.buf"));
}

// Takes the pieces the build passes on, checking that they come in order,
// and starts over when the build does.
struct PieceLog {
  std::mutex mutex;
  std::string joined;
  std::size_t next = 0;
  bool inOrder = true;
  int restarts = 0;
  int byHand[2] = {0, 0};

  BuildOptions Options(std::size_t chunk) {
    BuildOptions options{"C:\\Tool\\", nullptr,
                         [this](int hand, std::size_t piece, const CleanedFile& file) {
                           if (hand == kHelperHand && piece % 3 == 0) {
                             std::this_thread::sleep_for(std::chrono::microseconds(50));
                           }
                           std::lock_guard<std::mutex> lock(mutex);
                           if (piece != next++) inOrder = false;
                           ++byHand[hand];
                           for (std::string_view span : file.spans) joined.append(span);
                         },
                         false, [this] {
                           std::lock_guard<std::mutex> lock(mutex);
                           joined.clear();
                           next = 0;
                           ++restarts;
                         }};
    options.chunkBytes = chunk;
    return options;
  }
};

// Read in chunks of any size, the files give the same scratch file, and the
// pieces, passed on in order by both hands, join into it.
TEST(BuildProjectData, ChunksOfAnySizeGiveTheSameScratchFileAndPieces) {
  for (std::size_t chunk : {1, 2, 7, 100, 4096, 0}) {
    SCOPED_TRACE(chunk);
    MemoryFileSystem fs;
    std::string joined;
    for (const std::string& part : MakeProject(fs)) joined += part;
    PieceLog log;
    ProjectDataBuffer data;
    BuildProjectData(fs, "C:\\Game\\", log.Options(chunk), data);
    EXPECT_EQ(fs.LoadFile("C:\\Tool\\~prtmp.buf"), joined);
    EXPECT_EQ(data.Size(), joined.size());
    EXPECT_EQ(log.joined, joined);
    EXPECT_TRUE(log.inOrder);
    EXPECT_EQ(log.restarts, 0);
    if (chunk == 1) {
      EXPECT_GT(log.byHand[kHelperHand], 0);
      EXPECT_GT(log.byHand[kBuildHand], 0);
    }
  }
}

// Runs right after a chunk's end that take back more than the chunk held
// make the build start over with whole files, showing each status once.
TEST(BuildProjectData, RunsTakingBackMoreThanWasHeldRestartTheBuildWithWholeFiles) {
  MemoryFileSystem fs;
  fs.MakeDir("C:\\Tool");
  std::string chain = "abcdefgh";
  for (int i = 0; i < 6; ++i) chain += Message("m");
  chain += "tail";
  const std::vector<std::pair<std::string, std::string>> files = {
      {"RPG_RT.ldb", "LcfDataBase"}, {"RPG_RT.lmt", "LcfMapTree"}, {"Map0001.lmu", "first"},
      {"Map0002.lmu", chain}, {"Map0003.lmu", "last"}};
  std::string joined;
  for (const auto& [name, bytes] : files) {
    fs.Put("C:\\Game\\" + name, bytes);
    std::string cut = bytes;
    StripMarkers(cut);
    joined += cut;
  }
  EXPECT_EQ(joined.find("abcdefgh"), std::string::npos);
  PieceLog log;
  std::vector<std::string> statuses;
  BuildOptions options = log.Options(8);
  options.status = [&](std::string_view text) { statuses.emplace_back(text); };
  ProjectDataBuffer data;
  BuildProjectData(fs, "C:\\Game\\", options, data);
  EXPECT_EQ(log.restarts, 1);
  EXPECT_EQ(log.joined, joined);
  EXPECT_TRUE(log.inOrder);
  EXPECT_EQ(log.next, files.size());  // whole files after the restart
  EXPECT_EQ(fs.LoadFile("C:\\Tool\\~prtmp.buf"), joined);
  EXPECT_EQ(statuses, (std::vector<std::string>{"Building RPG_RT.ldb...", "Building RPG_RT.lmt...",
                                                "Building Map0001.lmu...", "Building Map0002.lmu...",
                                                "Building Map0003.lmu..."}));
}

// The first input is read whole before the scratch file is written: when
// it fails in a later chunk, the scratch file of an earlier scan stays;
// when a later input fails, the scratch file goes.
TEST(BuildProjectData, AFirstInputFailingInALaterChunkLeavesTheEarlierScratchFile) {
  std::string cutShort = "LcfDataBase, long enough for several chunks " + Message("end");
  cutShort.pop_back();
  for (const bool first : {true, false}) {
    SCOPED_TRACE(first);
    MemoryFileSystem fs;
    MakeProject(fs);
    fs.Put(first ? "C:\\Game\\RPG_RT.ldb" : "C:\\Game\\Map0005.lmu", cutShort);
    fs.Put("C:\\Tool\\~prtmp.buf", "earlier scan");
    PieceLog log;
    ProjectDataBuffer data;
    EXPECT_THROW(BuildProjectData(fs, "C:\\Game\\", log.Options(16), data), ReadError);
    if (first) {
      EXPECT_EQ(fs.LoadFile("C:\\Tool\\~prtmp.buf"), "earlier scan");
      EXPECT_EQ(log.next, 0u);
    } else {
      EXPECT_FALSE(fs.FileExists("C:\\Tool\\~prtmp.buf"));
    }
  }
}

}  // namespace
}  // namespace quillfen
