// cardprep-restore's log readers on fuzz bytes; a RENFIL04.LOG also rewritten and read back, and
// a rewrite stopped part way (the side file cut at a fuzz-chosen byte) sorted out.
#include <cstdint>
#include <memory>
#include <string>

#include "fuzz/fuzz_support.h"
#include "platform/host.h"
#include "restore/log_rewrite.h"
#include "restore/restore_plan.h"
#include "text/wide.h"

namespace {

// Whether b holds the first count lines of a, unit for unit (a unit 0 too).
bool SameLines(const FileLog& a, const FileLog& b, int count) {
  if (b.count != count) return false;
  for (int i = 0; i < count; ++i) {
    const LogLine& x = a.lines[i];
    const LogLine& y = b.lines[i];
    if (x.length != y.length || x.ended != y.ended) return false;
    for (int k = 0; k <= x.length; ++k) {
      if (x.text[k] != y.text[k]) return false;
    }
  }
  return true;
}

std::string CardFile(const char16_t* path) {
  std::string bytes;
  std::FILE* file = HostOpenW(path, "rb");
  if (file == nullptr) return bytes;
  for (int c; (c = std::fgetc(file)) != EOF;) bytes += static_cast<char>(c);
  std::fclose(file);
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  EnterPrivateCard("restore_log");
  static auto logs = std::make_unique<FileLog[]>(2);
  FileLog& log = logs[0];
  FileLog& again = logs[1];

  WriteCardFile("\\F\\RENFIL04.LOG", data, size);
  LogRead read = ReadFileLog(u"\\F\\RENFIL04.LOG", log);
  FUZZ_CHECK(read != LogRead::kMissing);
  FUZZ_CHECK(log.count >= 0 && log.count <= kMaxLogLines);
  FUZZ_CHECK(read == LogRead::kRead || log.count == 0);
  for (int i = 0; i < log.count; ++i) {
    FUZZ_CHECK(WideLength(log.lines[i].text) < kLogLineUnits);
    FUZZ_CHECK(log.lines[i].ended || i == log.count - 1);  // only the last lacks its end
    char16_t newName[kRestoreNameUnits];
    char16_t oldName[kRestoreNameUnits];
    if (ParseLogLine(log.lines[i], newName, oldName)) {
      FUZZ_CHECK(IsBareName(newName) && IsBareName(oldName));
    }
  }
  if (read == LogRead::kRead && log.count > 0) {
    // Every line comes back byte for byte, but a last one without its line
    // end, which names a move that was never made.
    int kept = log.lines[log.count - 1].ended ? log.count : log.count - 1;
    FUZZ_CHECK(RewriteFileLog(u"\\F", log) == Rewrite::kDone);
    if (kept == 0) {
      FUZZ_CHECK(!HostExists(u"\\F\\RENFIL04.LOG"));
    } else {
      FUZZ_CHECK(ReadFileLog(u"\\F\\RENFIL04.LOG", again) == LogRead::kRead);
      FUZZ_CHECK(SameLines(log, again, kept));
      // Written again, the same bytes; a side file cut anywhere in them beside it is dropped.
      std::string written = CardFile(u"\\F\\RENFIL04.LOG");
      FUZZ_CHECK(RewriteFileLog(u"\\F", again) == Rewrite::kDone);
      FUZZ_CHECK(CardFile(u"\\F\\RENFIL04.LOG") == written);
      WriteCardFile("\\F\\RENFIL04.RS~", written.substr(0, data[0] % (written.size() + 1)));
      FUZZ_CHECK(RecoverFileLog(u"\\F"));
      FUZZ_CHECK(CardFile(u"\\F\\RENFIL04.LOG") == written);
    }
    FUZZ_CHECK(!HostExists(u"\\F\\RENFIL04.RS~"));
  }

  WriteCardFile("\\F\\RENDIR04.LOG", data, size);
  char16_t oldName[kRestoreNameUnits];
  if (ReadFolderLog(u"\\F\\RENDIR04.LOG", oldName)) FUZZ_CHECK(IsBareName(oldName));
  return 0;
}
