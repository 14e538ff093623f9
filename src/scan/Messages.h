// The titles and messages the tool shows; front ends and tests share them.
#pragma once

namespace quillfen::msg {

inline constexpr char kNoProject[] = "No project loaded";
inline constexpr char kProjectLoaded[] = "Project loaded. Appears valid...";
inline constexpr char kInvalidProjectTitle[] = "Invalid Project";
inline constexpr char kInvalidProject[] =
    "The directory you loaded appears to be invalid. Your project must contain the "
    "'RPG_RT.ldb' and 'RPG_RT.lmt' files.";

inline constexpr char kRtpNotFoundTitle[] = "RTP Not Found";
inline constexpr char kRtpNotFound[] =
    "The location of the RTP could not be located on your PC! You must have the RTP "
    "installed to run a scan.";
inline constexpr char kProjectNotFoundTitle[] = "Project Not Found";
inline constexpr char kProjectNotFound[] =
    "Your project vanished. :) The directory specified was not found.";
inline constexpr char kScanStoppedTitle[] = "Scan Stopped";
inline constexpr char kScanStopped[] = "The project scan has been stopped because of an error!";
inline constexpr char kCannotExitTitle[] = "Cannot Exit!";
inline constexpr char kCannotExit[] =
    "The application cannot close while a scan is in progress! Please let the scan finish "
    "before closing.";

inline constexpr char kStatusBuilding[] = "Building project...";
inline constexpr char kStatusWords[] = "Fetching word list...";
inline constexpr char kStatusFiles[] = "Fetching file list...";
inline constexpr char kStatusScanning[] = "Scanning...";
inline constexpr char kStatusComplete[] = "Scan complete";

inline constexpr char kBuildErrorTitle[] = "Build Error";
inline constexpr char kBuildError[] = "An error occured while building your project!";
inline constexpr char kScanLibErrorTitle[] = "ScanLib Error";
inline constexpr char kScanLibError[] = "An error occured while scanning your project!";
inline constexpr char kFileErrorTitle[] = "File Error";
inline constexpr char kFileError[] = "An error occured while trying to get a list of files!";
inline constexpr char kScanErrorTitle[] = "Scan Error";
inline constexpr char kScanError[] = "An error occured while scanning your project!";

inline constexpr char kCreateDirTitle[] = "Could Not Create Directory";
inline constexpr char kCopyFileTitle[] = "Could Not Copy File";
inline constexpr char kFinishedTitle[] = "Finished";
inline constexpr char kFinished[] =
    "The scanner has finished importing the files to your project directory.";
inline constexpr char kCopyHarmonyTitle[] = "Could Not Copy Harmony";
inline constexpr char kCopyHarmony[] =
    "The Harmony library could not be copied into your project directory! It may already be "
    "there.";
inline constexpr char kAppPathTitle[] = "Application Path Not Found";
inline constexpr char kAppPath[] =
    "The path to RPG Maker 2000 could not be found! It may not be installed!";
inline constexpr char kProjectDirInvalidTitle[] = "Project Directory Invalid";
inline constexpr char kProjectDirInvalid[] = "Your project's directory could not be located!";
inline constexpr char kNoConfigTitle[] = "Configuration Nonexistant";
inline constexpr char kNoConfig[] =
    "Your project's configuration file (RPG_RT.ini) is does not exist!";
// Writing the flag can fail (a read-only file); say so rather than pretend.
inline constexpr char kConfigWriteTitle[] = "Could Not Update Configuration";
inline constexpr char kConfigWrite[] =
    "Your project's configuration file (RPG_RT.ini) could not be changed!";

}  // namespace quillfen::msg
