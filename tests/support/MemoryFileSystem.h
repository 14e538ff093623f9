// An in-memory file system with Windows path rules (either separator, names
// matched ignoring ASCII case, listing in creation order), and switches to
// make single operations fail.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "FileSystem.h"

namespace quillfen::testing {

class MemoryFileSystem : public FileSystem {
 public:
  // Creates the file and every missing folder above it.
  void Put(const std::string& path, std::string data = {}) {
    auto parts = Split(path);
    std::string key;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
      key = Join(key, parts[i]);
      if (!entries_.count(Fold(key))) Insert(key, parts[i], true, {});
    }
    key = Join(key, parts.back());
    auto it = entries_.find(Fold(key));
    if (it != entries_.end()) {
      it->second.data = std::move(data);
      return;
    }
    Insert(key, parts.back(), false, std::move(data));
  }
  void MakeDir(const std::string& path) {
    auto parts = Split(path);
    std::string key;
    for (const auto& part : parts) {
      key = Join(key, part);
      if (!entries_.count(Fold(key))) Insert(key, part, true, {});
    }
  }
  void Remove(const std::string& path) {
    std::string prefix = Fold(Normal(path));
    for (auto it = entries_.begin(); it != entries_.end();) {
      if (it->first == prefix || it->first.rfind(prefix + "\\", 0) == 0)
        it = entries_.erase(it);
      else
        ++it;
    }
  }
  const std::string* Get(const std::string& path) const {
    auto it = entries_.find(Fold(Normal(path)));
    return it == entries_.end() || it->second.dir ? nullptr : &it->second.data;
  }

  bool noTemporary = false;              // no temporary file can be made
  std::set<std::string> failLoad;        // folded paths whose load raises
  std::set<std::string> failCopyTo;      // folded targets whose copy fails
  std::set<std::string> failCreateDir;   // folded folders that cannot be made
  std::set<std::string> failFind;        // folded folders whose listing raises
  bool failSave = false;
  // The write of this number (0, 1, ...; counted over every writer) raises.
  int failWriteAt = -1;
  bool lockHeld = false;
  std::vector<std::string> log;          // "save <name>", "delete <name>", ...

  bool FileExists(const std::string& path) const override {
    auto it = entries_.find(Fold(Normal(path)));
    return it != entries_.end() && !it->second.dir;
  }
  bool DirectoryExists(const std::string& path) const override {
    std::string n = Normal(path);
    if (n.empty()) return false;
    auto it = entries_.find(Fold(n));
    return it != entries_.end() && it->second.dir;
  }
  std::vector<std::string> FindFiles(const std::string& pattern) const override {
    std::string n = Normal(pattern);
    auto cut = n.rfind('\\');
    std::string folder = cut == std::string::npos ? "" : n.substr(0, cut);
    std::string mask = cut == std::string::npos ? n : n.substr(cut + 1);
    std::vector<std::pair<long, std::string>> hits;
    if (failFind.count(Fold(folder))) throw FileError("cannot list " + folder);
    if (!DirectoryExists(folder)) return {};
    for (const auto& [key, e] : entries_) {
      if (e.parent != Fold(folder)) continue;
      if (Match(mask, e.name)) hits.push_back({e.order, e.name});
    }
    std::sort(hits.begin(), hits.end());
    std::vector<std::string> names;
    for (const char* dot : {".", ".."}) {
      if (Match(mask, dot)) names.push_back(dot);
    }
    for (auto& h : hits) names.push_back(h.second);
    return names;
  }
  std::string LoadFile(const std::string& path) const override {
    if (failLoad.count(Fold(Normal(path)))) throw FileError("cannot read " + path);
    const std::string* data = Get(path);
    if (!data) throw FileError("no such file " + path);
    return *data;
  }
  void SaveFile(const std::string& path, std::string_view data) override {
    if (failSave) throw FileError("disk full");
    log.push_back("save " + Split(path).back());
    Put(path, std::string(data));
  }
  std::unique_ptr<FileReader> OpenRead(const std::string& path) const override {
    return std::make_unique<Reader>(LoadFile(path));
  }
  bool DeleteFile(const std::string& path) override {
    log.push_back("delete " + Split(path).back());
    if (!FileExists(path)) return false;
    Remove(path);
    return true;
  }
  bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) override {
    log.push_back("copy " + Normal(from) + " -> " + Normal(to));
    if (failCopyTo.count(Fold(Normal(to)))) return false;
    const std::string* data = Get(from);
    if (!data) return false;
    if (failIfExists && FileExists(to)) return false;
    std::string parent = Parent(Normal(to));
    if (!parent.empty() && !DirectoryExists(parent)) return false;
    Put(to, *data);
    return true;
  }
  bool CreateDirectory(const std::string& path) override {
    std::string n = Normal(path);
    if (failCreateDir.count(Fold(n)) || DirectoryExists(n)) return false;
    if (!DirectoryExists(Parent(n))) return false;
    MakeDir(n);
    return true;
  }
  std::unique_ptr<FileWriter> OpenWrite(const std::string& path) override {
    class Counted final : public FileWriter {
     public:
      Counted(std::unique_ptr<FileWriter> inner, MemoryFileSystem& fs) : inner_(std::move(inner)), fs_(fs) {}
      void WriteAt(std::uint64_t offset, std::span<const std::string_view> parts) override {
        if (fs_.writes_++ == fs_.failWriteAt) throw FileError("disk full");
        inner_->WriteAt(offset, parts);
      }
      void Finish(std::uint64_t size) override { inner_->Finish(size); }

     private:
      std::unique_ptr<FileWriter> inner_;
      MemoryFileSystem& fs_;
    };
    return std::make_unique<Counted>(FileSystem::OpenWrite(path), *this);
  }
  std::unique_ptr<TemporaryFile> CreateTemporary() const override {
    return noTemporary ? nullptr : FileSystem::CreateTemporary();
  }
  std::unique_ptr<ScratchLock> LockExclusive(const std::string&) override {
    if (lockHeld) return nullptr;
    lockHeld = true;
    return std::make_unique<Lock>(lockHeld);
  }

  static std::string Fold(std::string s) {
    for (char& c : s) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
  }

 private:
  std::atomic<int> writes_{0};
  struct Entry {
    std::string name;
    std::string parent;  // folded
    bool dir = false;
    std::string data;
    long order = 0;
  };
  struct Reader : FileReader {
    explicit Reader(std::string d) : data(std::move(d)) {}
    std::uint64_t Size() const override { return data.size(); }
    void Read(void* buffer, std::size_t count) override {
      if (pos + count > data.size()) throw FileError("read past end");
      std::memcpy(buffer, data.data() + pos, count);
      pos += count;
    }
    void Seek(std::uint64_t p) override { pos = p; }
    std::uint64_t Position() const override { return pos; }
    std::string data;
    std::uint64_t pos = 0;
  };
  struct Lock : ScratchLock {
    explicit Lock(bool& f) : flag(f) {}
    ~Lock() override { flag = false; }
    bool& flag;
  };

  void Insert(const std::string& key, const std::string& name, bool dir, std::string data) {
    entries_[Fold(key)] = Entry{name, Fold(Parent(key)), dir, std::move(data), ++counter_};
  }
  static std::string Normal(const std::string& path) {
    std::string out;
    for (char c : path) {
      if (c == '/') c = '\\';
      if (c == '\\' && !out.empty() && out.back() == '\\') continue;
      out += c;
    }
    while (!out.empty() && out.back() == '\\') out.pop_back();
    return out;
  }
  static std::vector<std::string> Split(const std::string& path) {
    std::vector<std::string> parts;
    std::string n = Normal(path), cur;
    for (char c : n) {
      if (c == '\\') {
        parts.push_back(cur);
        cur.clear();
      } else {
        cur += c;
      }
    }
    parts.push_back(cur);
    return parts;
  }
  static std::string Join(const std::string& a, const std::string& b) {
    return a.empty() ? b : a + "\\" + b;
  }
  static std::string Parent(const std::string& n) {
    auto cut = n.rfind('\\');
    return cut == std::string::npos ? "" : n.substr(0, cut);
  }
  static bool Match(const std::string& mask, const std::string& name) {
    if (mask == "*.*" || mask == "*") return true;
    if (mask.rfind("*", 0) == 0) {
      std::string tail = Fold(mask.substr(1));
      std::string n = Fold(name);
      return n.size() >= tail.size() && n.compare(n.size() - tail.size(), tail.size(), tail) == 0;
    }
    return Fold(mask) == Fold(name);
  }

  std::map<std::string, Entry> entries_;
  long counter_ = 0;
};

}  // namespace quillfen::testing
