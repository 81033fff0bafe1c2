// Registry port: HKEY_LOCAL_MACHINE-style keys with string and multi-string values.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zavro {

class IRegistry {
public:
    virtual ~IRegistry() = default;
    // Key paths are relative to HKEY_LOCAL_MACHINE, with '\\' between parts.
    virtual bool KeyExists(const std::string& key) = 0;
    // Names of the direct subkeys in enumeration order; empty when the key is missing.
    virtual std::vector<std::string> SubKeys(const std::string& key) = 0;
    virtual std::optional<std::string> GetString(const std::string& key,
                                                 const std::string& name) = 0;
    virtual std::optional<std::vector<std::string>> GetMultiString(const std::string& key,
                                                                   const std::string& name) = 0;
    virtual bool SetString(const std::string& key, const std::string& name,
                           const std::string& value) = 0;
    virtual bool SetMultiString(const std::string& key, const std::string& name,
                                const std::vector<std::string>& value) = 0;
};

}  // namespace zavro
