// zavro-cli's answer: one JSON object on standard output with --json, otherwise one line
// a person reads (standard output when done, standard error when not).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "router/Failure.h"

namespace zavro::cli {

enum ExitCode { kExitDone = 0, kExitFailed = 1, kExitUsage = 2, kExitLogin = 3 };

// Text as a JSON string literal (quotes, backslashes and control bytes escaped).
std::string JsonString(const std::string& text);

// Fields of the JSON answer in order; values are JSON text already.
class Answer {
public:
    Answer& Text(const std::string& key, const std::string& value) {
        return Raw(key, JsonString(value));
    }
    Answer& Number(const std::string& key, long value) { return Raw(key, std::to_string(value)); }
    Answer& Flag(const std::string& key, bool value) { return Raw(key, value ? "true" : "false"); }
    Answer& Raw(const std::string& key, std::string json) {
        m_fields.emplace_back(key, std::move(json));
        return *this;
    }
    Answer& Append(const Answer& more) {
        m_fields.insert(m_fields.end(), more.m_fields.begin(), more.m_fields.end());
        return *this;
    }
    std::string Json() const;

private:
    std::vector<std::pair<std::string, std::string>> m_fields;
};

// How the last exchange failed, in words; "" when nothing is known.
std::string DescribeFailure(const RouterFailure& failure);

}  // namespace zavro::cli
