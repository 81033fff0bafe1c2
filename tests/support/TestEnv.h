// A complete test platform: a temporary setup medium on disk, the fake UI on the test
// clock, recorders for the shell and the process exit, and the real picture decoder.
// Constructing it resets theApp and fills Ports(); destroying it restores Ports().
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/posix/StbPictures.h"
#include "support/FakeUi.h"
#include "support/Recorders.h"
#include "support/TestClock.h"

namespace zavro::test {

// Profile double: answers from a table keyed by "path|section|key" and records lookups.
class TableProfile final : public IProfile {
public:
    struct Lookup {
        std::string path, section, key;
        bool wide;
    };
    std::map<std::string, std::string> values;  // UTF-8 for wide reads, bytes for ANSI
    // A key missing from the table reads as the key itself, so message boxes show keys.
    bool echoKeys = false;
    // The optional keys ("why_" a step failed, "wait_" lines) echo only when this is set
    // too, so that a medium without them is the default.
    bool echoWhyKeys = false;
    bool Echoes(const std::string& key) const {
        const bool optional = key.rfind("why_", 0) == 0 || key.rfind("wait_", 0) == 0;
        return echoKeys && (echoWhyKeys || !optional);
    }
    std::string ReadA(const std::string& path, const std::string& section, const std::string& key,
                      const std::string& def, std::size_t maxBytes) override;
    std::u16string ReadW(const std::u16string& path, const std::u16string& section,
                         const std::u16string& key, const std::u16string& def,
                         std::size_t maxChars) override;
    std::vector<Lookup> lookups;

private:
    // Workers (the result page's) read texts while the page reads its own on the UI thread.
    std::mutex m_mutex;
};

// Writes a solid-colour PNG picture (the decoder reads it whatever the file name says).
void WritePicture(const std::filesystem::path& path, int width, int height, std::uint32_t colour);
std::vector<std::uint8_t> EncodePng(const Image& image);

class TestEnv {
public:
    TestEnv();
    ~TestEnv();

    // <root>/Wizard/zavro is the program; <root> is the medium root.
    std::filesystem::path root;
    std::filesystem::path programDir;
    std::string ImageDir() const { return (programDir / "image").generic_string(); }
    // Writes a page picture for a language folder (0: the image folder itself).
    void AddPicture(int language, const std::string& name, std::uint32_t colour = 0xFF3366AAu);
    // Every page picture of the wizard for languages 1 and 2.
    void AddAllPictures();

    TestClock clock;
    FakeSystem system;
    ShellRecorder shell;
    TableProfile profile;
    StbPictures pictures;
    FakeToolkit ui{&clock};
    // Stands in for the socket layer at start-up only.
    struct NoTcp final : ITcpFactory {
        std::unique_ptr<ITcpSocket> Create() override { return nullptr; }
    } tcp;

private:
    Platform m_saved;
};

}  // namespace zavro::test
