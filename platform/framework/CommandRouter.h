#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <optional>
#include <vector>

class QAction;
class QKeySequence;
class QMenu;
class QWidget;

// The state of one command as its update handler leaves it.
class CCmdUI {
public:
    explicit CCmdUI(int id) : id_(id) {}

    int GetId() const { return id_; }
    void Enable(bool on = true) { enabled_ = on; }
    void SetCheck(int check) { checked_ = check != 0; }
    void SetText(const QString& text) { text_ = text; }

    bool IsEnabled() const { return enabled_; }
    std::optional<bool> Checked() const { return checked_; }
    std::optional<QString> Text() const { return text_; }

private:
    int id_;
    bool enabled_ = true;
    std::optional<bool> checked_;
    std::optional<QString> text_;
};

// Something commands are routed to: the active view, its document, the frame,
// the application. Each answers only for the ids it knows.
class ICommandTarget {
public:
    virtual ~ICommandTarget() = default;
    // Carries the command out; false when this target has no handler for it.
    virtual bool OnCommand(int /*id*/) { return false; }
    // Fills in the command's state; false when this target has no update handler for it.
    virtual bool OnUpdateCommand(CCmdUI& /*ui*/) { return false; }
};

// One QAction per command id, all routed through the targets in order. A
// command's state comes from the first update handler that answers; without
// one it is enabled. States are refreshed
// whenever the event loop goes idle and before a menu opens, and a command that
// is disabled at the moment it arrives never runs, from menu, toolbar or key.
// A command's key belongs to the command whatever its state: a disabled
// command's key does nothing, rather than reaching the focused widget.
class CCommandRouter : public QObject {
public:
    explicit CCommandRouter(QObject* parent = nullptr);

    // The targets to ask, in order, at the moment of asking.
    void SetRoute(std::function<std::vector<ICommandTarget*>()> route) { route_ = std::move(route); }
    // Routes the action's triggers to `id` and keeps its state up to date.
    void AddAction(int id, QAction* action);
    QAction* Action(int id) const;
    // Routes `keys`, pressed anywhere in `window`, to `id`.
    void AddShortcut(int id, const QKeySequence& keys, QWidget* window);
    // Ids without an action (status panes) whose text update handlers feed `show`.
    void AddTextIndicator(int id, std::function<void(const QString&)> show);
    // Refreshes the states before `menu` opens.
    void WatchMenu(QMenu* menu);

    CCmdUI Query(int id) const;
    // Carries out the command unless it is disabled now; true when it ran.
    bool Execute(int id);
    void UpdateAll();

private:
    std::vector<ICommandTarget*> Targets() const;

    std::function<std::vector<ICommandTarget*>()> route_;
    std::map<int, QAction*> actions_;
    std::map<int, std::function<void(const QString&)>> indicators_;
};
