#include "testing/tool_runner.h"

ToolResult RunCardprep(const std::string& workingDir, const std::string& input,
                       long interruptAfterUs, bool kill) {
#if defined(CARDPREP_EXE)
  return RunTool(CARDPREP_EXE, {}, workingDir, input, interruptAfterUs, kill);
#elif defined(_WIN32)
  return RunTool(CARDPREP_BINARY_DIR "/cardprep.exe", {}, workingDir, input, interruptAfterUs, kill);
#else
  return RunTool(CARDPREP_BINARY_DIR "/cardprep", {}, workingDir, input, interruptAfterUs, kill);
#endif
}
