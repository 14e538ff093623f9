// Times a scan of a large generated project against merely reading its
// files, and the one-pass marker removal against the literal restart one.
//
//   quillfen-bench [--dir DIR] [--size MB] [--runs N] [--scan-only]
//
// --scan-only times the full scan and nothing else, for profiling it.
// Both print the first scan's peak memory against its bound (1.2 times the
// largest input file plus the word list), and then the peak of the exact
// report on the same project against the same bound; --size 2000 makes the
// 2 GB case.
//
// The project is generated once under DIR and reused while its marker file
// says it was made with the same options and generator version (raise
// that number whenever the generator's output changes).
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <ostream>
#include <sstream>
#include <optional>
#include <string>
#include <vector>

#include "Demo.h"
#include "Inventory.h"
#include "Pipeline.h"
#include "Platform.h"
#include "ProjectData.h"
#include "Report.h"
#include "RestartStripMarkers.h"
#include "ScanLib.h"
#include "TextDecode.h"

namespace {

namespace stdfs = std::filesystem;
using namespace quillfen;
using Clock = std::chrono::steady_clock;

constexpr char kMarkerFile[] = "bench-ready.txt";
constexpr std::size_t kMarkerHeavyBytes = 5'000'000;
constexpr int kMarkerHeavyRuns = 5000;
constexpr double kRatioTarget = 2.0;
constexpr double kSpeedUpTarget = 100.0;

struct Options {
  stdfs::path dir = QF_BENCH_DEFAULT_DIR;
  std::uint64_t megabytes = 200;
  int runs = 3;
  bool scanOnly = false;
  bool reportOnly = false;  // the report's own process: see MeasureReport
};

std::optional<Options> ParseOptions(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--dir" && hasValue) {
      o.dir = argv[++i];
    } else if (arg == "--size" && hasValue) {
      o.megabytes = std::strtoull(argv[++i], nullptr, 10);
    } else if (arg == "--scan-only") {
      o.scanOnly = true;
    } else if (arg == "--report-only") {
      o.reportOnly = true;
    } else if (arg == "--runs" && hasValue) {
      o.runs = std::atoi(argv[++i]);
    } else {
      return std::nullopt;
    }
  }
  if (o.megabytes == 0 || o.runs < 1) return std::nullopt;
  return o;
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// The shortest of `runs` timings of work, each after an untimed setup; the
// files are warm in the page cache after the first.
double Best(int runs, const std::function<void()>& work, const std::function<void()>& setup = {}) {
  double best = 1e300;
  for (int i = 0; i < runs; ++i) {
    if (setup) setup();
    const auto start = Clock::now();
    work();
    best = std::min(best, Seconds(Clock::now() - start));
  }
  return best;
}

class SilentHost : public ScanHost {
 public:
  explicit SilentHost(std::string project) : project_(std::move(project)) {}
  void ReportStop(std::string_view title, std::string_view message) override {
    stops.push_back(std::string(title) + ": " + std::string(message));
  }
  void ReportInfo(std::string_view, std::string_view) override {}
  void SetStatus(std::string_view) override {}
  void SetProgress(int) override {}
  void SetLocked(bool) override {}
  std::string ProjectFolder() override { return project_; }
  void ProjectChosen(const std::string&) override {}
  void Import(const StringList& found, const std::string&, const std::string&) override {
    foundCount = found.Count();
  }

  std::vector<std::string> stops;
  int foundCount = -1;

 private:
  std::string project_;
};

std::string ReadText(const stdfs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Generates the project and RTP unless the marker file says they are there.
void PrepareData(const Options& o, const SyntheticOptions& synthetic) {
  const std::string stamp = "targetBytes=" + std::to_string(synthetic.targetBytes) +
                            " maps=" + std::to_string(synthetic.maps) +
                            " messages=" + std::to_string(synthetic.messageRecords) +
                            " seed=" + std::to_string(synthetic.seed) + " generator=3\n";
  const stdfs::path marker = o.dir / kMarkerFile;
  if (stdfs::exists(marker) && ReadText(marker) == stamp) {
    std::printf("Reusing the project in %s\n", o.dir.string().c_str());
    return;
  }
  std::printf("Generating a %.0f MB project in %s ...\n", synthetic.targetBytes / 1e6, o.dir.string().c_str());
  std::fflush(stdout);
  stdfs::remove(marker);
  stdfs::remove_all(o.dir / "Project");
  stdfs::remove_all(o.dir / "RTP");
  const auto start = Clock::now();
  WriteSyntheticProject(o.dir / "Project", synthetic);
  WriteSyntheticRtp(o.dir / "RTP");
  std::printf("  generated in %.2f s\n", Seconds(Clock::now() - start));
  std::ofstream(marker, std::ios::binary) << stamp;
}

struct ProjectFiles {
  std::vector<std::string> paths;  // in the build's order
  std::uint64_t bytes = 0;
  std::uint64_t largest = 0;
};

ProjectFiles ListProjectFiles(const FileSystem& fs, const std::string& project) {
  ProjectFiles files;
  for (const char* name : {"rpg_rt.ldb", "rpg_rt.lmt"}) {
    if (fs.FileExists(project + name)) files.paths.push_back(project + name);
  }
  for (const std::string& name : fs.FindFiles(project + "*.lmu")) files.paths.push_back(project + name);
  for (const std::string& path : files.paths) {
    const std::uint64_t size = fs.OpenRead(path)->Size();
    files.bytes += size;
    files.largest = std::max(files.largest, size);
  }
  return files;
}

const char* Verdict(bool met) { return met ? "met" : "MISSED"; }

// The most memory the process has held so far, in bytes.
std::uint64_t PeakMemory() {
  struct rusage usage;
  ::getrusage(RUSAGE_SELF, &usage);
  return static_cast<std::uint64_t>(usage.ru_maxrss) * 1024;
}

// The peak the first scan added to what the program held before it (the
// scan is the first thing that holds data) against 1.2 x the largest input +
// the word list (its texts and their strings). That is the scan as a
// process that runs one sees it. Later scans in the same process start from
// what the allocator kept of the earlier ones (glibc keeps freed blocks once
// a large one has been freed), so their peak is shown apart.
void PrintPeakMemory(std::uint64_t before, std::uint64_t firstPeak, std::uint64_t allPeak, int runs,
                     std::uint64_t largest, std::uint64_t wordBytes) {
  const double bound = 1.2 * static_cast<double>(largest) + static_cast<double>(wordBytes);
  const double added = static_cast<double>(firstPeak - std::min(firstPeak, before));
  std::printf("%-38s %10.1f MB  <= %.1f MB %s\n", "      peak memory the scan added", added / 1e6, bound / 1e6,
              Verdict(added <= bound));
  std::printf("      peak %.1f MB over %.1f MB before; largest input %.1f MB, word list %.1f MB\n", firstPeak / 1e6,
              before / 1e6, largest / 1e6, wordBytes / 1e6);
  if (runs > 1) {
    std::printf("      over all %d scans in this process: %.1f MB added\n", runs,
                static_cast<double>(allPeak - std::min(allPeak, before)) / 1e6);
  }
}

// What the process holds now, in bytes; 0 where the system does not say.
std::uint64_t CurrentMemory() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::strtoull(line.c_str() + 6, nullptr, 10) * 1024;
  }
  return 0;
}

// Starts the peak anew from what the process holds now (Linux: writing 5 to
// clear_refs), so that a later stage's peak is its own; false where it cannot.
bool RestartPeakMemory() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
  clear.flush();
  return static_cast<bool>(clear);
}

// A stream that drops what it is given, as a report written to a file costs
// no memory of its own.
class Discard : public std::streambuf {
 protected:
  std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
  int_type overflow(int_type c) override { return traits_type::not_eof(c); }
};

// The exact report on the project, read, resolved and written out as
// `quillfen report` makes it (names decoded and folded as on this
// platform), in a process that has held nothing else: memory that an
// earlier stage freed would hide the report's own. Prints its time, the
// peak it added to what the process held before it, and its counts.
int ReportAlone(const std::string& project, const std::string& rtp) {
  auto fs = MakeFileSystem();
  const std::uint64_t before = CurrentMemory();
  if (before == 0 || !RestartPeakMemory()) return 1;
  const auto start = Clock::now();
  std::size_t references = 0, problems = 0;
  {
    report::Options options;
    options.projectFolder = project;
    options.rtpFolder = rtp;
    UsePlatformNames(options);
    const report::Report r = report::Resolve(*fs, options, report::CollectProject(*fs, project));
    Discard discard;
    std::ostream out(&discard);
    report::WriteText(out, r, project, rtp);
    references = report::ReferenceCount(r);
    problems = r.problems.size();
  }
  const double seconds = Seconds(Clock::now() - start);
  const std::uint64_t peak = PeakMemory();
  std::printf("%.6f %llu %zu %zu\n", seconds, static_cast<unsigned long long>(peak - std::min(peak, before)),
              references, problems);
  return 0;
}

// Runs ReportAlone in a process of its own (this program again) and prints
// what it measured against the scan's bound.
void MeasureReport(const stdfs::path& dir, std::uint64_t largest, std::uint64_t wordBytes) {
  std::error_code error;
  const stdfs::path self = stdfs::read_symlink("/proc/self/exe", error);
  double seconds = 0;
  unsigned long long added = 0;
  std::size_t references = 0, problems = 0;
  bool measured = false;
  if (!error) {
    const std::string command = "'" + self.string() + "' --report-only --dir '" + dir.string() + "'";
    if (std::FILE* child = ::popen(command.c_str(), "r")) {
      measured = std::fscanf(child, "%lf %llu %zu %zu", &seconds, &added, &references, &problems) == 4;
      measured = ::pclose(child) == 0 && measured;
    }
  }
  if (!measured) {
    std::printf("      (the report's peak memory cannot be measured apart here)\n");
    return;
  }
  const double bound = 1.2 * static_cast<double>(largest) + static_cast<double>(wordBytes);
  std::printf("%-38s %10.3f s   (%zu references, %zu problems; a process of its own)\n", "exact report", seconds,
              references, problems);
  std::printf("%-38s %10.1f MB  <= %.1f MB %s\n", "      peak memory the report added", static_cast<double>(added) / 1e6,
              bound / 1e6, Verdict(static_cast<double>(added) <= bound));
}

}  // namespace

int main(int argc, char** argv) {
  const std::optional<Options> parsed = ParseOptions(argc, argv);
  if (!parsed) {
    std::fprintf(stderr, "usage: quillfen-bench [--dir DIR] [--size MB] [--runs N] [--scan-only]\n");
    return 2;
  }
  const Options& o = *parsed;
  if (o.reportOnly) return ReportAlone((o.dir / "Project").string() + "\\", (o.dir / "RTP").string() + "\\");
  SyntheticOptions synthetic;
  synthetic.targetBytes = o.megabytes * 1'000'000;
  // Maps and messages scale with the size; 200 MB gives the defaults. The
  // editor makes at most 9999 maps (map 10110's id would read as a marker).
  synthetic.maps = static_cast<int>(std::clamp<std::uint64_t>(o.megabytes * 10, 1, 9999));
  synthetic.messageRecords = static_cast<int>(o.megabytes * 300);

  try {
    stdfs::create_directories(o.dir);
    PrepareData(o, synthetic);
    const stdfs::path scratchDir = o.dir / "scratch";
    stdfs::create_directories(scratchDir);
    const std::string scratch = scratchDir.string() + "/";
    const std::string project = (o.dir / "Project").string() + "\\";
    const std::string rtp = (o.dir / "RTP").string() + "\\";

    std::unique_ptr<FileSystem> fs = MakeFileSystem();
    RegistryOptions registryOptions;
    registryOptions.rtpFolder = (o.dir / "RTP").string();
    registryOptions.editorFolder = (o.dir / "Editor").string();
    registryOptions.winePrefix = (o.dir / "no-wine-prefix").string();
    std::unique_ptr<Registry> registry = MakeRegistry(registryOptions);

    const ProjectFiles files = ListProjectFiles(*fs, project);
    int rtpFiles = 0;
    for (const auto& entry : stdfs::recursive_directory_iterator(o.dir / "RTP")) rtpFiles += entry.is_regular_file();
    std::printf("Project: %.1f MB in %zu database files; RTP: %d files; best of %d runs\n\n",
                files.bytes / 1e6, files.paths.size(), rtpFiles, o.runs);

    // (a) The whole scan, as "Begin Scan" runs it.
    SilentHost host(project);
    Scanner scanner(ScanEnvironment{*fs, *registry, scratch}, host);
    scanner.LoadToolLocations();
    const std::uint64_t beforeScan = PeakMemory();
    const std::clock_t cpuStart = std::clock();
    std::uint64_t firstScanPeak = 0;
    const double scan = Best(o.runs, [&] {
      scanner.StartScan();
      if (firstScanPeak == 0) firstScanPeak = PeakMemory();
    });
    const double scanCpu = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC / o.runs;
    const std::uint64_t scanPeak = PeakMemory();
    // The word list as the scan holds it, measured apart (the scan empties it).
    std::uint64_t wordBytes = 0;
    {
      StringList counted(true);
      ExtractWordsFromData(BuildProjectData(*fs, project, BuildOptions{scratch, nullptr, nullptr}).Joined(), counted,
                           [](int) {});
      for (const std::string& word : counted.Items()) wordBytes += sizeof(std::string) + word.capacity();
    }
    if (!host.stops.empty()) {
      std::fprintf(stderr, "the scan reported: %s\n", host.stops.front().c_str());
      return 1;
    }
    if (o.scanOnly) {
      std::printf("%-38s %10.3f s\n", "(a) full scan", scan);
      std::printf("%-38s %10.3f s\n", "      processor time of one scan", scanCpu);
      PrintPeakMemory(beforeScan, firstScanPeak, scanPeak, o.runs, files.largest, wordBytes);
      MeasureReport(o.dir, files.largest, wordBytes);
      return 0;
    }

    // The same stages one by one.
    ProjectDataBuffer data;
    StringList words(true);
    RtpFiles rtpList;
    StringList found(true);
    const double build = Best(o.runs, [&] { data = BuildProjectData(*fs, project, BuildOptions{scratch, nullptr, nullptr}); });
    const std::string joined = data.Joined();
    const double extract = Best(o.runs, [&] { ExtractWordsFromData(joined, words, [](int) {}); },
                                [&] { words.Clear(); });
    const double inventory = Best(o.runs, [&] { TakeInventory(*fs, project, rtp, rtpList); },
                                  [&] { rtpList = RtpFiles{}; });
    const double match = Best(o.runs, [&] { MatchWords(rtpList, words, found, [](int) {}); });

    // The least any build must add to reading: writing the data once.
    const double write = Best(o.runs, [&] { fs->SaveFileParts(scratch + "bench-write.buf", data.Parts()); });
    fs->DeleteFile(scratch + "bench-write.buf");
    const std::uint64_t dataBytes = data.Size();
    data.Release();

    // (b) Reading the same files and nothing else.
    std::uint64_t sink = 0;
    const double read = Best(o.runs, [&] {
      for (const std::string& path : files.paths) sink += fs->LoadFile(path).size();
    });
    if (sink != files.bytes * static_cast<std::uint64_t>(o.runs)) {
      std::fprintf(stderr, "the project files changed while they were timed\n");
      return 1;
    }

    // (d) Marker removal on one marker-heavy map.
    const std::string heavy = MakeMarkerHeavyData(kMarkerHeavyBytes, kMarkerHeavyRuns, 1);
    std::string fastOut, slowOut;
    const double fast = Best(o.runs, [&] { StripMarkers(fastOut); }, [&] { fastOut = heavy; });
    const double slow = Best(o.runs, [&] { oracle::RestartStripMarkers(slowOut); }, [&] { slowOut = heavy; });
    if (fastOut != slowOut) {
      std::fprintf(stderr, "StripMarkers and the restart removal give different bytes\n");
      return 1;
    }

    const double ratio = scan / read;
    const double speedUp = slow / fast;
    std::printf("%-38s %12s   %s\n", "", "time", "target");
    std::printf("%-38s %10.3f s\n", "(a) full scan", scan);
    std::printf("%-38s %10.3f s   (all threads, mean)\n", "      processor time of one scan", scanCpu);
    PrintPeakMemory(beforeScan, firstScanPeak, scanPeak, o.runs, files.largest, wordBytes);
    MeasureReport(o.dir, files.largest, wordBytes);
    std::printf("%-38s %10.3f s\n", "      build project data", build);
    std::printf("%-38s %10.3f s   (for comparison)\n", "        writing the same bytes once", write);
    std::printf("%-38s %10.3f s   (%zu words)\n", "      extract words", extract, static_cast<std::size_t>(words.Count()));
    std::printf("%-38s %10.3f s   (%d RTP-only files)\n", "      RTP inventory", inventory, rtpList.baseNames.Count());
    std::printf("%-38s %10.3f s   (%d found)\n", "      match", match, found.Count());
    std::printf("%-38s %10.3f s\n", "(b) read the project files", read);
    std::printf("%-38s %10.2f     <= %.0f   %s\n", "(c) ratio a / b", ratio, kRatioTarget, Verdict(ratio <= kRatioTarget));
    std::printf("%-38s %9.0fx     >= %.0fx %s\n", "(d) StripMarkers speed-up", speedUp, kSpeedUpTarget,
                Verdict(speedUp >= kSpeedUpTarget));
    std::printf("      %.1f MB map, %d runs: one pass %.2f ms, restart %.3f s, same output\n",
                heavy.size() / 1e6, kMarkerHeavyRuns, fast * 1e3, slow);
    std::printf("      project data %.1f MB after cutting; %d files offered by the scan\n", dataBytes / 1e6,
                host.foundCount);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "quillfen-bench: %s\n", e.what());
    return 1;
  }
  return 0;
}
