#include "platform/framework/Profile.h"

#include <memory>

#include <QSettings>
#include <QString>

namespace {

QString Key(const std::string& section, const std::string& entry)
{
    return QString::fromUtf8(section) + '/' + QString::fromUtf8(entry);
}

// Each call opens the store anew: QSettings shares its cached contents between
// instances of one scope, so this costs little and nothing goes stale.
std::unique_ptr<QSettings> OpenSettings(const std::string& company, const std::string& application)
{
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QString::fromUtf8(company),
                                       QString::fromUtf8(application));
}

}  // namespace

CProfile::CProfile(std::string company, std::string application)
    : company_(std::move(company)), application_(std::move(application))
{
}

std::optional<std::string> CProfile::GetString(const std::string& section, const std::string& entry) const
{
    QVariant value = OpenSettings(company_, application_)->value(Key(section, entry));
    if (!value.isValid())
        return std::nullopt;
    return value.toString().toStdString();
}

void CProfile::WriteString(const std::string& section, const std::string& entry, const std::string& value)
{
    OpenSettings(company_, application_)->setValue(Key(section, entry), QString::fromUtf8(value));
}

void CProfile::RemoveSection(const std::string& section)
{
    OpenSettings(company_, application_)->remove(QString::fromUtf8(section));
}

void CProfile::Flush()
{
    OpenSettings(company_, application_)->sync();
}
