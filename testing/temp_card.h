// A fresh folder, the current directory (the card's root) while it lives; paths use '/', UTF-8.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

class TempCard {
 public:
  TempCard();
  ~TempCard();
  TempCard(const TempCard&) = delete;
  TempCard& operator=(const TempCard&) = delete;

  const std::filesystem::path& root() const { return root_; }

  void MakeDir(const std::string& relative) const;
  void WriteFile(const std::string& relative, const std::string& bytes) const;
  void WriteFile(const std::string& relative, const std::vector<uint8_t>& bytes) const;
  bool Exists(const std::string& relative) const;
  // The file's bytes; empty when it cannot be read.
  std::string ReadFile(const std::string& relative) const;
  // Every file and folder below the root, relative, sorted, folders ending in '/'.
  std::vector<std::string> Tree() const;

 private:
  std::filesystem::path root_;
  std::filesystem::path previous_;
};

// UTF-8 text to code page 932 bytes, and back, through the host layer.
std::string ToCp932(const std::string& utf8);
std::string FromCp932(const std::string& cp932);
std::u16string ToUtf16(const std::string& utf8);
std::string ToUtf8(const std::u16string& utf16);

// Ends testing::internal::CaptureStdout() and gives the console output as UTF-8 on either host.
std::string GetCapturedConsole();
