// The RTP files the project lacks, and those of them whose name is a word.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "FileSystem.h"
#include "StringList.h"

namespace quillfen {

inline constexpr std::array<const char*, 12> kRtpCategoryTable = {
    "Backdrop", "Battle", "CharSet", "ChipSet", "FaceSet", "GameOver",
    "Monster",  "Music",  "Panorama", "Picture", "Sound",  "System"};

struct RtpFiles {
  StringList categories{false};
  StringList baseNames{false};
  StringList extensions{false};
};

// Appends every RTP file whose Category\name the project lacks (ignoring case).
void TakeInventory(const FileSystem& fs, const std::string& projectFolder,
                   const std::string& rtpPath, RtpFiles& files);

// Fills found with Category\name.ext of each RTP file whose base name is a
// word; progress(i / n) before item i.
void MatchWords(const RtpFiles& files, const StringList& words, StringList& found,
                const std::function<void(int percent)>& progress);

}  // namespace quillfen
