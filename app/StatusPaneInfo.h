#pragma once

#include <QColor>
#include <QFont>
#include <QProgressBar>
#include <QString>
#include <cstdint>
#include <memory>

// Pane styles of the status bar, as the framework numbers them.
constexpr uint32_t SBPS_NOBORDERS = 0x0100;
constexpr uint32_t SBPS_POPOUT = 0x0200;
constexpr uint32_t SBPS_STRETCH = 0x0800;
constexpr uint32_t SBPS_DISABLED = 0x04000000;

// Kinds of a pane record (bits 20-23 of its style word).
constexpr uint32_t kPaneKindMask = 0x00F00000;
constexpr uint32_t kPaneKindText = 0x00100000;
constexpr uint32_t kPaneKindProgress = 0x00800000;
// Text format flags (bits 0-19), as the platform's text drawing numbers them.
constexpr uint32_t DT_CENTER = 0x01;
constexpr uint32_t DT_RIGHT = 0x02;
constexpr uint32_t DT_VCENTER = 0x04;
constexpr uint32_t DT_BOTTOM = 0x08;

// How one pane of the styled status bar looks: colours and texts for its
// disabled [0] and enabled [1] state, its font, its kind, and the progress
// control a progress pane carries. Copies take everything but the control.
class CStatusPaneInfo {
public:
    CStatusPaneInfo();
    CStatusPaneInfo(const CStatusPaneInfo& other);
    CStatusPaneInfo& operator=(const CStatusPaneInfo& other);
    ~CStatusPaneInfo();

    // Back to the defaults, read from the system colours now; drops the control.
    void ResetPaneInfo();
    // The font by face name and size in tenths of a point.
    void SetPaneFont(const QString& faceName, int tenthsOfPoint);
    // Stores the style word; a progress kind gets a control (a child of
    // `bar`), any other kind loses it.
    void SetPaneKind(uint32_t style, QWidget* bar);

    uint32_t Kind() const { return style & kPaneKindMask; }
    QProgressBar* Control() const { return control.get(); }

    QColor textColor[2];
    QColor backColor[2];
    QString text[2];
    QFont font;
    uint32_t style = kPaneKindText;
    int offsetX = 0;
    int offsetY = 0;

private:
    std::unique_ptr<QProgressBar> control;
};
