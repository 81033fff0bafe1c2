// What zavro-cli needs of the terminal: secrets read without echo, and the upload's
// progress bar, drawn only where a person watches.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/Tcp.h"

namespace zavro::cli {

// A secret from a file ("-": standard input); one trailing line break is dropped.
// nullopt when the file cannot be read.
std::optional<std::string> ReadSecretFile(const std::string& path);

// Asks on standard error and reads one line from standard input with echo off; nullopt
// when standard input is not a terminal.
std::optional<std::string> PromptHidden(const std::string& prompt);

bool StderrIsTerminal();

// Progress of one large send: "[#####     ]  48% 1.2 MiB of 2.5 MiB, 3.4 MiB/s".
std::string ProgressLine(std::uint64_t sent, std::uint64_t total, double seconds);

// Wraps the TCP port so that large sends go out in slices and draw the progress bar on
// standard error; the bytes on the wire are the same.
class ProgressTcpFactory final : public ITcpFactory {
public:
    explicit ProgressTcpFactory(ITcpFactory& inner) : m_inner(inner) {}
    std::unique_ptr<ITcpSocket> Create() override;

private:
    ITcpFactory& m_inner;
};

}  // namespace zavro::cli
