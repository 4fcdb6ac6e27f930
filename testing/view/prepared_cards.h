// Cards prepared by the real cardprep binary for the view tests, made on
// first use in a test program and removed at its exit.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "testing/tool_runner.h"

// The sample card of a model: 日本の歌 (Nihon no Uta on models 4 and 6) with two tracks, one titled
// by the display-name file; Jazz with a track and a subfolder Best with one; Rock with only Best
// with one; Empty. Title rule 0 on the graphic models.
const std::filesystem::path& PreparedCard(int model);

// Copies the test fonts into root and runs cardprep there as the model.
ToolResult PrepareCard(const std::filesystem::path& root, int model);

// Copies the sample card of the model, all but its fonts, into the folder to.
void CopyPreparedCard(int model, const std::filesystem::path& to);

ToolResult RunView(const std::filesystem::path& dir, const std::vector<std::string>& args = {});
