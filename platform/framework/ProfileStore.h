#pragma once

#include <optional>
#include <string>

// Where the framework keeps its settings, as sections of named string values.
// `CProfile` is the program's store; the framework's core only knows this.
class IProfileStore {
public:
    virtual ~IProfileStore() = default;
    virtual std::optional<std::string> GetString(const std::string& section, const std::string& entry) const = 0;
    virtual void WriteString(const std::string& section, const std::string& entry, const std::string& value) = 0;
    virtual void RemoveSection(const std::string& section) = 0;
    // Writes pending changes to the store.
    virtual void Flush() = 0;
};
