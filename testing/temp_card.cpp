#include "testing/temp_card.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>

#include "platform/host.h"

namespace fs = std::filesystem;

namespace {

fs::path Utf8Path(const std::string& relative) {
  return fs::path(std::u8string(relative.begin(), relative.end()));
}

}  // namespace

TempCard::TempCard() {
  static std::atomic<unsigned> counter{0};
  // A short name of its own: on Windows a card's folder paths count from the drive's root, and
  // the player's folder list takes at most 47 bytes of them.
  const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
  std::mt19937 random{std::random_device{}() ^ static_cast<unsigned>(now) ^ counter++};
  const fs::path temp = fs::temp_directory_path();
  fs::create_directories(temp);
  do {
    char name[16];
    std::snprintf(name, sizeof name, "cp%08x", static_cast<unsigned>(random()));
    root_ = temp / name;
  } while (!fs::create_directory(root_));
  previous_ = fs::current_path();
  fs::current_path(root_);
  HostForgetFolderNames();
}

TempCard::~TempCard() {
  std::error_code ec;
  fs::current_path(previous_, ec);
  HostForgetFolderNames();
  // Make everything writable again so that read-only test folders go too.
  fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ec);
  for (auto it = fs::recursive_directory_iterator(root_, ec); !ec && it != fs::end(it);
       it.increment(ec)) {
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  }
  fs::remove_all(root_, ec);
}

void TempCard::MakeDir(const std::string& relative) const {
  fs::create_directories(root_ / Utf8Path(relative));
}

void TempCard::WriteFile(const std::string& relative, const std::string& bytes) const {
  fs::path p = root_ / Utf8Path(relative);
  if (p.has_parent_path()) fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary | std::ios::trunc)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void TempCard::WriteFile(const std::string& relative, const std::vector<uint8_t>& bytes) const {
  WriteFile(relative, std::string(bytes.begin(), bytes.end()));
}

bool TempCard::Exists(const std::string& relative) const {
  return fs::exists(root_ / Utf8Path(relative));
}

std::string TempCard::ReadFile(const std::string& relative) const {
  std::ifstream in(root_ / Utf8Path(relative), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> TempCard::Tree() const {
  std::vector<std::string> out;
  for (auto& e : fs::recursive_directory_iterator(root_)) {
    auto rel = fs::relative(e.path(), root_).generic_u8string();
    out.emplace_back(rel.begin(), rel.end());
    if (e.is_directory()) out.back() += '/';
  }
  std::sort(out.begin(), out.end());
  return out;
}

std::u16string ToUtf16(const std::string& utf8) {
  std::u16string out;
  for (size_t i = 0; i < utf8.size();) {
    unsigned char c = static_cast<unsigned char>(utf8[i++]);
    int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : 3;
    uint32_t cp = c & (extra == 0 ? 0x7F : 0x3F >> extra);
    for (int k = 0; k < extra && i < utf8.size(); ++k) cp = (cp << 6) | (utf8[i++] & 0x3F);
    if (cp >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
      cp = 0xDC00 + (cp & 0x3FF);
    }
    out += static_cast<char16_t>(cp);
  }
  return out;
}

std::string ToUtf8(const std::u16string& utf16) {
  std::string out;
  for (size_t i = 0; i < utf16.size(); ++i) {
    uint32_t cp = utf16[i];
    if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < utf16.size())
      cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[++i] - 0xDC00);
    int extra = cp < 0x80 ? 0 : cp < 0x800 ? 1 : cp < 0x10000 ? 2 : 3;
    uint32_t lead = extra == 0 ? 0 : (0xF0 << (3 - extra)) & 0xFF;  // 0xC0, 0xE0 or 0xF0
    out += static_cast<char>(lead | (cp >> (6 * extra)));
    for (int k = extra - 1; k >= 0; --k) out += static_cast<char>(0x80 | ((cp >> (6 * k)) & 0x3F));
  }
  return out;
}

std::string ToCp932(const std::string& utf8) {
  std::u16string wide = ToUtf16(utf8);
  std::vector<char> buf(wide.size() * 2 + 1);
  int n = HostWideToCp932(wide.c_str(), buf.data(), static_cast<int>(buf.size()));
  return std::string(buf.data(), static_cast<size_t>(n));
}

std::string FromCp932(const std::string& cp932) {
  std::vector<char16_t> buf(cp932.size() + 1);
  int n = HostCp932ToWide(cp932.c_str(), buf.data(), static_cast<int>(buf.size()));
  return ToUtf8(std::u16string(buf.data(), static_cast<size_t>(n)));
}

std::string GetCapturedConsole() {
  std::string printed = testing::internal::GetCapturedStdout();
  return HostPrintsUtf8() ? printed : FromCp932(printed);
}
