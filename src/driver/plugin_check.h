// Checks of a decoder plugin image in the vendor's compressed format: a
// sequence of records, each a register word and a count word, then either
// count data words (count < 0x8000) or one word repeated count - 0x8000
// times. Everything is constexpr so that a built-in image is checked when
// the program is compiled.
#pragma once

#include <cstdint>

struct PluginShape {
  int records;          // -1 when the records do not fill the image exactly
  uint32_t registers;   // bit r set when register r is written
  int lastRegister;     // register of the last record
  int registerTenUses;  // how often register 10 (start code) appears
};

constexpr PluginShape PluginShapeOf(const uint16_t* words, int count) {
  PluginShape shape{0, 0, -1, 0};
  int i = 0;
  while (i < count) {
    if (i + 2 > count) return PluginShape{-1, 0, -1, 0};
    uint16_t reg = words[i];
    uint16_t n = words[i + 1];
    int body = n < 0x8000 ? n : 1;
    if (n == 0x8000 || i + 2 + body > count) return PluginShape{-1, 0, -1, 0};
    if (reg < 32)
      shape.registers |= 1u << reg;
    else
      shape.registers |= 1u << 31;  // an unexpected register
    if (reg == 10) ++shape.registerTenUses;
    shape.lastRegister = reg;
    ++shape.records;
    i += 2 + body;
  }
  return shape;
}

// CRC-32 (IEEE, reflected, as zip computes it) of the words stored
// little-endian.
constexpr uint32_t PluginCrc32(const uint16_t* words, int count) {
  uint32_t crc = 0xFFFFFFFFu;
  for (int i = 0; i < count; ++i) {
    for (int half = 0; half < 2; ++half) {
      crc ^= half == 0 ? (words[i] & 0xFFu) : (words[i] >> 8);
      for (int bit = 0; bit < 8; ++bit) {
        crc = (crc & 1u) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
      }
    }
  }
  return ~crc;
}
