#include "Pipeline.h"

#include "Import.h"
#include "Messages.h"
#include "ProjectData.h"
#include "ScanLib.h"

#include <exception>

namespace quillfen {
namespace {

// Collects the words of the project data as the build passes it on, piece
// by piece in order, so that the word stage only takes the result. A
// failure here belongs to the word stage, not to the build.
class WordCollection {
 public:
  void Take(const CleanedFile& file) noexcept {
    if (failure_) return;
    try {
      words_.Feed(file.spans);
    } catch (...) {
      failure_ = std::current_exception();
    }
  }

  // The build starts over from its first piece.
  void Restart() {
    words_ = WordStream();
    failure_ = nullptr;
  }

  std::vector<std::string> Finish() {
    if (failure_) std::rethrow_exception(failure_);
    return words_.Finish();
  }

 private:
  WordStream words_;
  std::exception_ptr failure_;
};

}  // namespace

Scanner::Scanner(ScanEnvironment env, ScanHost& host) : env_(std::move(env)), host_(host) {}

void Scanner::LoadToolLocations() {
  state_.rtpPath.clear();
  browserStart_.reset();
  rtpSource_.clear();
  foundEditor_.clear();
  if (!env_.rtpOverride && env_.registry.KeyExists(kToolKey)) {
    // A key without a usable RTP value names no RTP: scanning the root of
    // the drive instead would list nonsense.
    auto rtp = env_.registry.ReadString(kToolKey, kRtpValue);
    if (rtp && !rtp->empty()) {
      state_.rtpPath = *rtp + "\\";
      rtpSource_ = std::string("HKEY_CURRENT_USER\\") + kToolKey;
    }
    auto editor = env_.registry.ReadString(kToolKey, kEditorValue);
    if (env_.editorOverride) editor = env_.editorOverride;
    if (editor) browserStart_ = *editor + "Project";
  } else if (auto found = FindRtp(RtpEdition::Rpg2000,
                                  {env_.fs, env_.registry, env_.environment, env_.rtpOverride,
                                   env_.editorOverride})) {
    state_.rtpPath = found->folder;
    rtpSource_ = found->source;
    foundEditor_ = found->editorFolder;
    if (!foundEditor_.empty()) browserStart_ = foundEditor_ + "Project";
  }
  ResetScanState();
}

std::optional<std::string> Scanner::ChooseProject(const std::string& folder) {
  if (env_.fs.FileExists(folder + "\\" + "RPG_RT.lmt") &&
      env_.fs.FileExists(folder + "\\" + "RPG_RT.ldb")) {
    std::string text = folder + "\\";
    host_.ProjectChosen(text);
    host_.SetStatus(msg::kProjectLoaded);
    return text;
  }
  host_.ReportStop(msg::kInvalidProjectTitle, msg::kInvalidProject);
  return std::nullopt;
}

void Scanner::ResetScanState() {
  host_.SetProgress(0);
  state_.rtp.categories.Clear();
  state_.rtp.baseNames.Clear();
  state_.rtp.extensions.Clear();
  state_.foundFiles.Clear();
  state_.wordList.Clear();
}

void Scanner::StartScan() {
  if (state_.rtpPath.empty()) {
    host_.ReportStop(msg::kRtpNotFoundTitle, msg::kRtpNotFound);
    return;
  }
  state_.busy = true;
  host_.SetLocked(true);
  auto finish = [this] {
    state_.busy = false;
    host_.SetLocked(false);
    ResetScanState();
  };
  try {
    try {
      RunPipeline();
    } catch (...) {
      // The pipeline reports its own failures; the import step runs regardless.
    }
    host_.Import(state_.foundFiles, state_.rtpPath, host_.ProjectFolder());
  } catch (...) {
    finish();
    throw;
  }
  finish();
}

void Scanner::RunPipeline() {
  // One stage: its status text first, then the work, whose failure is
  // reported with the stage's own title and ends the pipeline.
  auto stage = [this](const char* status, const char* title, const char* message,
                      auto&& work) -> bool {
    try {
      host_.SetStatus(status);
    } catch (...) {
      host_.ReportStop(msg::kScanStoppedTitle, msg::kScanStopped);
      return false;
    }
    try {
      work();
      return true;
    } catch (...) {
      host_.ReportStop(title, message);
      return false;
    }
  };

  try {
    ResetScanState();
    if (!env_.fs.DirectoryExists(host_.ProjectFolder())) {
      host_.ReportStop(msg::kProjectNotFoundTitle, msg::kProjectNotFound);
      return;
    }
  } catch (...) {
    host_.ReportStop(msg::kScanStoppedTitle, msg::kScanStopped);
    return;
  }

  // Held until the words are read: a second scan must not rewrite or read
  // our scratch files meanwhile.
  std::unique_ptr<ScratchLock> scratch;
  ProjectDataBuffer projectData;
  WordCollection words;
  const std::string dataFile = env_.scratchFolder + kProjectDataFile;

  if (!stage(msg::kStatusBuilding, msg::kBuildErrorTitle, msg::kBuildError, [&] {
        scratch = env_.fs.LockExclusive(dataFile);
        if (!scratch) throw FileError("the scratch file " + dataFile + " is in use by another scan");
        auto collect = [&words](int, std::size_t, const CleanedFile& file) { words.Take(file); };
        BuildOptions options{env_.scratchFolder, [this](std::string_view text) { host_.SetStatus(text); },
                             collect, false, [&words] { words.Restart(); }};
        BuildProjectData(env_.fs, host_.ProjectFolder(), options, projectData);
      }))
    return;

  // The words of the data just written to the scratch file were collected
  // from the same bytes in memory while it was built.
  if (!stage(msg::kStatusWords, msg::kScanLibErrorTitle, msg::kScanLibError, [&] {
        std::vector<std::string> found = words.Finish();
        ReportExtractionProgress(projectData.Size(),
                                 [this](int percent) { host_.SetProgress(percent); });
        state_.wordList.SetSorted(true);
        state_.wordList.AddAll(std::move(found));
        projectData.Release();
        scratch.reset();
      }))
    return;

  if (!stage(msg::kStatusFiles, msg::kFileErrorTitle, msg::kFileError,
             [&] { TakeInventory(env_.fs, host_.ProjectFolder(), state_.rtpPath, state_.rtp); }))
    return;

  if (!stage(msg::kStatusScanning, msg::kScanErrorTitle, msg::kScanError, [&] {
        MatchWords(state_.rtp, state_.wordList, state_.foundFiles,
                   [this](int percent) { host_.SetProgress(percent); });
      }))
    return;

  try {
    host_.SetStatus(msg::kStatusComplete);
  } catch (...) {
    host_.ReportStop(msg::kScanStoppedTitle, msg::kScanStopped);
  }
}

bool Scanner::CanClose() {
  if (!state_.busy) return true;
  host_.ReportStop(msg::kCannotExitTitle, msg::kCannotExit);
  return false;
}

}  // namespace quillfen
