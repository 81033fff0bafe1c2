// Writes the whole demo setup medium: the menu program and README at the root, the
// wizard's pictures, texts, documents, firmware image and scripts beside the program.
#pragma once

#include <cstddef>
#include <filesystem>

namespace zavro::media {

struct MediumStats {
    std::size_t files = 0;
    std::size_t bytes = 0;
};

// Creates the folders it needs and overwrites the files it owns; other files there (the
// wizard program itself) are left alone. Throws std::runtime_error on a write failure.
MediumStats WriteMedium(const std::filesystem::path& mediumDir,
                        const std::filesystem::path& programDir);

// Byte contents that need no painting (also used by the tests' expectations).
std::string FirmwareImage();
std::string AutoRunScript();
std::string NetworkScript(const std::string& name);

}  // namespace zavro::media
