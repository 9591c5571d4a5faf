#include "platform/framework/CommandRouter.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QMenu>
#include <QShortcut>
#include <QThread>

CCommandRouter::CCommandRouter(QObject* parent) : QObject(parent)
{
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance(QThread::currentThread()))
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &CCommandRouter::UpdateAll);
}

std::vector<ICommandTarget*> CCommandRouter::Targets() const
{
    return route_ ? route_() : std::vector<ICommandTarget*> {};
}

void CCommandRouter::AddAction(int id, QAction* action)
{
    actions_[id] = action;
    connect(action, &QAction::triggered, this, [this, id] { Execute(id); });
}

void CCommandRouter::AddShortcut(int id, const QKeySequence& keys, QWidget* window)
{
    // A QShortcut of its own, always enabled: a disabled action's shortcut
    // would let the key fall through to the focused widget.
    auto* shortcut = new QShortcut(keys, window);
    connect(shortcut, &QShortcut::activated, this, [this, id] { Execute(id); });
}

QAction* CCommandRouter::Action(int id) const
{
    auto found = actions_.find(id);
    return found != actions_.end() ? found->second : nullptr;
}

void CCommandRouter::AddTextIndicator(int id, std::function<void(const QString&)> show)
{
    indicators_[id] = std::move(show);
}

void CCommandRouter::WatchMenu(QMenu* menu)
{
    connect(menu, &QMenu::aboutToShow, this, &CCommandRouter::UpdateAll);
}

CCmdUI CCommandRouter::Query(int id) const
{
    for (ICommandTarget* target : Targets()) {
        CCmdUI ui(id);
        if (target->OnUpdateCommand(ui))
            return ui;
    }
    // Without an update handler a command is available.
    return CCmdUI(id);
}

bool CCommandRouter::Execute(int id)
{
    if (!Query(id).IsEnabled())
        return false;
    for (ICommandTarget* target : Targets())
        if (target->OnCommand(id))
            return true;
    return false;
}

void CCommandRouter::UpdateAll()
{
    for (auto& [id, action] : actions_) {
        CCmdUI ui = Query(id);
        if (action->isEnabled() != ui.IsEnabled())
            action->setEnabled(ui.IsEnabled());
        if (ui.Checked()) {
            action->setCheckable(true);
            if (action->isChecked() != *ui.Checked())
                action->setChecked(*ui.Checked());
        }
        if (ui.Text() && action->text() != *ui.Text())
            action->setText(*ui.Text());
    }
    for (auto& [id, show] : indicators_) {
        CCmdUI ui = Query(id);
        show(ui.Text().value_or(QString()));
    }
}
