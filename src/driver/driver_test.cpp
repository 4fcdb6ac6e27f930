#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>

#include "driver/plugin_check.h"
#include "driver/plugin_images.h"
#include "driver/run_driver.h"
#include "testing/temp_card.h"

TEST(ParseLeadingNumber, ReadsLikeAtoi) {
  const std::pair<const char*, int> cases[] = {
      {"10\n", 10},
      {"  \t8 and more", 8},
      {"+12", 12},
      {"-4", -4},
      {"9x", 9},
      {"a10", 0},
      {"", 0},
      {"- 4", 0},
      {"99999999999999999999", 2147483647},
      {"-99999999999999999999", -2147483647 - 1},
      // Full-width digits, code page 932 and UTF-8, mixed with ASCII ones: "１０", "１2", " ９".
      {"\x82\x50\x82\x4F", 10},
      {"\x82\x50\x32", 12},
      {" \xEF\xBC\x99", 9},
      {"\x82\x59", 0},
      {"\xEF\xBC\x9A", 0}};
  for (auto [text, number] : cases) EXPECT_EQ(ParseLeadingNumber(text), number) << text;
}

// A made-up image: a write-address record, a data record, a run record and a start record.
constexpr uint16_t kMadeUp[] = {0x0007, 0x0001, 0x8030, 0x0006, 0x0002, 0x1234, 0xABCD,
                                0x0006, 0x8006, 0x0000, 0x000A, 0x0001, 0x0050};

TEST(Plugin, CheckReadsTheRecordsAndTheZipCrcAndTheImageIsCountThenWords) {
  constexpr PluginShape shape = PluginShapeOf(kMadeUp, 13);
  static_assert(shape.records == 4);
  EXPECT_EQ(shape.registers, (1u << 6) | (1u << 7) | (1u << 10));
  EXPECT_EQ(shape.lastRegister, 10);
  EXPECT_EQ(shape.registerTenUses, 1);
  // A record that runs past the end, or a table cut inside a record header.
  EXPECT_EQ(PluginShapeOf(kMadeUp, 12).records, -1);
  EXPECT_EQ(PluginShapeOf(kMadeUp, 6).records, -1);
  EXPECT_EQ(PluginShapeOf(kMadeUp, 4).records, -1);
  // "12345678" stored as little-endian words.
  constexpr uint16_t words[] = {0x3231, 0x3433, 0x3635, 0x3837};
  static_assert(PluginCrc32(words, 4) == 0x9AE0DAAFu);
  EXPECT_EQ(PluginCrc32(words, 0), 0u);
  TempCard card;  // The image file: the count, then the words, little-endian.
  ASSERT_TRUE(WritePluginImage("PLUGIN.DAT", kMadeUp, 13));
  std::string bytes = card.ReadFile("PLUGIN.DAT");
  ASSERT_EQ(bytes.size(), 2u + 26u);
  EXPECT_EQ(bytes.substr(0, 5), std::string("\x0D\x00\x07\x00\x01", 5));
  EXPECT_EQ(bytes.substr(26), std::string("\x50\x00", 2));
}
