// The optional lines of section "MESSAGE" for every shipped language: why a router step
// failed (the wizard adds one under a failure message, and the failure page shows the first
// step that fails after the restart), and what a long wait is for.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace zavro::media {

// Every optional key the wizard reads: why a step failed, and what a long wait is for.
const std::vector<std::string>& CauseKeys();

// The texts of a language folder, UTF-8; empty for a folder without them.
const std::vector<std::pair<std::string, std::string>>& CauseMessages(int folder);

}  // namespace zavro::media
