// The host answers from the disk as it is now, also when files change
// behind its back between two calls, and a rewritten work file keeps
// nothing of longer contents it held before.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "platform/host.h"
#include "testing/temp_card.h"

namespace {

namespace fs = std::filesystem;

// A card path ("\A\B", UTF-8) in code page 932 and UTF-16: below the
// current directory on Windows, from the card root on POSIX.
std::string Card(const std::string& relative) {
  char16_t wide[1024];
  EXPECT_TRUE(HostGetCurrentDirectoryW(wide, 1024));
  std::u16string dir = wide;
  if (!dir.empty() && dir.back() == u'\\') dir.pop_back();
  return ToCp932(ToUtf8(dir)) + ToCp932(relative);
}
std::u16string CardW(const std::string& relative) { return ToUtf16(FromCp932(Card(relative))); }
bool Exists(const std::string& relative) { return HostExistsA(Card(relative).c_str()); }

// The names HostFindFirst gives for a folder, sorted, folders with a '/'.
std::vector<std::string> Listed(const std::string& folder) {
  std::vector<std::string> names;
  HostFind find{};
  HostFindEntry entry{};
  for (bool more = HostFindFirst(find, CardW(folder).c_str(), u"*.*", entry); more;
       more = HostFindNext(find, entry)) {
    std::string name = ToUtf8(entry.name);
    if (name != "." && name != "..") names.push_back(entry.isDirectory ? name + "/" : name);
  }
  HostFindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

TEST(HostChanges, LookupsFollowFilesMadeMovedAndRemovedBehindTheirBack) {
  TempCard card;
  card.WriteFile("A/one.txt", "1");
  EXPECT_TRUE(Exists("\\A\\ONE.TXT"));
  EXPECT_FALSE(Exists("\\A\\TWO.TXT"));
  card.WriteFile("A/two.txt", "2");
  EXPECT_TRUE(Exists("\\A\\TWO.TXT"));
  fs::remove(card.root() / "A" / "one.txt");
  EXPECT_FALSE(Exists("\\A\\ONE.TXT"));
  fs::rename(card.root() / "A" / "two.txt", card.root() / "A" / "Three.txt");
  EXPECT_FALSE(Exists("\\A\\TWO.TXT"));
  EXPECT_TRUE(Exists("\\A\\three.TXT"));

  // The folder itself removed and made again, and the same path on another card.
  fs::remove_all(card.root() / "A");
  card.WriteFile("A/new.txt", "n");
  EXPECT_FALSE(Exists("\\A\\THREE.TXT"));
  EXPECT_TRUE(Exists("\\A\\NEW.TXT"));
  {
    TempCard other;
    other.WriteFile("A/else.txt", "e");
    EXPECT_FALSE(Exists("\\A\\NEW.TXT"));
    EXPECT_TRUE(Exists("\\A\\ELSE.TXT"));
  }
  EXPECT_TRUE(Exists("\\A\\NEW.TXT"));

  // More folders in turn than the host keeps: each is seen as it is now.
  for (int i = 0; i < 12; ++i) card.WriteFile(std::string("F").append(std::to_string(i)) + "/a.txt", "a");
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < 12; ++i) {
      std::string folder = std::string("F").append(std::to_string(i));
      EXPECT_EQ(Exists("\\" + folder + "\\A.TXT"), round == 0) << folder;
      fs::remove(card.root() / folder / "a.txt");
    }
  }
}

// A folder above the folders looked into moves away and another takes its
// place: lookups, opens, moves and listings see the new folders.
TEST(HostChanges, AFolderAboveMovedBehindTheirBackLeavesNothingOutOfDate) {
  TempCard card;
  card.WriteFile("A/B/x.mp3", "x");
  card.WriteFile("A/B/C/old.txt", "o");
  EXPECT_FALSE(Exists("\\A\\B\\NONE.TXT"));  // the host has looked into A\B and A\B\C
  EXPECT_FALSE(Exists("\\A\\B\\C\\NONE.TXT"));
  fs::rename(card.root() / "A", card.root() / "Z");
  card.WriteFile("A/B/y.mp3", "y");
  card.WriteFile("A/B/C/new.txt", "n");
  EXPECT_TRUE(Exists("\\A\\B\\Y.MP3"));
  EXPECT_FALSE(Exists("\\A\\B\\X.MP3"));
  EXPECT_TRUE(Exists("\\A\\B\\C\\NEW.TXT"));
  EXPECT_FALSE(Exists("\\A\\B\\C\\OLD.TXT"));
  std::FILE* file = HostOpen(Card("\\A\\B\\Y.MP3").c_str(), "rb");
  ASSERT_NE(file, nullptr);
  std::fclose(file);
  EXPECT_EQ(HostOpen(Card("\\A\\B\\X.MP3").c_str(), "rb"), nullptr);
  ASSERT_TRUE(HostWriteFileListing(Card("\\A\\B").c_str(), "work.lst"));
  EXPECT_EQ(card.ReadFile("work.lst"), "y.mp3\r\n");
  EXPECT_EQ(HostMove(CardW("\\A\\B\\y.mp3").c_str(), CardW("\\A\\B\\001.MP3").c_str()), 0u);
  EXPECT_EQ(HostMove(CardW("\\A\\B\\001.mp3").c_str(), CardW("\\A\\B\\x.mp3").c_str()), 0u);

  // The same with the folder in between removed and made again.
  EXPECT_FALSE(Exists("\\A\\B\\C\\NONE.TXT"));
  fs::remove_all(card.root() / "A" / "B");
  card.WriteFile("A/B/C/again.txt", "a");
  EXPECT_TRUE(Exists("\\A\\B\\C\\AGAIN.TXT"));
  EXPECT_FALSE(Exists("\\A\\B\\C\\NEW.TXT"));
  EXPECT_EQ(card.Tree(), (std::vector<std::string>{"A/", "A/B/", "A/B/C/", "A/B/C/again.txt", "Z/",
                                                   "Z/B/", "Z/B/C/", "Z/B/C/old.txt", "Z/B/x.mp3",
                                                   "work.lst"}));
}

TEST(HostChanges, MovesAndOpensSeeANameMadeInAnotherCaseAfterALookup) {
  TempCard card;
  card.WriteFile("A/x.mp3", "x");
  EXPECT_FALSE(Exists("\\A\\001.MP3"));  // the host has looked into A
  card.WriteFile("A/001.mp3", "taken");
  EXPECT_EQ(HostMove(CardW("\\A\\x.mp3").c_str(), CardW("\\A\\001.MP3").c_str()),
            HostErrorAlreadyExists());
  EXPECT_EQ(card.ReadFile("A/001.mp3"), "taken");
  EXPECT_EQ(card.ReadFile("A/x.mp3"), "x");

  EXPECT_FALSE(Exists("\\A\\LOG.TXT"));
  card.WriteFile("A/log.txt", "old");
  std::FILE* file = HostOpen(Card("\\A\\LOG.TXT").c_str(), "wb");  // the same file
  ASSERT_NE(file, nullptr);
  std::fputs("new", file);
  std::fclose(file);
  EXPECT_EQ(card.ReadFile("A/log.txt"), "new");
  EXPECT_EQ(card.Tree(), (std::vector<std::string>{"A/", "A/001.mp3", "A/log.txt", "A/x.mp3"}));
}

// Listings show what a folder holds now, and what each entry is, also for
// entries made or removed behind the host's back after it looked.
TEST(HostChanges, ListingsShowEntriesMadeAndRemovedBehindTheirBack) {
  TempCard card;
  card.WriteFile("A/one.mp3", "1");
  card.WriteFile("A/gone.mp3", "g");
  EXPECT_EQ(Listed("\\A"), (std::vector<std::string>{"gone.mp3", "one.mp3"}));
  card.WriteFile("A/two.mp3", "2");
  card.MakeDir("A/sub.mp3");
  fs::remove(card.root() / "A" / "gone.mp3");
  fs::rename(card.root() / "A" / "one.mp3", card.root() / "A" / "001.MP3");
  EXPECT_EQ(Listed("\\A"), (std::vector<std::string>{"001.MP3", "sub.mp3/", "two.mp3"}));
  ASSERT_TRUE(HostWriteFileListing(Card("\\A").c_str(), "work.lst"));
  EXPECT_EQ(card.ReadFile("work.lst"), "001.MP3\r\ntwo.mp3\r\n");
  // A folder where a file was, and a file where a folder was.
  fs::remove(card.root() / "A" / "two.mp3");
  card.MakeDir("A/two.mp3");
  fs::remove(card.root() / "A" / "sub.mp3");
  card.WriteFile("A/sub.mp3", "s");
  EXPECT_EQ(Listed("\\A"), (std::vector<std::string>{"001.MP3", "sub.mp3", "two.mp3/"}));
  EXPECT_EQ(HostOpen(Card("\\A\\TWO.MP3").c_str(), "rb"), nullptr);
  std::FILE* file = HostOpen(Card("\\A\\SUB.MP3").c_str(), "rb");
  ASSERT_NE(file, nullptr);
  std::fclose(file);
#ifndef _WIN32
  // A pipe made behind its back is no file: never listed as one, never
  // opened (reading it would wait forever).
  ASSERT_EQ(mkfifo((card.root() / "A" / "pipe.mp3").c_str(), 0644), 0);
  EXPECT_EQ(Listed("\\A"), (std::vector<std::string>{"001.MP3", "pipe.mp3", "sub.mp3", "two.mp3/"}));
  ASSERT_TRUE(HostWriteFileListing(Card("\\A").c_str(), "work.lst"));
  EXPECT_EQ(card.ReadFile("work.lst"), "001.MP3\r\nsub.mp3\r\n");
  EXPECT_EQ(HostOpen(Card("\\A\\PIPE.MP3").c_str(), "rb"), nullptr);
#endif
}

// A listing in progress keeps its names while other folders are listed
// (and changed) in between, as the rename pass does going down the tree.
TEST(HostChanges, ListingsInProgressNestAndKeepTheirNames) {
  TempCard card;
  for (const char* name : {"A/B1/x.mp3", "A/B2/y.mp3", "A/B3/z.mp3"}) card.WriteFile(name, "");
  HostFind outer{};
  HostFindEntry entry{};
  std::vector<std::string> seen;
  for (bool more = HostFindFirst(outer, CardW("\\A").c_str(), u"*.*", entry); more;
       more = HostFindNext(outer, entry)) {
    std::string name = ToUtf8(entry.name);
    if (name == "." || name == "..") continue;
    seen.push_back(name);
    std::u16string folder = CardW("\\A\\" + name);
    HostFind inner{};
    HostFindEntry file{};
    ASSERT_TRUE(HostFindFirst(inner, folder.c_str(), u"*.MP3", file));
    std::u16string from = folder + u"\\" + file.name;
    EXPECT_EQ(HostMove(from.c_str(), (folder + u"\\001.MP3").c_str()), 0u);
    EXPECT_FALSE(HostFindNext(inner, file));
    HostFindClose(inner);
  }
  HostFindClose(outer);
  std::sort(seen.begin(), seen.end());
  EXPECT_EQ(seen, (std::vector<std::string>{"B1", "B2", "B3"}));
  EXPECT_EQ(card.Tree(), (std::vector<std::string>{"A/", "A/B1/", "A/B1/001.MP3", "A/B2/",
                                                   "A/B2/001.MP3", "A/B3/", "A/B3/001.MP3"}));
}

TEST(HostChanges, ARewrittenListingKeepsNothingOfALongerOne) {
  TempCard card;
  for (const char* name : {"A/a1.mp3", "A/a2.mp3", "A/a3.mp3", "B/b.mp3"}) card.WriteFile(name, "");
  ASSERT_TRUE(HostWriteFileListing(Card("\\A").c_str(), "work.lst"));
  EXPECT_EQ(card.ReadFile("work.lst"), "a1.mp3\r\na2.mp3\r\na3.mp3\r\n");
  ASSERT_TRUE(HostWriteFileListing(Card("\\B").c_str(), "work.lst"));
  EXPECT_EQ(card.ReadFile("work.lst"), "b.mp3\r\n");
  ASSERT_TRUE(HostWriteFolderListing("work.lst"));
  EXPECT_EQ(card.ReadFile("work.lst"), Card("\\A") + "\r\n" + Card("\\B") + "\r\n");
}

}  // namespace
