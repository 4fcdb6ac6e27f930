#include "scan/directory_list.h"

#include <gtest/gtest.h>

#include <string>

#include "state/run_state.h"
#include "testing/rename_card.h"

namespace {

// (A folder in the way of the list: the catalogue-faults test.)
TEST(DirectoryList, AnUnreadListingGivesTheHeaderAlone) {
  ScanCard scan(4);
  EXPECT_TRUE(WriteDirectoryList(scan.state()));
  EXPECT_EQ(scan.card().ReadFile("DIRLST04.DAT"), std::string(128, '\0'));
}

}  // namespace
