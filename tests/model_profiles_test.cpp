// Every row of the model profiles, run as a user picks it: the run writes the files its row names,
// in their record sizes, and none that only other rows name.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "model/model_profile.h"
#include "testing/e2e_card.h"
#include "testing/fontx_builder.h"

namespace {

std::set<std::string> FilesOf(const ModelProfile& p) {
  std::set<std::string> files;
  for (const char* name : {p.folderList, p.indexFile, p.menuFile, p.messageImageFile,
                           p.characterImageFile, p.pluginFile}) {
    if (name != nullptr) files.insert(name);
  }
  for (const char* name : {p.trackList, p.volumeFile, p.secondVolumeFile})
    if (name != nullptr) files.insert(std::string("ALBUM/") + name);
  return files;
}

TEST(ModelProfiles, EachRowsRunWritesItsFilesAndNoneOfTheOthers) {
  for (const ModelProfile& row : kModelProfiles) {
    for (int answer : {row.number, row.alsoNumber}) {
      if (answer == 0) continue;
      SCOPED_TRACE(std::to_string(answer));
      TempCard card;
      if (row.needsFonts) WriteTestFontSet();
      card.WriteFile("ALBUM/song.mp3", "song");
      card.WriteFile("ALBUM/other song.mp3", "other");
      std::string answers = "go\n" + std::to_string(answer) + "\n" + (row.needsFonts ? "0\n" : "");
      ToolResult r = RunOn(card, answers);
      // A plugin image this build lacks is said, and its file not written.
      std::set<std::string> expected = FilesOf(row);
      if (row.pluginFile != nullptr && !card.Exists(row.pluginFile)) {
        const std::string said = std::string(row.pluginFile) + " は書き込まない";
        EXPECT_TRUE(Printed(r, said));
        EXPECT_EQ(r.output.find(said), r.output.rfind(said)) << r.output;
        expected.erase(row.pluginFile);
      }
      EXPECT_EQ(r.status, 0) << r.output;
      for (const std::string& file : expected) EXPECT_TRUE(card.Exists(file)) << file;
      EXPECT_EQ(card.ReadFile(row.folderList).size() % row.folderRecord, 0u);
      EXPECT_EQ(card.ReadFile(std::string("ALBUM/") + row.trackList).size(), 2u * row.trackRecord);
      for (const ModelProfile& other : kModelProfiles) {
        for (const std::string& file : FilesOf(other)) {
          if (!FilesOf(row).contains(file)) {
            EXPECT_FALSE(card.Exists(file)) << file;
          }
        }
      }
    }
  }
}

}  // namespace
