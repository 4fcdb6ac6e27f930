#include "driver/plugin_images.h"

#include <cstdio>
#include <cstring>

#include "driver/plugin_check.h"
#include "platform/host.h"

namespace {

constexpr char kPshftName[] = "PSHFT131.DAT";
constexpr char kSpeanaName[] = "SPEANA.DAT";

#if CARDPREP_HAVE_PSHFT131
constexpr uint16_t kPshftWords[] = {
#include "plugin_PSHFT131.inc"
};
constexpr int kPshftCount = sizeof kPshftWords / sizeof kPshftWords[0];
constexpr PluginShape kPshftShape = PluginShapeOf(kPshftWords, kPshftCount);
static_assert(kPshftCount == 1373, "data/plugins/PSHFT131.plg: expected 1373 words");
static_assert(kPshftShape.records == 23, "data/plugins/PSHFT131.plg: expected 23 whole records");
static_assert(kPshftShape.registers == ((1u << 6) | (1u << 7)),
              "data/plugins/PSHFT131.plg: expected registers 6 and 7 only");
static_assert(kPshftWords[0] == 0x0007 && kPshftWords[1] == 0x0001 && kPshftWords[2] == 0x8030,
              "data/plugins/PSHFT131.plg: unexpected first record");
static_assert(PluginCrc32(kPshftWords, kPshftCount) == 0x7C56503Eu,
              "data/plugins/PSHFT131.plg: CRC-32 is not 7C56503E");
#endif

#if CARDPREP_HAVE_SPEANA
constexpr uint16_t kSpeanaWords[] = {
#include "plugin_SPEANA.inc"
};
constexpr int kSpeanaCount = sizeof kSpeanaWords / sizeof kSpeanaWords[0];
constexpr PluginShape kSpeanaShape = PluginShapeOf(kSpeanaWords, kSpeanaCount);
static_assert(kSpeanaCount == 1009, "data/plugins/SPEANA.plg: expected 1009 words");
static_assert(kSpeanaShape.records == 18, "data/plugins/SPEANA.plg: expected 18 whole records");
static_assert(kSpeanaShape.registers == ((1u << 6) | (1u << 7) | (1u << 10)),
              "data/plugins/SPEANA.plg: expected registers 6, 7 and 10");
static_assert(kSpeanaShape.registerTenUses == 1 && kSpeanaShape.lastRegister == 10,
              "data/plugins/SPEANA.plg: register 10 must appear once, at the end");
static_assert(kSpeanaWords[0] == 0x0007 && kSpeanaWords[1] == 0x0001 && kSpeanaWords[2] == 0x8050,
              "data/plugins/SPEANA.plg: unexpected first record");
static_assert(PluginCrc32(kSpeanaWords, kSpeanaCount) == 0xB197D1AEu,
              "data/plugins/SPEANA.plg: CRC-32 is not B197D1AE");
#endif

}  // namespace

void GetDecoderPluginImage(const char* name, const char*& fileName, const uint16_t*& words,
                           int& count) {
  fileName = nullptr;
  words = nullptr;
  count = 0;
  if (name == nullptr) return;
  if (std::strcmp(name, kPshftName) == 0) {
    fileName = kPshftName;
#if CARDPREP_HAVE_PSHFT131
    words = kPshftWords;
    count = kPshftCount;
#endif
  } else if (std::strcmp(name, kSpeanaName) == 0) {
    fileName = kSpeanaName;
#if CARDPREP_HAVE_SPEANA
    words = kSpeanaWords;
    count = kSpeanaCount;
#endif
  }
}

bool WritePluginImage(const char* fileName, const uint16_t* words, int count) {
  std::FILE* file = HostOpen(fileName, "wb");
  if (file == nullptr) return false;
  bool ok = std::fputc(count & 0xFF, file) != EOF && std::fputc((count >> 8) & 0xFF, file) != EOF;
  for (int i = 0; ok && i < count; ++i) {
    ok = std::fputc(words[i] & 0xFF, file) != EOF && std::fputc(words[i] >> 8, file) != EOF;
  }
  return std::fclose(file) == 0 && ok;
}
