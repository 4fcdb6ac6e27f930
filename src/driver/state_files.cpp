#include "driver/state_files.h"

#include <cstdint>
#include <cstdio>

#include "base/console.h"
#include "driver/messages.h"
#include "driver/plugin_images.h"
#include "model/model_profile.h"
#include "platform/host.h"
#include "state/run_state.h"
#include "text/record.h"

namespace {

bool WriteWholeFile(const char* fileName, const uint8_t* bytes, int size) {
  std::FILE* file = HostOpen(fileName, "wb");
  if (file == nullptr) return false;
  bool ok = std::fwrite(bytes, 1, static_cast<size_t>(size), file) == static_cast<size_t>(size);
  return std::fclose(file) == 0 && ok;
}

}  // namespace

void WriteDecoderPluginFile(RunState& state) {
  const char* fileName;
  const uint16_t* words;
  int count;
  GetDecoderPluginImage(ModelProfileOf(state.playerModel).pluginFile, fileName, words, count);
  if (fileName == nullptr) return;
  if (words == nullptr) {
    // A wrong image must never reach the player's decoder: without the
    // vendor's image no file is written at all.
    ConsolePrintf(kMsgPluginNotBuiltIn, fileName);
    return;
  }
  if (!WritePluginImage(fileName, words, count)) {
    ConsolePrintf(kMsgCannotCreate, fileName);
    state.writeFailed = true;
  }
}

void WriteHistoryFile(RunState& state) {
  uint8_t bytes[10];
  Record r = StartRecord(bytes, sizeof bytes);
  PutU16LE(r, 0xFFFF);
  PutU16LE(r, 0xFFFF);
  PutU32LE(r, 0);
  PutU16LE(r, state.directories[0].nextRandom);
  if (!WriteWholeFile(kHistoryFile, bytes, sizeof bytes)) {
    ConsolePrintf(kMsgCannotCreate, kHistoryFile);
    state.writeFailed = true;
  }
}

void WriteErrorLogFiles(RunState& state) {
  static const uint8_t kZeros[8000] = {};
  if (!WriteWholeFile(kErrorLogFile, kZeros, sizeof kZeros)) {
    ConsolePrintf(kMsgCannotCreate, kErrorLogFile);
    state.writeFailed = true;
    return;
  }
  if (!HostCopyFile(kErrorLogFile, kErrorLogCopyFile)) {
    ConsolePrintf(kMsgCannotCopy, kErrorLogFile, kErrorLogCopyFile);
    state.writeFailed = true;
  }
}
