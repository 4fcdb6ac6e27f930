// What the end-to-end tests share: snapshots of cards, random cards, runs of the real binaries.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "testing/fontx_builder.h"
#include "testing/random_card.h"
#include "testing/temp_card.h"
#include "testing/tool_runner.h"

#ifndef _WIN32
#include <sys/mount.h>
#include <unistd.h>
#endif

inline std::string ReadPath(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Relative path (UTF-8, '/') to content, "<folder>", or "<other>" (a pipe, a link: never opened).
using Snapshot = std::map<std::string, std::string>;

inline Snapshot TakeSnapshot(const std::filesystem::path& root) {
  namespace fs = std::filesystem;
  Snapshot shot;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::end(it); ++it) {
    auto rel = fs::relative(it->path(), root).generic_u8string();
    auto status = it->symlink_status();
    shot[std::string(rel.begin(), rel.end())] = fs::is_directory(status)      ? "<folder>"
                                                : fs::is_regular_file(status) ? ReadPath(it->path())
                                                                              : "<other>";
  }
  return shot;
}
inline Snapshot TakeSnapshot(const TempCard& card) { return TakeSnapshot(card.root()); }

// What differs between two snapshots, one path per line ("" when nothing).
inline std::string Differences(const Snapshot& before, const Snapshot& after) {
  std::string out;
  for (const auto& [path, content] : before) {
    auto it = after.find(path);
    if (it == after.end()) {
      out += "gone: " + path + "\n";
    } else if (it->second != content) {
      out += "changed: " + path + "\n";
    }
  }
  for (const auto& [path, content] : after)
    if (!before.contains(path)) out += "new: " + path + "\n";
  return out;
}

// Whether the run printed text (its output shown when not).
inline testing::AssertionResult Printed(const ToolResult& r, const std::string& text) {
  if (r.output.find(text) != std::string::npos) return testing::AssertionSuccess();
  return testing::AssertionFailure() << "no \"" << text << "\" in:\n" << r.output;
}

// The planned card on the disk, with fonts for the graphic models.
inline void WriteRandomCard(const RandomCard& plan, const TempCard& card) {
  if (plan.model >= 8) WriteTestFontSet();
  for (const std::string& folder : plan.folders) card.MakeDir(folder);
  for (const auto& [path, content] : plan.files) card.WriteFile(path, content);
}

inline std::string Answers(const RandomCard& plan) {
  std::string input = "go\n" + std::to_string(plan.model) + "\n";
  return plan.model >= 8 ? input + std::to_string(plan.titleRule) + "\n" : input;
}

// This build's cardprep run in workingDir, a folder that is no drive's root (--here).
inline ToolResult RunCardprep(const std::string& workingDir, const std::string& input) {
  return RunTool(CARDPREP_EXE, {"--here"}, workingDir, input);
}

// On the card, with the temporary folder given if any.
inline ToolResult RunOn(const TempCard& card, const std::string& input,
                        const std::string& tempDir = "") {
  return RunTool(CARDPREP_EXE, {"--here"}, card.root().string(), input, tempDir);
}

// This build's cardprep-restore on the card with --here, answering "go".
inline ToolResult RunRestore(const TempCard& card,
                             std::vector<std::string> args = {"--remove-catalogue"}) {
  args.push_back("--here");
  return RunTool(CARDPREP_RESTORE_EXE, args, card.root().string(), "go\n");
}

// An environment variable the programs tests start see while it lives; empty when it ends.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) { Set(value.c_str()); }
  ~ScopedEnv() { Set(""); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  void Set(const char* value) {
#ifdef _WIN32
    _putenv_s(name_, value);
#else
    setenv(name_, value, 1);
#endif
  }
  const char* name_;
};

#ifndef _WIN32
// Root reads any folder: tests of folders that cannot be read run the tool as kNobody.
inline constexpr uid_t kNobody = 65534;
inline ToolResult AsNobody(std::vector<std::string> args, const std::string& dir,
                           const std::string& input) {
  args.insert(args.begin(), {"--reuid=65534", "--regid=65534", "--clear-groups"});
  return RunTool("/usr/bin/setpriv", args, dir, input);
}

// Runs cardprep (or another tool, given) on the card with --here as kNobody when this test runs as
// root (the card and a temporary folder made theirs), else as this user.
inline ToolResult RunUnprivileged(const TempCard& card, const std::string& input,
                                  const std::string& tool = CARDPREP_EXE,
                                  const std::string& option = "") {
  std::vector<std::string> args = {tool, "--here"};
  if (!option.empty()) args.push_back(option);
  if (geteuid() != 0)
    return RunTool(tool, {args.begin() + 1, args.end()}, card.root().string(), input);
  const std::string tmp = card.root().string() + "-tmp";
  std::filesystem::create_directories(tmp);
  std::vector<std::filesystem::path> owned = {card.root(), tmp};
  for (const auto& entry : std::filesystem::recursive_directory_iterator(card.root()))
    owned.push_back(entry.path());
  for (const std::filesystem::path& path : owned)
    EXPECT_EQ(lchown(path.c_str(), kNobody, kNobody), 0) << path;
  args.insert(args.begin(), {"/usr/bin/env", "TMPDIR=" + tmp});
  ToolResult r = AsNobody(args, card.root().string(), input);
  std::filesystem::remove_all(tmp);
  return r;
}

// True when a run as kNobody can write the card (always, when not root).
inline bool NobodyCanReach(const TempCard& card) {
  if (geteuid() != 0) return true;
  if (access("/usr/bin/setpriv", X_OK) != 0) return false;
  lchown(card.root().c_str(), kNobody, kNobody);
  return AsNobody({"/usr/bin/test", "-w", card.root().string()}, "/", "").status == 0;
}

// A small memory filesystem on a folder while it lives, where one can be mounted: it can fill up.
struct SmallCardFs {
  std::string at;
  SmallCardFs(const std::filesystem::path& folder, const char* size) {
    if (mount("tmpfs", folder.c_str(), "tmpfs", 0, size) == 0) at = folder.string();
  }
  ~SmallCardFs() {
    if (!at.empty()) umount2(at.c_str(), MNT_DETACH);
  }
  bool mounted() const { return !at.empty(); }
};

// Fills the filesystem of the file's folder with the file, but for the pages given.
inline void FillUpBut(const std::filesystem::path& file, int pages) {
  {
    std::ofstream filler(file, std::ios::binary);
    std::string block(4096, 'f');
    while (filler.write(block.data(), block.size())) {
    }
  }
  std::filesystem::resize_file(file, std::filesystem::file_size(file) - pages * 4096);
}
#endif
