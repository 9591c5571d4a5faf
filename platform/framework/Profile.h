#pragma once

#include <optional>
#include <string>

#include "platform/framework/ProfileStore.h"

// The program's settings store: the registry key of the company and the
// application title on Windows, an INI file under the user's configuration
// folder elsewhere (QSettings' native format in the user scope).
class CProfile : public IProfileStore {
public:
    static constexpr const char* kCompany = "QX-Studio";
    static constexpr const char* kApplication = "Lumo?";

    CProfile(std::string company = kCompany, std::string application = kApplication);

    std::optional<std::string> GetString(const std::string& section, const std::string& entry) const override;
    void WriteString(const std::string& section, const std::string& entry, const std::string& value) override;
    void RemoveSection(const std::string& section) override;
    void Flush() override;

private:
    std::string company_;
    std::string application_;
};
