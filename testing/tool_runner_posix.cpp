#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string_view>

#include "testing/tool_runner.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (std::string& s : strings) pointers.push_back(s.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

ToolResult RunTool(const std::string& program, const std::vector<std::string>& args,
                   const std::string& workingDir, const std::string& input,
                   const std::string& tempDir) {
  ToolResult result;
  static int counter = 0;
  fs::path base =
      fs::temp_directory_path() /
      ("cardprep-run-" + std::to_string(std::random_device{}()) + "-" + std::to_string(counter++));
  // Each run gets a temporary folder of its own: cardprep keeps its work
  // files under fixed names there, and test runs go on side by side.
  fs::path tmpDir = tempDir.empty() ? fs::path(base.string() + ".tmp") : fs::path(tempDir);
  if (tempDir.empty()) fs::create_directories(tmpDir);
  fs::path inPath = base.string() + ".in";
  fs::path outPath = base.string() + ".out";
  std::ofstream(inPath, std::ios::binary) << input;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, inPath.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  posix_spawn_file_actions_addchdir_np(&actions, workingDir.c_str());

  std::vector<std::string> argvStore = args;
  argvStore.insert(argvStore.begin(), program);
  std::vector<std::string> envStore = {"TMPDIR=" + tmpDir.string()};
  for (char** e = environ; *e != nullptr; ++e)
    if (!std::string_view(*e).starts_with("TMPDIR=")) envStore.push_back(*e);
  pid_t pid;
  if (posix_spawn(&pid, program.c_str(), &actions, nullptr, Pointers(argvStore).data(),
                  Pointers(envStore).data()) == 0) {
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);
    if (WIFEXITED(wstatus)) result.status = WEXITSTATUS(wstatus);
    if (WIFSIGNALED(wstatus)) result.signal = WTERMSIG(wstatus);
  }
  posix_spawn_file_actions_destroy(&actions);
  std::ifstream out(outPath, std::ios::binary);
  result.output.assign(std::istreambuf_iterator<char>(out), std::istreambuf_iterator<char>());
  std::error_code ec;
  fs::remove(inPath, ec);
  fs::remove(outPath, ec);
  if (tempDir.empty()) fs::remove_all(tmpDir, ec);
  return result;
}
