// The scan state and the "Begin Scan" pipeline, shared by every front end.
#pragma once

#include <optional>
#include <string>

#include "FileSystem.h"
#include "Host.h"
#include "Inventory.h"
#include "Registry.h"
#include "RtpLocations.h"
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
  // The other places of the 2000 RTP, asked where the editor's key is absent.
  Environment environment = {};
  std::optional<std::string> rtpOverride = {};
  std::optional<std::string> editorOverride = {};
};

class Scanner {
 public:
  Scanner(ScanEnvironment env, ScanHost& host);

  // Reads the RTP and editor folders from the editor's key of the current
  // user; where that key is absent, from the other places of the 2000 RTP.
  // Clears the state.
  void LoadToolLocations();
  // Where rtpPath came from ("HKEY_CURRENT_USER\Software\ASCII\RPG2000",
  // "--rtp", ...), and the editor folder found with it (with a separator)
  // when that is not the key's; both empty when no RTP is known.
  const std::string& RtpSource() const { return rtpSource_; }
  const std::string& FoundEditorFolder() const { return foundEditor_; }
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
  std::string rtpSource_;
  std::string foundEditor_;
};

}  // namespace quillfen
