// Times the exact reference report: on the real test game, and on a
// generated project of 1,000 maps (written once under DIR).
//
//   quillfen-report-bench [--dir DIR] [--maps N] [--runs N]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "GameWriter.h"
#include "Platform.h"
#include "Report.h"
#include "TextDecode.h"

namespace {

namespace stdfs = std::filesystem;
using namespace quillfen;
using Clock = std::chrono::steady_clock;

// Each map: 25 events of 2 pages; each page a charset, a custom route with
// a graphic and a sound, and 40 commands of which 10 name files.
stdfs::path Generate(const stdfs::path& dir, int maps) {
  const stdfs::path project = dir / ("maps-" + std::to_string(maps));
  if (stdfs::exists(project / "ready")) return project;
  stdfs::remove_all(project);
  std::vector<testing::TreeMap> tree;
  for (int m = 1; m <= maps; ++m) {
    tree.push_back({m, "Map " + std::to_string(m), 1, 2, "Theme" + std::to_string(m % 30), 0, ""});
    const std::string route = testing::MoveRoute(
        testing::Moves().Plain(lcf::kMoveRight).Graphic("Walker" + std::to_string(m % 50), 0).Sound("Step"));
    std::vector<std::string> events;
    for (int e = 1; e <= 25; ++e) {
      std::vector<std::string> pages;
      for (int p = 0; p < 2; ++p) {
        lcf::Commands c;
        for (int i = 0; i < 10; ++i) {
          c.Message(0, {"Hello there, traveller.", "The inn is to the north."});
          c.Add(lcf::kPlaySound, 0, "Sound" + std::to_string((m + e + i) % 200), {100, 100, 50});
          c.Add(lcf::kControlVariables, 0, "", {0, 1, 1, 0, 0, 5});
        }
        c.Add(lcf::kEnd, 0, "", {});
        pages.push_back(
            testing::Page("People" + std::to_string(e % 40), lcf::value::EventPage::kMoveCustom, &route, c));
      }
      events.push_back(testing::Event("EV" + std::to_string(e), pages));
    }
    testing::WriteFile(project / lcf::MapFileName(m), testing::MapUnit(true, "Sky", events));
  }
  testing::WriteFile(project / "RPG_RT.lmt", testing::MapTree(tree));
  testing::WriteFile(project / "RPG_RT.ldb", lcf::Header(lcf::kDatabaseSignature) + lcf::Chunks().Finish());
  for (int i = 0; i < 200; i += 2) testing::WriteFile(project / "Sound" / ("Sound" + std::to_string(i) + ".wav"), "x");
  testing::WriteFile(project / "ready", "");
  return project;
}

void Time(const char* label, const stdfs::path& project, const stdfs::path& rtp, int runs) {
  auto files = MakeFileSystem();
  report::Options o;
  o.projectFolder = project.string() + "/";
  o.rtpFolder = rtp.empty() ? std::string() : rtp.string() + "/";
  o.decode = [](std::string_view bytes, report::Encoding e) {
    return DecodeToUtf8(bytes, static_cast<CodePage>(e));
  };
  o.fold = FoldFileName;
  double best = 1e9;
  report::Report r;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    r = report::BuildReport(*files, o);
    best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
  }
  std::uintmax_t bytes = 0;
  for (const auto& entry : stdfs::directory_iterator(project)) {
    if (entry.is_regular_file()) bytes += entry.file_size();
  }
  std::printf("%s: %zu references, %zu problems, %.1f MB of database files: best of %d %.3f s\n",
              label, r.references.size(), r.problems.size(), static_cast<double>(bytes) / 1e6, runs, best);
}

}  // namespace

int main(int argc, char** argv) {
  stdfs::path dir = QF_BENCH_DEFAULT_DIR;
  int maps = 1000, runs = 3;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string arg = argv[i];
    if (arg == "--dir") dir = argv[i + 1];
    else if (arg == "--maps") maps = std::atoi(argv[i + 1]);
    else if (arg == "--runs") runs = std::atoi(argv[i + 1]);
  }
  const stdfs::path fixtures = QF_BENCH_FIXTURES_DIR;
  if (stdfs::exists(fixtures / "testgame-2000" / "RPG_RT.ldb")) {
    Time("test game", fixtures / "testgame-2000", fixtures / "easyrpg-rtp", runs);
  }
  Time((std::to_string(maps) + " generated maps").c_str(), Generate(dir, maps), {}, runs);
  return 0;
}
