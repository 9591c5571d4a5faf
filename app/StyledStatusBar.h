#pragma once

#include <QStatusBar>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "app/StatusPaneInfo.h"

// The main window's status bar. It paints itself: every pane has its own
// font, colours and texts (a CStatusPaneInfo record), a pane can turn into a
// progress bar, a pane's record can be put aside and brought back, the size
// grip is drawn by hand, and every mouse event reaching the bar is passed on
// to its owner first. Panes are given by a list of string ids, each indicator
// pane as wide as its id's sample text.
class CStyledStatusBar : public QStatusBar {
public:
    explicit CStyledStatusBar(QWidget* owner);
    ~CStyledStatusBar() override;

    // Sets the panes; shows "Unable to create Statusbar." and returns false when
    // an indicator has no sample text.
    bool CreateBar(QWidget* owner, const int* ids, int count, uint32_t firstPaneStyle);
    bool SetIndicators(const int* ids, int count);

    int GetPaneCount() const { return static_cast<int>(panes_.size()); }
    CStatusPaneInfo& GetPaneInfo(int index) { return *records_.at(static_cast<size_t>(index)); }
    int GetItemId(int index) const { return panes_.at(static_cast<size_t>(index)).id; }
    int CommandToIndex(int id) const;
    uint32_t GetPaneStyle(int index) const { return panes_.at(static_cast<size_t>(index)).style; }
    // Sets the framework pane style, keeping the pane's id and width.
    void SetPaneStyle(int index, uint32_t style);
    QString GetPaneText(int index) const { return panes_.at(static_cast<size_t>(index)).text; }
    void SetPaneText(int index, const QString& text);
    QRect GetItemRect(int index) const;

    void SavePane(int index);
    // Brings back a saved record (dropping the pane's control); repaints either way.
    void RestorePane(int index);
    bool HasSavedPane(int index) const { return saved_.count(index) != 0; }

    // What pane 0 shows when no prompt is shown.
    void SetIdleMessage(const QString& text);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    struct Pane {
        int id = 0;
        uint32_t style = 0;
        QString text;
    };

    int IndicatorWidth(int index) const;
    QRect GripRect() const;
    bool ShowsGrip() const;
    void PaintPane(QPainter& painter, int index);
    void PaintText(QPainter& painter, const QRect& rect, int index, int state);
    void PaintGrip(QPainter& painter) const;
    void ForwardToOwner(QMouseEvent* event);

    QWidget* owner_;
    std::vector<Pane> panes_;
    std::vector<std::unique_ptr<CStatusPaneInfo>> records_;
    std::map<int, CStatusPaneInfo> saved_;
    QString idleMessage_;
};
