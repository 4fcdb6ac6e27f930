// Writing the made font files into a folder without losing anyone's file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class FontWrite {
  kWritten,    // a new file
  kUnchanged,  // the file was there with exactly these bytes
  kReplaced,   // a different file was there and replace was asked for
  kKept,       // a different file was there and is left as it is
  kFailed,     // the file could not be written (error says why)
};

// Writes bytes as folder/fileName. An existing file with other bytes is
// replaced only when replace is true, through a temporary file beside it,
// so the old file stays whole until the new one is complete.
FontWrite WriteFontFile(const std::string& folder, const std::string& fileName,
                        const std::vector<uint8_t>& bytes, bool replace, std::string& error);
