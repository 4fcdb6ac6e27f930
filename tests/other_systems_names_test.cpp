// Names other systems leave: devices' names, the systems' own folders, a Mac's '._' Finder files.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/host.h"
#include "rename/short_name.h"
#include "testing/e2e_card.h"

namespace {

// Made as the Windows host reaches such names: by their "\\?\" paths.
void MakeDeviceNamedFolder(const TempCard& card, const char* name) {
#ifdef _WIN32
  std::filesystem::create_directory(L"\\\\?\\" + (card.root() / name).wstring());
#else
  std::filesystem::create_directory(card.root() / name);
#endif
}
// Removes the card by its "\\?\" path first: device names never stop the clean-up on Windows.
struct RemovedByLongPath {
  const TempCard& card;
  ~RemovedByLongPath() {
#ifdef _WIN32
    std::error_code ec;
    std::filesystem::remove_all(L"\\\\?\\" + card.root().wstring(), ec);
#endif
  }
};
void WriteDeviceNamed(const char16_t* relative, const std::string& bytes) {
  std::FILE* file = HostOpenW(relative, "wb");
  ASSERT_NE(file, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

// What a Mac writes beside a file: 4 KiB starting 00 05 16 07.
std::string AppleDouble() { return std::string("\x00\x05\x16\x07", 4) + std::string(4092, '\0'); }

bool UnderSystemsOwnFolder(const std::string& path) {
  for (size_t start = 0; start < path.size();) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    if (IsSystemsOwnFolder(ToUtf16(path.substr(start, end - start)).c_str())) return true;
    start = end + 1;
  }
  return false;
}

TEST(OtherSystemsNames, EveryNewNameOpensOnWindowsAndTheSystemsOwnEntriesStayAsTheyAre) {
  TempCard card;
  RemovedByLongPath removed{card};
  for (const char* folder : {"A.U.X", "P.R.N", "COM 1"})
    card.WriteFile(std::string(folder) + "/x.mp3", folder);
  for (const char* path : {".Trashes/501/old.mp3", ".Spotlight-V100/Store-V2/Long Name.mp3",
                           ".fseventsd/0000000000000001", ".TemporaryItems/folders.501/t.mp3",
                           "$RECYCLE.BIN/S-1-5-21/$RABC.mp3", "RECYCLER/S-1-5-21/Dc1.mp3",
                           "FOUND.000/FILE0000.CHK", "Songs/.Trashes/deep.mp3"}) {
    card.WriteFile(path, path);
  }
  card.WriteFile("Songs/Song.mp3", "song");
  card.WriteFile("Songs/._Song.mp3", AppleDouble());
  // A prepared folder, and the Finder file a Mac then wrote beside its second track.
  card.WriteFile("Prepared/001.MP3", "one");
  card.WriteFile("Prepared/002.MP3", "two");
  card.WriteFile("Prepared/._002.MP3", AppleDouble());
  const Snapshot before = TakeSnapshot(card);  // before the device names: Windows would open those
  MakeDeviceNamedFolder(card, "aux");
  WriteDeviceNamed(u"aux\\x.mp3", "aux");
  card.MakeDir("Devices");
  WriteDeviceNamed(u"Devices\\aux.mp3", "aux");
  WriteDeviceNamed(u"Devices\\nul.mp3", "nul");
  WriteDeviceNamed(u"Devices\\CON.mp3", "CON");
  WriteDeviceNamed(u"Devices\\com1.mp3", "com1");

  ToolResult first = RunOn(card, "go\n4\n");
  ASSERT_EQ(first.status, 0) << first.output;
  const Snapshot once = TakeSnapshot(card);
  // Device names counted as taken: 'AUX' gave AU1, 'aux' (AU1 taken) au2; COM1 to COM9 are all
  // devices, so 'COM 1' is numbered. The device-named files are numbered in code unit order.
  const Snapshot renamed = {
      {"AU1/x.mp3", "<gone>"},    {"AU1/001.MP3", "A.U.X"},    {"00001/001.MP3", "COM 1"},
      {"PR1/001.MP3", "P.R.N"},   {"au2/001.MP3", "aux"},      {"Devices/001.MP3", "CON"},
      {"Devices/002.MP3", "aux"}, {"Devices/003.MP3", "com1"}, {"Devices/004.MP3", "nul"}};
  for (const auto& [path, content] : renamed)
    EXPECT_EQ(once.contains(path) ? once.at(path) : "<gone>", content) << path;
  for (const auto& [path, content] : once) {
    size_t slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    EXPECT_FALSE(IsDeviceName(ToUtf16(name).c_str())) << path;
  }
  // Nothing in the systems' own folders changed or came, and no Finder file became a track.
  for (const auto& [path, content] : once) {
    if (UnderSystemsOwnFolder(path) || path.find("/._") != std::string::npos) {
      EXPECT_EQ(before.contains(path) ? before.at(path) : "<new>", content) << path;
    }
  }
  for (const auto& [path, content] : before)
    EXPECT_TRUE(!UnderSystemsOwnFolder(path) || once.contains(path)) << path;
  EXPECT_EQ(once.at("Songs/SNDLST04.DAT").size(), 64u);
  EXPECT_EQ(once.at("Prepared/SNDLST04.DAT").size(), 128u);
  EXPECT_EQ(once.at("Prepared/002.MP3"), "two");
  for (const char* left : {"Trash", "Spotl", "fsev", "Tempo", "RECYC", "FOUND", "501"})
    EXPECT_EQ(once.at("DIRLST04.DAT").find(left), std::string::npos) << left;

  ToolResult second = RunOn(card, "go\n4\n");
  ASSERT_EQ(second.status, 0) << second.output;
  EXPECT_EQ(Differences(once, TakeSnapshot(card)), "");
}

}  // namespace
