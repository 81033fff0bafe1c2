// Registry port as a small store with HKEY_LOCAL_MACHINE key semantics: key and value
// names compared case-insensitively (ASCII), '\\' between key parts, subkeys kept in
// insertion order, string and multi-string values. Without a file it lives in memory
// only; with one, it loads the file at construction and writes it back after every change.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace zavro {

class FileRegistry : public IRegistry {
public:
    FileRegistry();  // in memory only
    explicit FileRegistry(std::string path);
    ~FileRegistry() override;
    FileRegistry(const FileRegistry&) = delete;
    FileRegistry& operator=(const FileRegistry&) = delete;

    // Path from ZAVRO_REGISTRY_FILE; in memory only when it is unset or empty.
    static std::unique_ptr<FileRegistry> FromEnvironment();

    bool KeyExists(const std::string& key) override;
    std::vector<std::string> SubKeys(const std::string& key) override;
    std::optional<std::string> GetString(const std::string& key, const std::string& name) override;
    std::optional<std::vector<std::string>> GetMultiString(const std::string& key,
                                                           const std::string& name) override;
    // Setting a value creates the key and its parents where missing (as RegCreateKeyEx
    // would); false when the backing file could not be written.
    bool SetString(const std::string& key, const std::string& name,
                   const std::string& value) override;
    bool SetMultiString(const std::string& key, const std::string& name,
                        const std::vector<std::string>& value) override;

    // Creates the key and its parents; true when it exists afterwards.
    bool CreateKey(const std::string& key);
    // Removes the key and everything under it; false when it did not exist.
    bool DeleteKey(const std::string& key);

    // The store's text form (what the backing file holds) and its reverse; malformed lines
    // are skipped.
    std::string Serialize();
    void Deserialize(const std::string& text);

private:
    struct Node;
    struct Value;
    Node* Find(const std::string& key);
    Node* Create(const std::string& key);
    std::string SerializeLocked() const;
    void DeserializeLocked(const std::string& text);
    bool Save();  // with the lock held

    std::mutex m_mutex;
    std::string m_path;
    std::unique_ptr<Node> m_root;
};

}  // namespace zavro
