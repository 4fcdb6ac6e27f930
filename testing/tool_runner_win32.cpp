#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <random>

#include "testing/temp_card.h"
#include "testing/tool_runner.h"

namespace fs = std::filesystem;

namespace {

// A card's folder paths count from its drive's root, and the player takes at most 47 bytes of
// them: test cards go to a short folder at the drive's root, not deep in the user's profile.
[[maybe_unused]] const bool shortTempFolder = [] {
  wchar_t temp[MAX_PATH + 1];
  DWORD n = GetTempPathW(MAX_PATH + 1, temp);
  if (n < 3 || n > MAX_PATH || temp[1] != L':') return false;
  std::wstring folder = std::wstring(temp, 3) + L"ct";
  CreateDirectoryW(folder.c_str(), nullptr);
  return GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES &&
         SetEnvironmentVariableW(L"TMP", folder.c_str()) != 0 &&
         SetEnvironmentVariableW(L"TEMP", folder.c_str()) != 0;
}();

std::wstring Widen(const std::string& utf8) {
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

// A program path from a cross build is a Unix one ("/..."). The test prefix has no drive for
// "/" (scripts/wine-run), so Wine finds it below a drive that holds it (the repository's S:).
std::wstring ProgramPath(const std::string& program) {
  std::wstring path = Widen(program);
  if (!path.empty() && path[0] == L'/') {
    using DosName = wchar_t* (*)(const char*);
    auto dosName = reinterpret_cast<DosName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
    if (wchar_t* dos = dosName != nullptr ? dosName(program.c_str()) : nullptr) {
      path = dos;
      HeapFree(GetProcessHeap(), 0, dos);
    }
  }
  for (wchar_t& c : path) c = c == L'/' ? L'\\' : c;
  return path;
}

// One argument as the C runtime splits a command line back: quoted, with
// the backslashes before a quote (and before the closing quote) doubled.
void AppendArgument(std::wstring& line, const std::wstring& arg) {
  if (!line.empty()) line += L' ';
  line += L'"';
  size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    line.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    line += c;
  }
  line.append(2 * backslashes, L'\\');
  line += L'"';
}

// This process's environment with TMP and TEMP set to tempDir, a block for CreateProcessW.
std::wstring EnvironmentWithTemp(const std::wstring& tempDir) {
  std::wstring block;
  wchar_t* all = GetEnvironmentStringsW();
  for (const wchar_t* e = all; *e != 0; e += wcslen(e) + 1) {
    if (_wcsnicmp(e, L"TMP=", 4) == 0 || _wcsnicmp(e, L"TEMP=", 5) == 0) continue;
    block.append(e).push_back(L'\0');
  }
  FreeEnvironmentStringsW(all);
  for (const wchar_t* name : {L"TMP=", L"TEMP="}) block.append(name + tempDir).push_back(L'\0');
  block.push_back(L'\0');
  return block;
}

}  // namespace

ToolResult RunTool(const std::string& program, const std::vector<std::string>& args,
                   const std::string& workingDir, const std::string& input,
                   const std::string& tempDir) {
  ToolResult result;
  static int counter = 0;
  fs::path ownTemp;
  if (tempDir.empty()) {
    ownTemp =
        fs::temp_directory_path() / ("run-" + std::to_string(std::random_device{}() % 100000) +
                                     "-" + std::to_string(counter++));
    fs::create_directories(ownTemp);
  }
  std::wstring environment =
      EnvironmentWithTemp(tempDir.empty() ? ownTemp.wstring() : Widen(tempDir));

  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE inRead, inWrite, outRead, outWrite;
  // The input pipe holds all of the input, written before the run starts.
  CreatePipe(&inRead, &inWrite, &inherit, static_cast<DWORD>(input.size() + 1));
  CreatePipe(&outRead, &outWrite, &inherit, 0);
  DWORD written;
  WriteFile(inWrite, input.data(), static_cast<DWORD>(input.size()), &written, nullptr);
  CloseHandle(inWrite);
  SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = inRead;
  startup.hStdOutput = outWrite;
  startup.hStdError = outWrite;

  std::wstring commandLine;
  const std::wstring programPath = ProgramPath(program);
  AppendArgument(commandLine, programPath);
  for (const auto& a : args) AppendArgument(commandLine, Widen(a));
  PROCESS_INFORMATION process = {};
  BOOL started = CreateProcessW(programPath.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                CREATE_UNICODE_ENVIRONMENT, environment.data(),
                                Widen(workingDir).c_str(), &startup, &process);
  CloseHandle(inRead);
  CloseHandle(outWrite);
  // The output is read while it comes and once the process has ended: another process that
  // holds the pipe's end (a console host) must not keep the run waiting.
  if (started) {
    for (bool ended = false; !ended;) {
      ended = WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0;
      char buf[4096];
      DWORD got;
      DWORD available;
      while (PeekNamedPipe(outRead, nullptr, 0, nullptr, &available, nullptr) && available > 0 &&
             ReadFile(outRead, buf, sizeof buf, &got, nullptr) && got > 0) {
        result.output.append(buf, got);
      }
    }
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    result.status = static_cast<int>(code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(outRead);
  // The tools print code page 932 on Windows; tests read UTF-8 on both hosts.
  result.output = FromCp932(result.output);
  std::error_code ec;
  if (!ownTemp.empty()) fs::remove_all(ownTemp, ec);
  return result;
}
