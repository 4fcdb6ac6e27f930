#include "testing/id3_builder.h"

namespace {

void PutBigEndian(std::vector<uint8_t>& out, uint64_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

std::vector<uint8_t> BuildTag(uint8_t major, const std::vector<Id3Frame>& frames, int padding) {
  std::vector<uint8_t> body;
  int headerBytes = major == 2 ? 6 : 10;
  for (const Id3Frame& f : frames) {
    body.insert(body.end(), f.id.begin(), f.id.end());
    uint64_t size = f.size >= 0 ? static_cast<uint64_t>(f.size) : f.body.size();
    PutBigEndian(body, size, headerBytes == 6 ? 3 : 4);
    if (headerBytes == 10) body.resize(body.size() + 2, 0);  // flags
    body.insert(body.end(), f.body.begin(), f.body.end());
  }
  body.insert(body.end(), static_cast<size_t>(padding), 0);

  std::vector<uint8_t> tag = {'I', 'D', '3', major, 0, 0};
  uint32_t n = static_cast<uint32_t>(body.size());
  for (int shift = 21; shift >= 0; shift -= 7)
    tag.push_back(static_cast<uint8_t>((n >> shift) & 0x7F));
  tag.insert(tag.end(), body.begin(), body.end());
  return tag;
}

}  // namespace

Id3Frame Id3TextFrame(const std::string& id, const std::vector<uint8_t>& encodedText,
                      int64_t size) {
  return Id3Frame{id, encodedText, size};
}

std::vector<uint8_t> Latin1Text(const std::string& bytes, bool terminated) {
  std::vector<uint8_t> out(bytes.size() + (terminated ? 2 : 1), 0);
  for (size_t i = 0; i < bytes.size(); ++i) out[i + 1] = static_cast<uint8_t>(bytes[i]);
  return out;
}

std::vector<uint8_t> Utf16Text(const std::u16string& text, Bom bom, bool terminated) {
  std::vector<uint8_t> out = {1};
  bool big = bom == Bom::kBigEndian;
  if (bom != Bom::kNone) {
    out.push_back(big ? 0xFE : 0xFF);
    out.push_back(big ? 0xFF : 0xFE);
  }
  auto put = [&](char16_t u) {
    uint8_t lo = static_cast<uint8_t>(u & 0xFF), hi = static_cast<uint8_t>(u >> 8);
    out.push_back(big ? hi : lo);
    out.push_back(big ? lo : hi);
  };
  for (char16_t u : text) put(u);
  if (terminated) put(0);
  return out;
}

std::vector<uint8_t> BuildId3v22(const std::vector<Id3Frame>& frames, int padding) {
  return BuildTag(2, frames, padding);
}

std::vector<uint8_t> BuildId3v23(const std::vector<Id3Frame>& frames, int padding) {
  return BuildTag(3, frames, padding);
}

std::vector<uint8_t> BuildId3WithVersion(uint8_t major, const std::vector<Id3Frame>& frames) {
  std::vector<uint8_t> tag = BuildTag(3, frames, 16);
  tag[3] = major;
  return tag;
}

std::vector<uint8_t> Mp3WithTag(const std::vector<uint8_t>& tag) {
  std::vector<uint8_t> file = tag;
  // MPEG-1 Layer III, 128 kbit/s, 44.1 kHz: a frame header the way an
  // encoder writes it, then silence.
  const uint8_t frameHeader[] = {0xFF, 0xFB, 0x90, 0x64};
  file.insert(file.end(), frameHeader, frameHeader + 4);
  file.resize(file.size() + 64, 0);
  return file;
}
