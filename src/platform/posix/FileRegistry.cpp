#include "platform/posix/FileRegistry.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace zavro {

struct FileRegistry::Value {
    std::string name;
    bool multi = false;
    std::string text;
    std::vector<std::string> list;
};

struct FileRegistry::Node {
    std::string name;
    std::vector<std::unique_ptr<Node>> children;  // insertion order
    std::vector<Value> values;
};

namespace {

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) return false;
    }
    return true;
}

// Empty parts (leading, trailing or doubled separators) are skipped.
std::vector<std::string> SplitKey(const std::string& key) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : key) {
        if (c == '\\') {
            if (!part.empty()) parts.push_back(std::move(part));
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) parts.push_back(std::move(part));
    return parts;
}

// Percent-escapes what would break the line format.
std::string Escape(const std::string& s) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    out.reserve(s.size());
    for (char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '%' || c == '"' || c < 0x20 || c == 0x7F) {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += ch;
        }
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::optional<std::string> Unescape(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '%') {
            out += s[i];
            continue;
        }
        if (i + 2 >= s.size()) return std::nullopt;
        const int hi = HexDigit(s[i + 1]);
        const int lo = HexDigit(s[i + 2]);
        if (hi < 0 || lo < 0) return std::nullopt;
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return out;
}

// Reads one quoted item at pos; advances pos past the closing quote.
std::optional<std::string> ReadQuoted(std::string_view line, std::size_t& pos) {
    if (pos >= line.size() || line[pos] != '"') return std::nullopt;
    const std::size_t end = line.find('"', pos + 1);
    if (end == std::string_view::npos) return std::nullopt;
    auto text = Unescape(line.substr(pos + 1, end - pos - 1));
    pos = end + 1;
    return text;
}

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

}  // namespace

FileRegistry::FileRegistry() : m_root(std::make_unique<Node>()) {}

FileRegistry::FileRegistry(std::string path)
    : m_path(std::move(path)), m_root(std::make_unique<Node>()) {
    if (m_path.empty()) return;
    std::ifstream in(m_path, std::ios::binary);
    if (!in) return;  // a missing file starts an empty store
    std::ostringstream text;
    text << in.rdbuf();
    DeserializeLocked(text.str());
}

FileRegistry::~FileRegistry() = default;

std::unique_ptr<FileRegistry> FileRegistry::FromEnvironment() {
    const char* path = std::getenv("ZAVRO_REGISTRY_FILE");
    return std::make_unique<FileRegistry>(path ? std::string(path) : std::string());
}

FileRegistry::Node* FileRegistry::Find(const std::string& key) {
    Node* node = m_root.get();
    for (const std::string& part : SplitKey(key)) {
        Node* next = nullptr;
        for (auto& child : node->children) {
            if (SameName(child->name, part)) {
                next = child.get();
                break;
            }
        }
        if (!next) return nullptr;
        node = next;
    }
    return node;
}

FileRegistry::Node* FileRegistry::Create(const std::string& key) {
    Node* node = m_root.get();
    for (const std::string& part : SplitKey(key)) {
        Node* next = nullptr;
        for (auto& child : node->children) {
            if (SameName(child->name, part)) {
                next = child.get();
                break;
            }
        }
        if (!next) {
            node->children.push_back(std::make_unique<Node>());
            next = node->children.back().get();
            next->name = part;
        }
        node = next;
    }
    return node;
}

bool FileRegistry::KeyExists(const std::string& key) {
    std::lock_guard lock(m_mutex);
    return Find(key) != nullptr;
}

std::vector<std::string> FileRegistry::SubKeys(const std::string& key) {
    std::lock_guard lock(m_mutex);
    std::vector<std::string> names;
    if (Node* node = Find(key)) {
        for (auto& child : node->children) names.push_back(child->name);
    }
    return names;
}

std::optional<std::string> FileRegistry::GetString(const std::string& key,
                                                   const std::string& name) {
    std::lock_guard lock(m_mutex);
    Node* node = Find(key);
    if (!node) return std::nullopt;
    for (const Value& v : node->values) {
        if (SameName(v.name, name)) return v.multi ? std::nullopt : std::optional(v.text);
    }
    return std::nullopt;
}

std::optional<std::vector<std::string>> FileRegistry::GetMultiString(const std::string& key,
                                                                     const std::string& name) {
    std::lock_guard lock(m_mutex);
    Node* node = Find(key);
    if (!node) return std::nullopt;
    for (const Value& v : node->values) {
        if (SameName(v.name, name)) return v.multi ? std::optional(v.list) : std::nullopt;
    }
    return std::nullopt;
}

namespace {

// Replaces a value in place (its enumeration position stays) or appends it.
template <typename Values, typename Value>
void Put(Values& values, Value value) {
    for (auto& v : values) {
        if (SameName(v.name, value.name)) {
            value.name = v.name;  // the name keeps the spelling it was created with
            v = std::move(value);
            return;
        }
    }
    values.push_back(std::move(value));
}

}  // namespace

bool FileRegistry::SetString(const std::string& key, const std::string& name,
                             const std::string& value) {
    std::lock_guard lock(m_mutex);
    Value v;
    v.name = name;
    v.text = value;
    Put(Create(key)->values, std::move(v));
    return Save();
}

bool FileRegistry::SetMultiString(const std::string& key, const std::string& name,
                                  const std::vector<std::string>& value) {
    std::lock_guard lock(m_mutex);
    Value v;
    v.name = name;
    v.multi = true;
    v.list = value;
    Put(Create(key)->values, std::move(v));
    return Save();
}

bool FileRegistry::CreateKey(const std::string& key) {
    std::lock_guard lock(m_mutex);
    Create(key);
    return Save();
}

bool FileRegistry::DeleteKey(const std::string& key) {
    std::lock_guard lock(m_mutex);
    std::vector<std::string> parts = SplitKey(key);
    if (parts.empty()) return false;  // the root stays
    const std::string last = parts.back();
    parts.pop_back();
    Node* parent = m_root.get();
    for (const std::string& part : parts) {
        Node* next = nullptr;
        for (auto& child : parent->children) {
            if (SameName(child->name, part)) {
                next = child.get();
                break;
            }
        }
        if (!next) return false;
        parent = next;
    }
    auto& kids = parent->children;
    for (auto it = kids.begin(); it != kids.end(); ++it) {
        if (SameName((*it)->name, last)) {
            kids.erase(it);
            Save();
            return true;
        }
    }
    return false;
}

std::string FileRegistry::Serialize() {
    std::lock_guard lock(m_mutex);
    return SerializeLocked();
}

void FileRegistry::Deserialize(const std::string& text) {
    std::lock_guard lock(m_mutex);
    DeserializeLocked(text);
}

std::string FileRegistry::SerializeLocked() const {
    std::string out = "; zavro registry store\n";
    // Pre-order, so that loading recreates every key in its enumeration order.
    struct Walker {
        static void Walk(std::string& out, const Node& node, const std::string& path, bool root) {
            if (!root || !node.values.empty()) out += "[" + path + "]\n";
            for (const Value& v : node.values) {
                out += "\"" + Escape(v.name) + "\"=";
                if (v.multi) {
                    out += "multi:";
                    for (std::size_t i = 0; i < v.list.size(); ++i) {
                        if (i) out += ',';
                        out += "\"" + Escape(v.list[i]) + "\"";
                    }
                } else {
                    out += "sz:\"" + Escape(v.text) + "\"";
                }
                out += '\n';
            }
            for (const auto& child : node.children) {
                const std::string name = Escape(child->name);
                Walk(out, *child, root ? name : path + "\\" + name, false);
            }
        }
    };
    Walker::Walk(out, *m_root, "", true);
    return out;
}

void FileRegistry::DeserializeLocked(const std::string& text) {
    Node* current = nullptr;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string_view line(text.data() + start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line[0] == ';') continue;
        if (line.front() == '[' && line.back() == ']') {
            std::string path;
            bool ok = true;
            for (const std::string& part : SplitKey(std::string(line.substr(1, line.size() - 2)))) {
                auto name = Unescape(part);
                if (!name)
                    ok = false;
                else
                    path += (path.empty() ? "" : "\\") + *name;
            }
            current = ok ? Create(path) : nullptr;
            continue;
        }
        if (!current) continue;
        std::size_t pos = 0;
        auto name = ReadQuoted(line, pos);
        if (!name) continue;
        std::string_view rest = line.substr(pos);
        Value v;
        v.name = *name;
        if (StartsWith(rest, "=sz:")) {
            std::size_t p = 4;
            auto value = ReadQuoted(rest, p);
            if (!value || p != rest.size()) continue;
            v.text = *value;
        } else if (StartsWith(rest, "=multi:")) {
            v.multi = true;
            std::size_t p = 7;
            bool ok = true;
            while (p < rest.size()) {
                auto item = ReadQuoted(rest, p);
                if (!item) {
                    ok = false;
                    break;
                }
                v.list.push_back(*item);
                if (p < rest.size()) {
                    if (rest[p] != ',') {
                        ok = false;
                        break;
                    }
                    ++p;
                }
            }
            if (!ok) continue;
        } else {
            continue;
        }
        Put(current->values, std::move(v));
    }
}

bool FileRegistry::Save() {
    if (m_path.empty()) return true;
    const std::string text = SerializeLocked();
    const std::string tmp = m_path + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out << text;
        if (!out.flush()) return false;
    }
    std::error_code ec;
    std::filesystem::rename(tmp, m_path, ec);
    return !ec;
}

}  // namespace zavro
