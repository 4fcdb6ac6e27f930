#include "testing/id3_builder.h"

// Every 0xFF followed by a zero byte or a byte from 0xE0 gets a zero byte after it.
static std::vector<uint8_t> Unsynchronise(const std::vector<uint8_t>& bytes) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i < bytes.size(); ++i) {
    out.push_back(bytes[i]);
    if (bytes[i] == 0xFF && (i + 1 == bytes.size() || bytes[i + 1] == 0 || bytes[i + 1] >= 0xE0))
      out.push_back(0);
  }
  return out;
}

std::vector<uint8_t> Id3FrameBytes(uint8_t major, const Id3Frame& f) {
  std::vector<uint8_t> out(f.id.begin(), f.id.end());
  std::vector<uint8_t> body = major == 4 && (f.format & 0x02) ? Unsynchronise(f.body) : f.body;
  uint64_t size = f.size >= 0 ? static_cast<uint64_t>(f.size) : body.size();
  int sizeBytes = major == 2 ? 3 : 4;
  int bits = major == 4 ? 7 : 8;
  for (int i = sizeBytes - 1; i >= 0; --i)
    out.push_back(static_cast<uint8_t>((size >> (bits * i)) & ((1u << bits) - 1)));
  if (major != 2) out.insert(out.end(), {0, f.format});
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

std::vector<uint8_t> BuildId3(uint8_t major, const std::vector<Id3Frame>& frames, uint8_t flags) {
  std::vector<uint8_t> body;
  for (const Id3Frame& f : frames) {
    std::vector<uint8_t> bytes = Id3FrameBytes(major, f);
    body.insert(body.end(), bytes.begin(), bytes.end());
  }
  body.resize(body.size() + 16, 0);
  if (major < 4 && (flags & 0x80)) body = Unsynchronise(body);
  std::vector<uint8_t> tag = {'I', 'D', '3', major, 0, flags};
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
