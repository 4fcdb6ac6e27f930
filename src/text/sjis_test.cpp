#include "text/sjis.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

namespace {

// The join names the files a run opens: it must write what snprintf("%s\\%.*s") writes.
TEST(JoinPathText, WritesWhatAFormattedJoinWouldAtEverySize) {
  const char* folder = "\\\x83\x7D\x83\x8A\\ALBUM";  // a folder with a double-byte name
  const char* name = "TRACK001.MP3";
  for (int nameMax : {1 << 30, 5, 0}) {
    int whole = std::snprintf(nullptr, 0, "%s\\%.*s", folder, nameMax, name);
    for (int size = 0; size <= 64; ++size) {
      char joined[64];
      char formatted[64];
      std::memset(joined, 'x', sizeof joined);
      std::memset(formatted, 'x', sizeof formatted);
      EXPECT_EQ(JoinPathText(joined, size, folder, name, nameMax), whole) << size;
      std::snprintf(formatted, static_cast<size_t>(size), "%s\\%.*s", folder, nameMax, name);
      EXPECT_EQ(std::memcmp(joined, formatted, sizeof joined), 0) << "size " << size;
    }
  }
}

}  // namespace
