// The table of the format against itself and against the format's reference
// tables, so that a wrong id shows up before it reads or writes a wrong file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "Schema.h"

namespace quillfen::lcf {
namespace {

namespace fs = std::filesystem;

const fs::path kReference = QF_LCF_REFERENCE_DIR;

// The first columns of each line after the header; the reference quotes no
// commas in the columns read here.
std::vector<std::vector<std::string>> ReadCsv(const fs::path& file, std::size_t columns) {
  std::ifstream in(file);
  EXPECT_TRUE(in) << file;
  std::vector<std::vector<std::string>> rows;
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> row;
    std::stringstream cells(line);
    std::string cell;
    while (row.size() < columns && std::getline(cells, cell, ',')) row.push_back(cell);
    if (row.size() == columns) rows.push_back(row);
  }
  return rows;
}

TEST(Schema, EachNameAndEachIdOfAStructureIsGivenOnce) {
  std::set<std::tuple<std::string_view, std::string_view, bool>> names;
  std::set<std::pair<std::string_view, std::uint32_t>> ids;
  for (const ChunkEntry& c : ChunkTable()) {
    EXPECT_TRUE(names.insert({c.structure, c.field, c.size}).second) << c.structure << "." << c.field;
    EXPECT_TRUE(ids.insert({c.structure, c.id}).second) << c.structure << " " << c.id;
    EXPECT_NE(c.id, 0u) << "0 ends a structure";
  }
  std::set<std::pair<std::string_view, std::int32_t>> codes;
  for (const CodeEntry& c : CodeTable()) {
    EXPECT_TRUE(codes.insert({c.enumeration, c.code}).second) << c.name;
  }
  // The constants are the table's numbers.
  EXPECT_EQ(chunk::Database::kActors, 0x0Bu);
  EXPECT_EQ(chunk::EventPage::kEventCommands, 0x34u);
  EXPECT_EQ(kShowMessage, 10110);
  EXPECT_EQ(kMovePlaySound, 35);
  EXPECT_EQ(value::EventPage::kMoveCustom, 6);
}

TEST(Schema, MatchesTheFormatsReferenceTables) {
  if (!fs::is_directory(kReference)) GTEST_SKIP() << "no reference tables at " << kReference;

  // Structure, Field, Size Field?, Type, Index
  std::map<std::tuple<std::string, std::string, bool>, std::uint32_t> fields;
  for (const auto& row : ReadCsv(kReference / "fields.csv", 5)) {
    if (row[4].empty()) continue;  // a part without a chunk of its own
    fields[{row[0], row[1], row[2] == "t"}] = static_cast<std::uint32_t>(std::stoul(row[4], nullptr, 16));
  }
  ASSERT_FALSE(fields.empty());
  for (const ChunkEntry& c : ChunkTable()) {
    const auto found = fields.find({std::string(c.structure), std::string(c.field), c.size});
    if (found == fields.end()) {
      ADD_FAILURE() << c.structure << "." << c.field << (c.size ? " (size)" : "")
                    << " is not in the reference";
      continue;
    }
    EXPECT_EQ(c.id, found->second) << c.structure << "." << c.field << (c.size ? " (size)" : "");
  }

  // Structure, Entry, Value, Index
  std::map<std::tuple<std::string, std::string, std::string>, std::int32_t> enums;
  for (const auto& row : ReadCsv(kReference / "enums.csv", 4)) {
    enums[{row[0], row[1], row[2]}] = std::stoi(row[3]);
  }
  ASSERT_FALSE(enums.empty());
  for (const CodeEntry& c : CodeTable()) {
    const auto found = enums.find({std::string(c.enumeration), "Code", std::string(c.name)});
    if (found == enums.end()) {
      ADD_FAILURE() << c.enumeration << " " << c.name << " is not in the reference";
      continue;
    }
    EXPECT_EQ(c.code, found->second) << c.enumeration << " " << c.name;
  }
  for (const ValueEntry& v : ValueTable()) {
    const auto found =
        enums.find({std::string(v.structure), std::string(v.enumeration), std::string(v.name)});
    if (found == enums.end()) {
      ADD_FAILURE() << v.structure << " " << v.enumeration << " " << v.name << " is not in the reference";
      continue;
    }
    EXPECT_EQ(v.value, found->second) << v.structure << " " << v.enumeration << " " << v.name;
  }
}

}  // namespace
}  // namespace quillfen::lcf
