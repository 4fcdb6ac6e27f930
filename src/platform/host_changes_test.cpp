// The host answers from the disk as it is now, also when files change
// behind its back between two calls, and a rewritten work file keeps
// nothing of longer contents it held before.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

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

// prefix, i, suffix ("t", 3, ".mp3": "t3.mp3"), built up in place: a
// literal + std::string draws a false -Wrestrict warning from MinGW's g++ 12.
std::string Numbered(const char* prefix, int i, const char* suffix) {
  std::string name = prefix;
  name += std::to_string(i);
  name += suffix;
  return name;
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
  for (int i = 0; i < 12; ++i)
    card.WriteFile(std::string("F").append(std::to_string(i)) + "/a.txt", "a");
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
  EXPECT_EQ(card.Tree(),
            (std::vector<std::string>{"A/", "A/B/", "A/B/C/", "A/B/C/again.txt", "Z/", "Z/B/",
                                      "Z/B/C/", "Z/B/C/old.txt", "Z/B/x.mp3", "work.lst"}));
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

// Renames in a row in one folder, as the rename pass makes them, while
// files change behind the host's back in between: a name the host's own
// renames took stays taken in every case, the name they left is free, no
// rename replaces a file, and lookups afterwards see every change.
TEST(HostChanges, RenamesInARowSeeTheirOwnNamesAndWhatChangesBetween) {
  TempCard card;
  for (int i = 0; i < 48; ++i)
    card.WriteFile("A/t" + std::to_string(i) + ".mp3", std::to_string(i));
  EXPECT_FALSE(Exists("\\A\\NONE.TXT"));  // the host has looked into A
  auto Move = [](const std::string& from, const std::string& to) {
    return HostMove(CardW("\\A\\" + from).c_str(), CardW("\\A\\" + to).c_str());
  };
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(Move(Numbered("t", i, ".mp3"), Numbered("00", i, ".MP3")), 0u);
  }
  EXPECT_EQ(Move("t3.mp3", "001.mp3"), HostErrorAlreadyExists());
  EXPECT_EQ(Move("t3.mp3", "T0.MP3"), 0u);
  EXPECT_EQ(Move("t0.mp3", "003.MP3"), 0u);

  card.WriteFile("A/004.MP3", "taken");
  EXPECT_EQ(Move("t4.mp3", "004.MP3"), HostErrorAlreadyExists());
  EXPECT_EQ(Move("001.mp3", "005.MP3"), 0u);
  fs::remove(card.root() / "A" / "t5.mp3");
  EXPECT_NE(Move("t5.mp3", "006.MP3"), 0u);
  EXPECT_EQ(Move("t6.mp3", "006.MP3"), 0u);
  fs::rename(card.root() / "A" / "t7.mp3", card.root() / "A" / "Seven.mp3");
  EXPECT_EQ(Move("seven.MP3", "007.MP3"), 0u);
  for (int i = 8; i < 48; ++i) {  // more than the host lets wait unread
    EXPECT_EQ(Move(Numbered("t", i, ".mp3"), Numbered("", 100 + i, ".MP3")), 0u) << i;
  }

  EXPECT_EQ(card.ReadFile("A/000.MP3"), "0");
  EXPECT_EQ(card.ReadFile("A/003.MP3"), "3");
  EXPECT_EQ(card.ReadFile("A/004.MP3"), "taken");
  EXPECT_EQ(card.ReadFile("A/t4.mp3"), "4");
  EXPECT_EQ(card.ReadFile("A/005.MP3"), "1");
  EXPECT_EQ(card.ReadFile("A/147.MP3"), "47");
  EXPECT_TRUE(Exists("\\A\\002.mp3"));
  EXPECT_TRUE(Exists("\\A\\007.mp3"));
  EXPECT_FALSE(Exists("\\A\\T0.MP3"));
  EXPECT_FALSE(Exists("\\A\\t47.mp3"));
  ASSERT_TRUE(HostWriteFileListing(Card("\\A").c_str(), "work.lst"));
  std::string listed = card.ReadFile("work.lst");
  EXPECT_EQ(std::count(listed.begin(), listed.end(), '\n'), 48);  // one made, t5 gone
}

// Renames in one folder between names of every kind, shorter and longer,
// ASCII and Japanese: afterwards each file is found under its new name in
// any case and under none of its old names, a new name is not given twice,
// and the folder lists each file once, under its new name.
TEST(HostChanges, RenamedFilesAreFoundByTheirNewNamesOnly) {
  TempCard card;
  card.WriteFile("A/日本の歌 長い名前.mp3", "1");
  card.WriteFile("A/Ωmega song.mp3", "2");
  card.WriteFile("A/abc.mp3", "3");
  card.WriteFile("A/a long ascii name.mp3", "4");
  EXPECT_FALSE(Exists("\\A\\NONE.TXT"));  // the host has looked into A
  auto Move = [](const std::string& from, const std::string& to) {
    return HostMove(CardW("\\A\\" + from).c_str(), CardW("\\A\\" + to).c_str());
  };
  EXPECT_EQ(Move("日本の歌 長い名前.mp3", "日本b.MP3"), 0u);  // shorter, Japanese
  EXPECT_EQ(Move("ΩMEGA SONG.MP3", "001.MP3"), 0u);           // to ASCII
  EXPECT_EQ(Move("abc.mp3", "日本語の名前 abc.mp3"), 0u);     // longer
  EXPECT_EQ(Move("a long ascii name.mp3", "002.MP3"), 0u);

  EXPECT_TRUE(Exists("\\A\\日本B.mp3"));
  EXPECT_TRUE(Exists("\\A\\001.mp3"));
  EXPECT_TRUE(Exists("\\A\\日本語の名前 ABC.MP3"));
  EXPECT_TRUE(Exists("\\A\\002.mp3"));
  for (const char* old :
       {"日本の歌 長い名前.mp3", "Ωmega song.mp3", "ABC.MP3", "a long ascii name.mp3"}) {
    std::string path = "\\A\\";
    path += old;
    EXPECT_FALSE(Exists(path)) << old;
  }
  std::FILE* file = HostOpen(Card("\\A\\日本B.MP3").c_str(), "rb");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(std::fgetc(file), '1');
  std::fclose(file);
  // A refused move reads the folder anew: the names above came from the renames.
  EXPECT_EQ(Move("日本語の名前 ABC.MP3", "002.mp3"), HostErrorAlreadyExists());
  EXPECT_EQ(Move("日本B.mp3", "001.mp3"), HostErrorAlreadyExists());

  HostFind find{};
  HostFindEntry entry{};
  std::vector<std::string> names;
  for (bool more = HostFindFirst(find, CardW("\\A").c_str(), u"*.MP3", entry); more;
       more = HostFindNext(find, entry)) {
    names.push_back(ToUtf8(entry.name));
  }
  HostFindClose(find);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names,
            (std::vector<std::string>{"001.MP3", "002.MP3", "日本b.MP3", "日本語の名前 abc.mp3"}));
  EXPECT_EQ(card.ReadFile("A/001.MP3"), "2");
  EXPECT_EQ(card.ReadFile("A/002.MP3"), "4");
}

#ifndef _WIN32
// More folders than the POSIX host keeps names of: every lookup still
// answers from the disk as it is, before and after the host starts its
// names again.
TEST(HostChanges, MoreFoldersThanTheHostKeepsAllAnswerRight) {
  TempCard card;
  constexpr int kFolders = 4200;
  auto folder = [](int i) {
    char name[16];
    std::snprintf(name, sizeof name, "F%d", 10000 + i);
    return std::string(name);
  };
  for (int i = 0; i < kFolders; ++i) card.WriteFile(folder(i) + "/a.txt", "a");
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < kFolders; ++i) {
      ASSERT_EQ(Exists("\\" + folder(i) + "\\A.TXT"), round == 0) << folder(i);
      ASSERT_FALSE(Exists("\\" + folder(i) + "\\B.TXT")) << folder(i);
      if (round == 0) fs::remove(card.root() / folder(i) / "a.txt");
    }
  }
}
#endif

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

#ifndef _WIN32
// A file the host made itself, whose name a pipe then takes behind its back
// (made anew after the file went, or moved over it), is no file to open:
// opening it fails at once instead of waiting for a writer.
TEST(HostChanges, APipeThatTookTheNameOfAFileTheHostMadeIsNotOpened) {
  TempCard card;
  card.MakeDir("A");
  fs::path path = card.root() / "A" / "MADE.DAT";
  for (bool movedOver : {false, true}) {
    std::FILE* made = HostOpen(Card("\\A\\MADE.DAT").c_str(), "wb");
    ASSERT_NE(made, nullptr);
    std::fclose(made);
    if (movedOver) {
      fs::path pipe = card.root() / "A" / "pipe";
      ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
      fs::rename(pipe, path);
    } else {
      fs::remove(path);
      ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    }
    EXPECT_EQ(HostOpen(Card("\\A\\MADE.DAT").c_str(), "rb"), nullptr) << movedOver;
    fs::remove(path);
  }
}

// The heads of files read one after another, while what their names lead
// to changes behind the host's back in between: each read gives what is
// there now, or nothing when that is no file (and never waits for a pipe).
TEST(HostChanges, HeadsReadInARowFollowWhatTheNamesLeadTo) {
  TempCard card;
  card.WriteFile("A/one.mp3", std::string(2000, '1'));
  card.WriteFile("A/two.mp3", std::string(2000, '2'));
  char head[1024];
  auto Head = [&](const char* cardPath) {
    int got = HostReadFileHead(Card(cardPath).c_str(), head, sizeof head);
    return got < 0 ? std::string("none") : std::string(head, static_cast<size_t>(got));
  };
  EXPECT_EQ(Head("\\A\\one.mp3"), std::string(1024, '1'));  // the host keeps A's names

  card.WriteFile("A/one.mp3", "short");  // written anew: shorter
  EXPECT_EQ(Head("\\A\\one.mp3"), "short");
  card.WriteFile("A/one.mp3", "");
  EXPECT_EQ(Head("\\A\\one.mp3"), "");

  fs::remove(card.root() / "A" / "one.mp3");  // a folder or a pipe takes the name
  card.MakeDir("A/one.mp3");
  EXPECT_EQ(Head("\\A\\one.mp3"), "none");
  fs::remove(card.root() / "A" / "one.mp3");
  ASSERT_EQ(mkfifo((card.root() / "A" / "one.mp3").c_str(), 0600), 0);
  EXPECT_EQ(Head("\\A\\one.mp3"), "none");
  fs::path pipe = card.root() / "A" / "pipe";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  fs::rename(pipe, card.root() / "A" / "two.mp3");
  EXPECT_EQ(Head("\\A\\two.mp3"), "none");
  fs::remove(card.root() / "A" / "one.mp3");
  fs::remove(card.root() / "A" / "two.mp3");

  // The name goes and comes back in another case; where both spellings are
  // there (a disk that tells case apart), the one asked for is read.
  card.WriteFile("A/song.mp3", "lower");
  EXPECT_EQ(Head("\\A\\song.mp3"), "lower");
  fs::rename(card.root() / "A" / "song.mp3", card.root() / "A" / "Other.mp3");
  card.WriteFile("A/SONG.MP3", "upper");
  EXPECT_EQ(Head("\\A\\song.mp3"), "upper");
  card.WriteFile("A/song.mp3", "lower again");
  EXPECT_EQ(Head("\\A\\song.mp3"), "lower again");
  EXPECT_EQ(Head("\\A\\SONG.MP3"), "upper");
  EXPECT_EQ(Head("\\A\\OTHER.MP3"), "lower");
}
#endif

}  // namespace
