// The scan state and the "Begin Scan" pipeline, shared by every front end.
#pragma once

#include <optional>
#include <string>

#include "FileSystem.h"
#include "Host.h"
#include "Inventory.h"
#include "Registry.h"
#include "StringList.h"

namespace quillfen {

struct ScanState {
  std::string rtpPath;  // with a trailing backslash; empty when no RTP is known
  bool busy = false;
  RtpFiles rtp;                 // parallel lists of RTP-only files
  StringList wordList{true};
  StringList foundFiles{true};
};

struct ScanEnvironment {
  FileSystem& fs;
  const Registry& registry;
  std::string scratchFolder;  // where "~prtmp.buf" and "~temp.buf" go, with a separator
};

class Scanner {
 public:
  Scanner(ScanEnvironment env, ScanHost& host);

  // Reads the RTP and editor folders from the registry, clears the state.
  void LoadToolLocations();
  // The folder browser's start folder: the editor folder + "Project".
  const std::optional<std::string>& BrowserStartFolder() const { return browserStart_; }

  // Validates a folder chosen by the user (no trailing backslash); returns
  // the project box's new text, or nullopt after the "Invalid Project" message.
  std::optional<std::string> ChooseProject(const std::string& folder);

  void ResetScanState();
  // "Begin Scan": locks, runs the pipeline, imports, unlocks, resets.
  void StartScan();
  bool CanClose();

  const ScanState& State() const { return state_; }
  bool Busy() const { return state_.busy; }

 private:
  void RunPipeline();

  ScanEnvironment env_;
  ScanHost& host_;
  ScanState state_;
  std::optional<std::string> browserStart_;
};

}  // namespace quillfen
