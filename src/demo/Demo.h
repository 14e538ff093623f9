// Game projects written from scratch, for demonstrations, tests and the
// benchmark: RPG Maker 2000 database files in their binary chunk format,
// with the resource folders, an RTP and an editor folder beside them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace quillfen {

struct DemoLayout {
  std::string projectFolder;  // native paths, without a trailing separator
  std::string rtpFolder;
  std::string editorFolder;
  // Category\name.ext of every RTP file a scan of the project must offer,
  // in the scan's sorted order.
  std::vector<std::string> expectedFound;
};

// Writes dir/Project, dir/RTP and dir/Editor. The project shows each rule
// of the scan once: resources it lacks and uses, resources it holds already
// (also in other letter case or with another extension), a name spoken only
// in message text, one name in two categories, a four-letter extension, a
// name with a space, a panorama name that runs into the next field's id,
// and RTP files nobody uses.
DemoLayout WriteDemo(const std::filesystem::path& dir);

struct SyntheticOptions {
  std::uint64_t targetBytes = 200'000'000;  // total size of the database files
  int maps = 2000;
  int messageRecords = 60000;  // Show Message commands, spread over the maps
  std::uint32_t seed = 1;
};

// A large project: RPG_RT.ldb, RPG_RT.lmt, the maps, RPG_RT.ini and a few
// resource folders. The same options always give the same bytes.
void WriteSyntheticProject(const std::filesystem::path& projectDir, const SyntheticOptions& options);

// An RTP for the synthetic project: the twelve category folders with small
// placeholder files, most named after resources the project uses.
void WriteSyntheticRtp(const std::filesystem::path& rtpDir);

// One map file of about the given size holding the given number of message
// records (each with its continuation lines), for timing the marker removal.
std::string MakeMarkerHeavyData(std::size_t bytes, int runs, std::uint32_t seed);

}  // namespace quillfen
