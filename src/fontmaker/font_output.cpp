#include "font_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace fs = std::filesystem;

namespace {

bool SameBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::vector<uint8_t> old((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return old == bytes;
}

// Creates path (never over an existing file) and writes bytes into it; a
// file that could not be written whole is removed again.
bool WriteNew(const fs::path& path, const std::vector<uint8_t>& bytes, std::string& error) {
  std::FILE* file = std::fopen(path.c_str(), "wbx");
  if (file == nullptr) {
    error = path.string() + ": " + std::strerror(errno);
    return false;
  }
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  int savedErrno = errno;
  if (std::fclose(file) != 0 && written) {
    written = false;
    savedErrno = errno;
  }
  if (!written) {
    error = path.string() + ": " + std::strerror(savedErrno);
    std::error_code ignored;
    fs::remove(path, ignored);
  }
  return written;
}

}  // namespace

FontWrite WriteFontFile(const std::string& folder, const std::string& fileName,
                        const std::vector<uint8_t>& bytes, bool replace, std::string& error) {
  fs::path target = fs::path(folder) / fileName;
  std::error_code ec;
  fs::file_status status = fs::symlink_status(target, ec);
  if (!fs::exists(status))
    return WriteNew(target, bytes, error) ? FontWrite::kWritten : FontWrite::kFailed;
  if (!fs::is_regular_file(status)) {
    error = target.string() + ": is not a plain file; left as it is";
    return FontWrite::kFailed;
  }
  if (SameBytes(target, bytes)) return FontWrite::kUnchanged;
  if (!replace) return FontWrite::kKept;

  fs::path part = target;
  part += ".part";
  if (!WriteNew(part, bytes, error)) return FontWrite::kFailed;
  fs::rename(part, target, ec);
  if (ec) {
    error = target.string() + ": " + ec.message();
    fs::remove(part, ec);
    return FontWrite::kFailed;
  }
  return FontWrite::kReplaced;
}
