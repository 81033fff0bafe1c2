// The real zavro-cli as a child process: arguments and environment of the test's choosing
// (nothing inherited but PATH), standard output and error kept apart, standard input from
// text, and on request a terminal for standard input and error that the test types into.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zavro::clitest {

// Every member has a default, so that designated initializers may leave any out.
struct CliOptions {
    std::map<std::string, std::string> env = {};
    std::string input = {};  // standard input when not on a terminal
    bool terminal = false;   // standard input and error on a pseudo-terminal
    // With terminal: once the terminal shows typeAfter, type `typed` + Enter.
    std::string typeAfter = {};
    std::string typed = {};
    unsigned limitMs = 30000;  // then the child is killed (a hang fails the test)
};

struct CliResult {
    int exit = -1;  // -1 unless it exited by itself
    bool killed = false;
    std::string out;
    std::string err;  // with terminal: everything the terminal showed
};

CliResult RunCli(const std::vector<std::string>& args, const CliOptions& options = {});

// A flat JSON object as zavro-cli prints it; nullopt when the text is not exactly one.
struct JsonValue {
    enum Kind { String, Number, Bool, Null } kind = Null;
    std::string text;  // decoded string, or the literal
};
std::optional<std::map<std::string, JsonValue>> ParseJsonObject(const std::string& text);

}  // namespace zavro::clitest
