#include <gtest/gtest.h>

#include <QAction>
#include <QEventLoop>
#include <QTimer>

#include "platform/framework/CommandRouter.h"

namespace {

// A target that runs and updates a set of ids, and counts what it ran.
class Target : public ICommandTarget {
public:
    Target(int id, bool enabled) : id_(id), enabled_(enabled) {}
    bool OnCommand(int id) override
    {
        if (id != id_)
            return false;
        ++runs;
        return true;
    }
    bool OnUpdateCommand(CCmdUI& ui) override
    {
        if (ui.GetId() != id_)
            return false;
        ui.Enable(enabled_);
        ui.SetCheck(checked);
        return true;
    }
    void SetEnabled(bool enabled) { enabled_ = enabled; }
    int runs = 0;
    int checked = 0;

private:
    int id_;
    bool enabled_;
};

}  // namespace

TEST(CommandRouter, AsksTheTargetsInOrder)
{
    Target view(1, true);
    Target frame(1, true);
    Target other(2, true);
    CCommandRouter router;
    router.SetRoute([&] { return std::vector<ICommandTarget*> {&view, &frame, &other}; });
    EXPECT_TRUE(router.Execute(1));
    EXPECT_EQ(view.runs, 1);
    EXPECT_EQ(frame.runs, 0);
    EXPECT_TRUE(router.Execute(2));
    EXPECT_EQ(other.runs, 1);
    EXPECT_FALSE(router.Execute(3));  // nobody runs it
}

TEST(CommandRouter, ADisabledCommandNeverRuns)
{
    Target frame(7, true);
    CCommandRouter router;
    router.SetRoute([&] { return std::vector<ICommandTarget*> {&frame}; });
    QAction action;
    router.AddAction(7, &action);
    router.UpdateAll();
    EXPECT_TRUE(action.isEnabled());

    // Disabled after the last refresh: the trigger still finds it disabled.
    frame.SetEnabled(false);
    action.trigger();
    EXPECT_EQ(frame.runs, 0);
    router.UpdateAll();
    EXPECT_FALSE(action.isEnabled());
    frame.SetEnabled(true);
    router.UpdateAll();
    action.trigger();
    EXPECT_EQ(frame.runs, 1);
}

TEST(CommandRouter, RefreshesChecksAndIndicatorTexts)
{
    Target view(5, true);
    view.checked = 1;
    CCommandRouter router;
    router.SetRoute([&] { return std::vector<ICommandTarget*> {&view}; });
    QAction action;
    router.AddAction(5, &action);
    QString shown = QStringLiteral("untouched");
    router.AddTextIndicator(9, [&](const QString& text) { shown = text; });
    router.UpdateAll();
    EXPECT_TRUE(action.isChecked());
    EXPECT_EQ(shown, QString());  // no handler for the pane: empty
}

TEST(CommandRouter, RefreshesWhenTheEventLoopGoesIdle)
{
    Target frame(3, false);
    CCommandRouter router;
    router.SetRoute([&] { return std::vector<ICommandTarget*> {&frame}; });
    QAction action;
    router.AddAction(3, &action);
    ASSERT_TRUE(action.isEnabled());
    QEventLoop loop;
    QTimer::singleShot(20, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_FALSE(action.isEnabled());
}
