// Reports of games too big to keep in memory: their references go to a
// temporary file as they are read and come back from it slice by slice.
// Nothing the report shows may differ from a report kept in memory.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <limits>

#include "GameWriter.h"
#include "MemoryFileSystem.h"
#include "Platform.h"
#include "Report.h"
#include "SampleGame.h"
#include "Spill.h"
#include "Summary.h"
#include "../platform/TempFolder.h"
#include "TextDecode.h"

namespace quillfen {
namespace {

namespace fs = std::filesystem;
using report::Encoding;
using testing::TempFolder;

constexpr std::uint64_t kNever = std::numeric_limits<std::uint64_t>::max();

report::Options OptionsFor(const std::string& project, const std::string& rtp, Encoding encoding = Encoding::kAuto) {
  report::Options o;
  o.projectFolder = project;
  o.rtpFolder = rtp;
  o.encoding = encoding;
  o.decode = [](std::string_view bytes, Encoding e) { return DecodeToUtf8(bytes, static_cast<CodePage>(e)); };
  o.fold = FoldFileName;
  return o;
}

// Everything the report shows, as one text.
std::string Shown(const report::Report& r) {
  std::string all = report::FormatText(r, "P", "R") + report::FormatHtml(r, "P", "R") +
                    report::CountsLine(report::CountOf(r)) + "\n";
  for (const report::MissingPlace& place : report::MissingPlaces(r)) all += report::MissingLine(place) + "\n";
  return all;
}

void ExpectSameEntry(const report::Entry& kept, const report::Entry& back, std::size_t index) {
  ASSERT_EQ(kept.where, back.where) << index;
  ASSERT_EQ(kept.folder, back.folder) << index;
  ASSERT_EQ(kept.status, back.status) << index;
  ASSERT_EQ(kept.Name(), back.Name()) << index;
  ASSERT_EQ(kept.NameBytes(), back.NameBytes()) << index;
  ASSERT_EQ(kept.Files(), back.Files()) << index;
}

// The game read once kept in memory and once through the temporary file.
void ExpectTheSameReport(const FileSystem& files, const report::Options& o, const std::string& label) {
  SCOPED_TRACE(label);
  const lcf::Collected kept = report::CollectProject(files, o.projectFolder, {}, kNever);
  const lcf::Collected spilled = report::CollectProject(files, o.projectFolder, {}, 0);
  ASSERT_FALSE(kept.spill);
  ASSERT_TRUE(spilled.spill);
  EXPECT_TRUE(spilled.references.empty());
  ASSERT_EQ(spilled.ReferenceCount(), kept.references.size());
  const report::Report a = report::Resolve(files, o, kept), b = report::Resolve(files, o, spilled);
  ASSERT_TRUE(b.spilled);
  EXPECT_TRUE(b.references.empty());
  EXPECT_EQ(a.encoding, b.encoding);
  EXPECT_EQ(Shown(a), Shown(b));

  // Slices that begin and end anywhere, inside the file's marks or not.
  const std::size_t n = a.references.size();
  for (std::size_t begin : {std::size_t{0}, std::size_t{1}, std::size_t{255}, std::size_t{256}, std::size_t{257}, n / 2}) {
    for (std::size_t length : {1, 255, 256, 300, 2049}) {
      if (begin >= n) continue;
      const std::size_t end = std::min(n, begin + length);
      const report::EntrySlice slice = report::EntriesOf(b, begin, end);
      ASSERT_EQ(slice.size(), end - begin);
      for (std::size_t i = 0; i < slice.size(); ++i) ExpectSameEntry(a.references[begin + i], slice[i], begin + i);
    }
  }
  std::size_t index = 0;
  report::ForEachEntry(b, [&](const report::Entry& e) {
    if (index < n) ExpectSameEntry(a.references[index], e, index);
    ++index;
  });
  EXPECT_EQ(index, n);

  // What is left without the RTP, as the window asks before marking the game.
  const report::Remaining left = report::RemainingWithoutRtp(files, o, kept);
  const report::Remaining leftToo = report::RemainingWithoutRtp(files, o, spilled);
  EXPECT_EQ(left.references, leftToo.references);
  EXPECT_EQ(left.dynamic, leftToo.dynamic);
}

// Actors with Shift-JIS names, a few hundred of them: their places are
// no plain ASCII, and the references cross many of the file's marks.
void WriteShiftJisGame(const fs::path& project, int maps = 0) {
  namespace database = lcf::chunk::Database;
  namespace actor = lcf::chunk::Actor;
  const std::string hero = "\x97\x45\x8E\xD2", sword = "\x83\x5C\x81\x5B\x83\x68";
  std::vector<std::string> actors;
  for (int i = 0; i < 300; ++i) {
    actors.push_back(lcf::Chunks()
                         .Str(actor::kName, i % 2 ? hero : sword + std::to_string(i))
                         .Str(actor::kCharacterName, i % 3 ? hero : "Lost " + std::to_string(i % 10))
                         .Str(actor::kFaceName, i % 5 ? sword : "\x81\x1B\x07")  // does not decode
                         .Finish());
  }
  // The battle commands make it a 2003 database.
  testing::WriteFile(project / "RPG_RT.ldb",
                     lcf::Header(lcf::kDatabaseSignature) + lcf::Chunks()
                                                                .Raw(database::kActors, lcf::Array(actors))
                                                                .Raw(database::kBattleCommands, lcf::Chunks().Finish())
                                                                .Finish());
  // Maps enough to be read on two threads, each naming a backdrop and a
  // parallax, some also named by the others.
  std::vector<testing::TreeMap> tree;
  for (int id = 1; id <= maps; ++id) {
    tree.push_back({id, "Map " + std::to_string(id), 1, 2, "Theme " + std::to_string(id % 3), 2,
                    id % 2 ? hero : "Field " + std::to_string(id)});
    testing::WriteFile(project / lcf::MapFileName(id),
                       testing::MapUnit(true, id % 4 ? "Sky" : sword + std::to_string(id), {}));
  }
  testing::WriteFile(project / "RPG_RT.lmt", testing::MapTree(tree));
  testing::WriteFile(project / "CharSet/\xE5\x8B\x87\xE8\x80\x85.png", "x");
  testing::WriteFile(project / "FaceSet/\xE3\x82\xBD\xE3\x83\xBC\xE3\x83\x89.png", "x");
}

TEST(SpilledReport, GamesReadThroughATemporaryFileReportWhatGamesKeptInMemoryDo) {
  TempFolder root;
  auto files = MakeFileSystem();
  const testing::SampleGame g = testing::WriteSampleGame(root.Path());
  ExpectTheSameReport(*files, OptionsFor(g.project.string() + "/", g.rtp.string() + "/"), "sample game");
  ExpectTheSameReport(*files, OptionsFor(g.project.string() + "/", ""), "sample game without its RTP");

  const fs::path japanese = root.Path() / "Japanese";
  WriteShiftJisGame(japanese);
  ExpectTheSameReport(*files, OptionsFor(japanese.string() + "/", ""), "Shift-JIS game");
  ExpectTheSameReport(*files, OptionsFor(japanese.string() + "/", "", Encoding::kCp1252), "Shift-JIS game as cp1252");
  const fs::path maps = root.Path() / "Maps";
  WriteShiftJisGame(maps, 40);
  testing::WriteFile(maps / "Panorama/Sky.png", "x");
  ExpectTheSameReport(*files, OptionsFor(maps.string() + "/", ""), "Shift-JIS game of 40 maps");

  const fs::path fixtures = QF_FIXTURES_DIR;
  if (fs::exists(fixtures / "testgame-2003" / "RPG_RT.ldb")) {
    const std::string rtp = (fixtures / "easyrpg-rtp").string() + "/";
    ExpectTheSameReport(*files, OptionsFor((fixtures / "testgame-2003").string() + "/", rtp, Encoding::kShiftJis),
                        "test game 2003");
    ExpectTheSameReport(*files, OptionsFor((fixtures / "testgame-2000").string() + "/", rtp), "test game 2000");
  }
}

// The window reads file by file and tells of each; a game too big to keep
// goes to the temporary file there too, its first files included.
TEST(SpilledReport, ReadingWithProgressSpillsAndAFileSystemWithoutTemporaryFilesKeepsAll) {
  TempFolder root;
  const testing::SampleGame g = testing::WriteSampleGame(root.Path());
  auto files = MakeFileSystem();
  const report::Options o = OptionsFor(g.project.string() + "/", g.rtp.string() + "/");
  const std::string expected = Shown(report::BuildReport(*files, o, kNever));
  std::vector<std::string> told;
  const lcf::Collected read = report::CollectProject(
      *files, o.projectFolder, [&](const std::string& file, std::size_t, std::size_t) { told.push_back(file); }, 0);
  ASSERT_TRUE(read.spill);
  EXPECT_EQ(told.front(), "RPG_RT.ldb");
  EXPECT_EQ(read.ReferenceCount(), g.references.size());
  EXPECT_EQ(Shown(report::Resolve(*files, o, read)), expected);

  // The same game where no temporary file can be made: kept in memory,
  // reported all the same.
  testing::MemoryFileSystem memory;
  for (const auto& entry : fs::recursive_directory_iterator(root.Path())) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    memory.Put(fs::relative(entry.path(), root.Path()).string(), std::string(std::istreambuf_iterator<char>(in), {}));
  }
  report::Options inMemory = o;
  inMemory.projectFolder = fs::relative(g.project, root.Path()).string() + "\\";
  inMemory.rtpFolder = fs::relative(g.rtp, root.Path()).string() + "\\";
  const std::string expectedInMemory = Shown(report::BuildReport(memory, inMemory, kNever));
  memory.noTemporary = true;
  const lcf::Collected kept = report::CollectProject(memory, inMemory.projectFolder, {}, 0);
  EXPECT_FALSE(kept.spill);
  EXPECT_EQ(kept.references.size(), g.references.size());
  EXPECT_EQ(Shown(report::Resolve(memory, inMemory, kept)), expectedInMemory);
  memory.noTemporary = false;
  EXPECT_EQ(Shown(report::BuildReport(memory, inMemory, 0)), expectedInMemory);
}

// A temporary folder that fills up while the references are written: what
// the file took comes back into memory, the rest stays there, and every
// reference reads back as it was added.
TEST(SpilledReport, AFullTemporaryFolderKeepsTheReferencesInMemory) {
  class FillsUp final : public TemporaryFile {
   public:
    void Append(std::string_view bytes) override {
      // Part of what does not fit is written before the disk says so.
      const std::size_t fits = std::min(bytes.size(), kRoom - data_.size());
      data_.append(bytes.substr(0, fits));
      if (fits < bytes.size()) throw FileError("Cannot write 'temporary file': No space left on device");
    }
    void ReadAt(std::uint64_t offset, char* into, std::size_t count) const override {
      if (offset + count > data_.size()) throw FileError("Read past the end of a temporary file");
      data_.copy(into, count, static_cast<std::size_t>(offset));
    }

   private:
    const std::size_t kRoom = 100000;
    std::string data_;
  };
  report::SpilledReferences spill(std::make_unique<FillsUp>());
  std::vector<std::pair<std::string, std::string>> added;
  for (int i = 0; i < 5000; ++i) {
    added.emplace_back("Sound " + std::to_string(i % 37), "Map" + std::to_string(i) + ".lmu, event 1, page 1: a place");
    spill.Add(lcf::Folder::kSound, added.back().first, added.back().second);
  }
  spill.Finish();
  ASSERT_EQ(spill.Count(), added.size());
  ASSERT_EQ(spill.Names().size(), 37u);
  std::vector<char> bytes;
  std::size_t at = 0;
  spill.Read(0, added.size(), bytes, [&](std::uint32_t name, std::string_view where, bool plain) {
    ASSERT_EQ(spill.Names()[name].name, added[at].first) << at;
    ASSERT_EQ(where, added[at].second) << at;
    ASSERT_TRUE(plain);
    ++at;
  });
  EXPECT_EQ(at, added.size());
}

}  // namespace
}  // namespace quillfen
