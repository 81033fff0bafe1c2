// Fixture of the end-to-end runs: a simulated router on ephemeral loopback ports (its
// state also dumped to a state file), and the real program from the demo medium driven
// by an automation script, offscreen, with shortened waits and a hard time limit.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "ProgramProcess.h"
#include "RouterSim.h"
#include "platform/Image.h"

namespace zavro::e2e {

struct Message {
    std::string caption, text;
    bool operator==(const Message&) const = default;
};
inline void PrintTo(const Message& m, std::ostream* os) {
    *os << m.caption << ": " << m.text;
}

struct WizardOutcome {
    ProgramResult program;
    std::vector<Message> messages;  // the message log, in order
    std::string output;             // the program's stdout and stderr
    // The timing log without its times: "click <id>" and "paint <window title>" (first
    // paint of each window), in order.
    std::vector<std::string> stamps;
};

struct RunOptions {
    // ZAVRO_AUTOMATION_VERBOSE: an opt-in echo of every script line, typed text included.
    bool echoScript = true;
    // HOME and the XDG folders inside the test's folder, so whatever the program keeps
    // there can be inspected (and the tester's own are left alone).
    bool homeInside = false;
    // An X display (see RealInput.h): the program shows its pages there, through Qt's X
    // platform, instead of offscreen.
    std::string display{};
    // ZAVRO_TIME_SCALE: every wait and timer at a thousandth unless a run needs them real.
    std::string timeScale = "0.001";
    // Command-line words ("Spanish" picks language folder 2).
    std::vector<std::string> args{};
    // Another copy of the program's folder (a medium made otherwise); empty: the build's.
    std::string programFolder{};
    // False: message boxes show on the display instead of going to the message log.
    bool messageLog = true;
    // More environment for the program.
    std::map<std::string, std::string> env{};
};

class WizardRunTest : public ::testing::Test {
protected:
    static constexpr unsigned kRunLimitMs = 60000;  // far beyond a healthy run

    void SetUp() override;
    void TearDown() override;

    // log gets the simulator's line per request, from its threads.
    void StartRouter(bool internetUp = true, std::function<void(const std::string&)> log = {});
    // Writes the script, runs the program to its end (or the limit) and collects the logs.
    WizardOutcome RunWizard(const std::vector<std::string>& script, const RunOptions& run = {});
    // The same in two steps, for a test that acts on the running program in between.
    bool StartWizard(const std::vector<std::string>& script, const RunOptions& run = {});
    WizardOutcome FinishWizard();
    // Waits (real time, at most limitMs) until the timing log has a stamp that begins with
    // prefix after the first `after` stamps; returns the count of stamps up to and with
    // that one (to pass as `after` for what follows it), or 0 when none came.
    std::size_t AwaitStamp(const std::string& prefix, std::size_t after, unsigned limitMs) const;

    // A value of the state file: a string without its quotes, or a number or boolean.
    std::optional<std::string> StateValue(const std::string& key) const;
    std::string StateFileText() const;

    std::filesystem::path Temp(const std::string& name) const { return m_dir / name; }
    // Build folder: where the runs leave their screenshots.
    static std::filesystem::path BuildFolder();

    // The text the program shows for a message key in language 1.
    static std::string MessageText(const std::string& key);
    static std::optional<Image> LoadPicture(const std::filesystem::path& path);
    // Mean difference per colour channel (0..255); pictures of other sizes give 255.
    static double MeanDifference(const Image& a, const Image& b);

    std::unique_ptr<routersim::Simulator> m_sim;
    std::unique_ptr<ProgramProcess> m_program;
    std::filesystem::path m_dir;
};

std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b);

// Tiny lookup in the simulator's JSON dump (its keys are unique throughout).
std::optional<std::string> JsonValue(const std::string& json, const std::string& key);

}  // namespace zavro::e2e
