#include "base/display_text.h"

#include <algorithm>
#include <iterator>

#include "platform/host.h"
#include "text/utf.h"

namespace {

struct Composition {
  uint16_t first, second, composed;
};
constexpr Composition kCompositions[] = {
#include "base/composition_table.inc"
};

struct ClassRun {
  uint16_t first, last;
  uint8_t combiningClass;
};
constexpr ClassRun kClassRuns[] = {
#include "base/combining_class_table.inc"
};

struct BestFit {
  uint16_t character, code;
};
constexpr BestFit kBestFit[] = {
#include "base/best_fit_table.inc"
};

// Hangul syllables are composed by rule: leading consonant + vowel, then
// that + trailing consonant.
constexpr uint32_t kHangulBase = 0xAC00, kLeadBase = 0x1100, kVowelBase = 0x1161,
                   kTrailBase = 0x11A7;
constexpr uint32_t kLeadCount = 19, kVowelCount = 21, kTrailCount = 28;
constexpr uint32_t kSyllableCount = kLeadCount * kVowelCount * kTrailCount;

int CombiningClass(uint32_t cp) {
  if (cp < 0x300 || cp > 0xFFFF) return 0;
  const ClassRun* run = std::upper_bound(std::begin(kClassRuns), std::end(kClassRuns), cp,
                                         [](uint32_t c, const ClassRun& r) { return c < r.first; });
  if (run == std::begin(kClassRuns)) return 0;
  --run;
  return cp <= run->last ? run->combiningClass : 0;
}

// Composes text as NFC's composition step does, handing each character on
// when no later one can join it.
class Composer {
 public:
  template <typename Emit>
  void Add(uint32_t cp, Emit& emit) {
    int cls = CombiningClass(cp);
    if (count_ > 0 && starter_) {
      uint32_t composed = ComposePair(chars_[0], cp);
      // A mark between the starter and this character blocks it unless its
      // class is lower; nothing between leaves it free.
      if (composed != 0 && (lastClass_ < cls || lastClass_ == 0)) {
        chars_[0] = composed;
        return;
      }
    }
    if (cls == 0 || count_ == kMarks) {
      Flush(emit);
      starter_ = cls == 0;
    }
    chars_[count_++] = cp;
    lastClass_ = count_ == 1 ? 0 : cls;
  }

  template <typename Emit>
  void Flush(Emit& emit) {
    for (int i = 0; i < count_; ++i) emit(chars_[i]);
    count_ = 0;
    lastClass_ = 0;
  }

 private:
  static constexpr int kMarks = 32;  // marks on one character, at most
  uint32_t chars_[kMarks];           // the starter, then marks not composed
  int count_ = 0;
  int lastClass_ = 0;
  bool starter_ = false;
};

// Writes the code page 932 bytes of cp; returns their count (1 or 2).
int EncodeDisplayChar(uint32_t cp, char bytes[2]) {
  if (cp < 0x80) {
    bytes[0] = static_cast<char>(cp);
    return 1;
  }
  uint16_t code = BestFitCp932(cp);
  if (code == 0 && cp <= 0xFFFF && (cp < 0xD800 || cp > 0xDFFF)) {
    // The character's own code, as the host converts names exactly.
    const char16_t one[2] = {static_cast<char16_t>(cp), 0};
    char exact[3];
    int n = HostWideToCp932(one, exact, sizeof exact);
    if (n == 2)
      code = static_cast<uint16_t>((static_cast<uint8_t>(exact[0]) << 8) |
                                   static_cast<uint8_t>(exact[1]));
    if (n == 1 && exact[0] != '?') code = static_cast<uint8_t>(exact[0]);
  }
  if (code == 0) code = '?';
  if (code < 0x100) {
    bytes[0] = static_cast<char>(code);
    return 1;
  }
  bytes[0] = static_cast<char>(code >> 8);
  bytes[1] = static_cast<char>(code & 0xFF);
  return 2;
}

}  // namespace

uint16_t BestFitCp932(uint32_t cp) {
  const BestFit* it =
      std::lower_bound(std::begin(kBestFit), std::end(kBestFit), cp,
                       [](const BestFit& b, uint32_t c) { return b.character < c; });
  return it != std::end(kBestFit) && it->character == cp ? it->code : 0;
}

uint32_t ComposePair(uint32_t first, uint32_t second) {
  if (second < 0x300) return 0;  // no composition ends below the combining marks
  if (first >= kLeadBase && first < kLeadBase + kLeadCount && second >= kVowelBase &&
      second < kVowelBase + kVowelCount) {
    return kHangulBase + ((first - kLeadBase) * kVowelCount + (second - kVowelBase)) * kTrailCount;
  }
  if (first >= kHangulBase && first < kHangulBase + kSyllableCount &&
      (first - kHangulBase) % kTrailCount == 0 && second > kTrailBase &&
      second < kTrailBase + kTrailCount) {
    return first + (second - kTrailBase);
  }
  if (first > 0xFFFF || second > 0xFFFF) return 0;
  const Composition* it =
      std::lower_bound(std::begin(kCompositions), std::end(kCompositions), Composition{0, 0, 0},
                       [first, second](const Composition& c, const Composition&) {
                         return c.first != first ? c.first < first : c.second < second;
                       });
  return it != std::end(kCompositions) && it->first == first && it->second == second ? it->composed
                                                                                     : 0;
}

int DisplayTextFromWide(const char16_t* text, char* out, int size) {
  if (size <= 0) return 0;
  int n = 0;
  bool full = false;
  auto emit = [&](uint32_t cp) {
    if (full) return;
    char bytes[2];
    int length = EncodeDisplayChar(cp, bytes);
    if (n + length > size - 1) {  // never cut a double-byte character
      full = true;
      return;
    }
    for (int k = 0; k < length; ++k) out[n++] = bytes[k];
  };
  Composer composer;
  int pos = 0;
  int units = 0;
  while (text[units] != 0) ++units;
  while (pos < units && !full) {
    uint32_t cp;
    pos += DecodeUtf16(text + pos, units - pos, &cp);
    composer.Add(cp, emit);
  }
  composer.Flush(emit);
  out[n] = 0;
  return n;
}
