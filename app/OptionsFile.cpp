#include "app/OptionsFile.h"

#include <QSettings>
#include <algorithm>

#include "platform/framework/Profile.h"

namespace {

const QString kFitOnOpenKey = QStringLiteral("Options/FitOnOpen");
const QString kSmoothReductionKey = QStringLiteral("Options/SmoothReduction");
const QString kAlphaCheckerboardKey = QStringLiteral("Options/AlphaCheckerboard");
const QString kSlideShowSecondsKey = QStringLiteral("Options/SlideShowSeconds");
const QString kWindowXKey = QStringLiteral("Window/X");
const QString kWindowYKey = QStringLiteral("Window/Y");
const QString kWindowWidthKey = QStringLiteral("Window/Width");
const QString kWindowHeightKey = QStringLiteral("Window/Height");

std::unique_ptr<QSettings> OpenOptions()
{
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, CProfile::kCompany,
                                       QString::fromUtf8(CProfile::kApplication) + QStringLiteral(" Options"));
}

std::optional<int> ReadInt(const QSettings& settings, const QString& key)
{
    bool ok = false;
    int value = settings.value(key).toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

}  // namespace

COptionsFile::COptionsFile() : settings_(OpenOptions()) {}

COptionsFile::~COptionsFile() = default;

QString COptionsFile::FileName()
{
    return OpenOptions()->fileName();
}

ViewerOptions COptionsFile::ReadOptions() const
{
    ViewerOptions options;
    options.fitOnOpen = settings_->value(kFitOnOpenKey, options.fitOnOpen).toBool();
    options.smoothReduction = settings_->value(kSmoothReductionKey, options.smoothReduction).toBool();
    options.alphaCheckerboard = settings_->value(kAlphaCheckerboardKey, options.alphaCheckerboard).toBool();
    std::optional<int> seconds = ReadInt(*settings_, kSlideShowSecondsKey);
    if (seconds && std::find(kSlideShowSeconds.begin(), kSlideShowSeconds.end(), *seconds) != kSlideShowSeconds.end())
        options.slideShowSeconds = *seconds;
    return options;
}

std::optional<QRect> COptionsFile::ReadWindowGeometry() const
{
    std::optional<int> x = ReadInt(*settings_, kWindowXKey);
    std::optional<int> y = ReadInt(*settings_, kWindowYKey);
    std::optional<int> width = ReadInt(*settings_, kWindowWidthKey);
    std::optional<int> height = ReadInt(*settings_, kWindowHeightKey);
    if (!x || !y || !width || !height || *width <= 0 || *height <= 0)
        return std::nullopt;
    return QRect(*x, *y, *width, *height);
}

void COptionsFile::Write(const ViewerOptions& options, const QRect& windowGeometry)
{
    settings_->setValue(kFitOnOpenKey, options.fitOnOpen);
    settings_->setValue(kSmoothReductionKey, options.smoothReduction);
    settings_->setValue(kAlphaCheckerboardKey, options.alphaCheckerboard);
    settings_->setValue(kSlideShowSecondsKey, options.slideShowSeconds);
    settings_->setValue(kWindowXKey, windowGeometry.x());
    settings_->setValue(kWindowYKey, windowGeometry.y());
    settings_->setValue(kWindowWidthKey, windowGeometry.width());
    settings_->setValue(kWindowHeightKey, windowGeometry.height());
    settings_->sync();
}
