// In-memory registry for tests: the file-backed store without a file, plus a log of every
// value written, in order, so that tests can check what was changed and when.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/posix/FileRegistry.h"

namespace zavro::test {

class MemoryRegistry final : public FileRegistry {
public:
    struct Write {
        std::string key, name;
        bool multi = false;
        std::vector<std::string> value;  // one element for a string value
        bool operator==(const Write&) const = default;
    };

    bool SetString(const std::string& key, const std::string& name,
                   const std::string& value) override;
    bool SetMultiString(const std::string& key, const std::string& name,
                        const std::vector<std::string>& value) override;

    // Sets without logging (test set-up).
    void Seed(const std::string& key, const std::string& name, const std::string& value);
    std::vector<Write> Writes();
    void ClearWrites();

private:
    std::mutex m_logMutex;
    std::vector<Write> m_writes;
};

}  // namespace zavro::test
