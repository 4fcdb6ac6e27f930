#include "testing/id3_builder.h"

std::vector<uint8_t> BuildId3(uint8_t major, const std::vector<Id3Frame>& frames) {
  std::vector<uint8_t> body;
  int sizeBytes = major == 2 ? 3 : 4;
  for (const Id3Frame& f : frames) {
    body.insert(body.end(), f.id.begin(), f.id.end());
    uint64_t size = f.size >= 0 ? static_cast<uint64_t>(f.size) : f.body.size();
    for (int i = sizeBytes - 1; i >= 0; --i) body.push_back(static_cast<uint8_t>(size >> (8 * i)));
    if (major != 2) body.resize(body.size() + 2, 0);  // flags
    body.insert(body.end(), f.body.begin(), f.body.end());
  }
  body.resize(body.size() + 16, 0);
  std::vector<uint8_t> tag = {'I', 'D', '3', major, 0, 0};
  for (int shift = 21; shift >= 0; shift -= 7)
    tag.push_back(static_cast<uint8_t>((body.size() >> shift) & 0x7F));
  tag.insert(tag.end(), body.begin(), body.end());
  return tag;
}

std::vector<uint8_t> Latin1Text(const std::string& bytes, bool terminated) {
  std::vector<uint8_t> out(bytes.size() + (terminated ? 2 : 1), 0);
  for (size_t i = 0; i < bytes.size(); ++i) out[i + 1] = static_cast<uint8_t>(bytes[i]);
  return out;
}

std::vector<uint8_t> Utf16Text(const std::u16string& text, Bom bom, bool terminated) {
  bool big = bom == Bom::kBigEndian;
  std::vector<uint8_t> out = {1};
  std::u16string units = (bom == Bom::kNone ? u"" : u"\xFEFF") + text;
  if (terminated) units += u'\0';
  for (char16_t u : units) {
    uint8_t lo = static_cast<uint8_t>(u & 0xFF), hi = static_cast<uint8_t>(u >> 8);
    out.push_back(big ? hi : lo);
    out.push_back(big ? lo : hi);
  }
  return out;
}

std::vector<uint8_t> Mp3WithTag(const std::vector<uint8_t>& tag) {
  std::vector<uint8_t> file = tag;
  const uint8_t frameHeader[] = {0xFF, 0xFB, 0x90, 0x64};  // MPEG-1 Layer III, 128 kbit/s
  file.insert(file.end(), frameHeader, frameHeader + 4);
  file.resize(file.size() + 64, 0);
  return file;
}
