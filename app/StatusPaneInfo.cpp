#include "app/StatusPaneInfo.h"

#include <QApplication>

#include "platform/gdi/Colors.h"

namespace {

QColor SysColor(int index)
{
    gdi::ColorRef color = gdi::GetSysColor(index);
    return QColor(gdi::RedOf(color), gdi::GreenOf(color), gdi::BlueOf(color));
}

QColor Halved(const QColor& color)
{
    return QColor(color.red() >> 1, color.green() >> 1, color.blue() >> 1);
}

}  // namespace

CStatusPaneInfo::CStatusPaneInfo()
{
    ResetPaneInfo();
}

CStatusPaneInfo::CStatusPaneInfo(const CStatusPaneInfo& other)
    : font(other.font), style(other.style), offsetX(other.offsetX), offsetY(other.offsetY)
{
    for (int state = 0; state < 2; ++state) {
        textColor[state] = other.textColor[state];
        backColor[state] = other.backColor[state];
        text[state] = other.text[state];
    }
}

CStatusPaneInfo& CStatusPaneInfo::operator=(const CStatusPaneInfo& other)
{
    if (this == &other)
        return *this;
    control.reset();
    for (int state = 0; state < 2; ++state) {
        textColor[state] = other.textColor[state];
        backColor[state] = other.backColor[state];
        text[state] = other.text[state];
    }
    font = other.font;
    style = other.style;
    offsetX = other.offsetX;
    offsetY = other.offsetY;
    return *this;
}

CStatusPaneInfo::~CStatusPaneInfo() = default;

void CStatusPaneInfo::ResetPaneInfo()
{
    control.reset();
    QColor menu = SysColor(gdi::COLOR_MENU);
    textColor[0] = Halved(menu);
    textColor[1] = SysColor(gdi::COLOR_MENUTEXT);
    backColor[0] = menu;
    backColor[1] = menu;
    text[0].clear();
    text[1].clear();
    font = QApplication::font();
    style = kPaneKindText;
    offsetX = 0;
    offsetY = 0;
}

void CStatusPaneInfo::SetPaneFont(const QString& faceName, int tenthsOfPoint)
{
    QFont paneFont(faceName);
    paneFont.setPointSizeF(tenthsOfPoint / 10.0);
    font = paneFont;
}

void CStatusPaneInfo::SetPaneKind(uint32_t newStyle, QWidget* bar)
{
    style = newStyle;
    if (Kind() != kPaneKindProgress) {
        control.reset();
        return;
    }
    if (!control) {
        control = std::make_unique<QProgressBar>(bar);
        control->setTextVisible(false);
        control->setGeometry(QRect());
        control->show();
    }
}
