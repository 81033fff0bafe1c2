// The optional lines that say why a router step failed ("why_..." keys of section
// "MESSAGE"), for every shipped language. The wizard adds one under a failure message,
// and the failure page shows the first step that fails after the restart.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace zavro::media {

// Every "why_" key the wizard reads.
const std::vector<std::string>& CauseKeys();

// The texts of a language folder, UTF-8; empty for a folder without them.
const std::vector<std::pair<std::string, std::string>>& CauseMessages(int folder);

}  // namespace zavro::media
