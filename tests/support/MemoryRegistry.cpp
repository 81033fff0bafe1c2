#include "support/MemoryRegistry.h"

namespace zavro::test {

bool MemoryRegistry::SetString(const std::string& key, const std::string& name,
                               const std::string& value) {
    {
        std::lock_guard lock(m_logMutex);
        m_writes.push_back({key, name, false, {value}});
    }
    return FileRegistry::SetString(key, name, value);
}

bool MemoryRegistry::SetMultiString(const std::string& key, const std::string& name,
                                    const std::vector<std::string>& value) {
    {
        std::lock_guard lock(m_logMutex);
        m_writes.push_back({key, name, true, value});
    }
    return FileRegistry::SetMultiString(key, name, value);
}

void MemoryRegistry::Seed(const std::string& key, const std::string& name,
                          const std::string& value) {
    FileRegistry::SetString(key, name, value);
}

std::vector<MemoryRegistry::Write> MemoryRegistry::Writes() {
    std::lock_guard lock(m_logMutex);
    return m_writes;
}

void MemoryRegistry::ClearWrites() {
    std::lock_guard lock(m_logMutex);
    m_writes.clear();
}

}  // namespace zavro::test
