#include <gtest/gtest.h>

#include <QMainWindow>
#include <QMouseEvent>
#include <QTest>

#include "app/StyledStatusBar.h"
#include "platform/gdi/Colors.h"
#include "resources/CommandIds.h"

namespace {

const int kIndicators[] = {ID_SEPARATOR, ID_INDICATOR_ZOOM, ID_INDICATOR_X, ID_INDICATOR_Y, ID_INDICATOR_IMAGE_INFO};

// A window whose status bar has the viewer's five panes; it records the mouse
// presses that reach it.
class Owner : public QMainWindow {
public:
    Owner()
    {
        bar = new CStyledStatusBar(this);
        setStatusBar(bar);
        created = bar->CreateBar(this, kIndicators, 5, SBPS_STRETCH);
        resize(640, 200);
        show();
    }
    CStyledStatusBar* bar;
    bool created;
    std::vector<QPointF> presses;

protected:
    void mousePressEvent(QMouseEvent* event) override { presses.push_back(event->position()); }
};

QColor SysColor(int index)
{
    gdi::ColorRef color = gdi::GetSysColor(index);
    return QColor(gdi::RedOf(color), gdi::GreenOf(color), gdi::BlueOf(color));
}

bool HasColor(const QImage& image, const QRect& rect, const QColor& color)
{
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (image.pixelColor(x, y) == color)
                return true;
    return false;
}

}  // namespace

TEST(StyledStatusBar, SizesIndicatorPanesFromTheirSamples)
{
    Owner owner;
    ASSERT_TRUE(owner.created);
    ASSERT_EQ(owner.bar->GetPaneCount(), 5);
    QRect zoom = owner.bar->GetItemRect(1);
    QRect info = owner.bar->GetItemRect(4);
    EXPECT_GT(info.width(), 3 * zoom.width());
    EXPECT_LT(zoom.right(), info.left());
    // The message pane stretches over what is left.
    EXPECT_GT(owner.bar->GetItemRect(0).width(), info.width());
    EXPECT_EQ(owner.bar->GetItemRect(0).left(), 2);
}

TEST(StyledStatusBar, RefusesIndicatorsWithoutSamples)
{
    CStyledStatusBar bar(nullptr);
    const int unknown[] = {0, 4711};
    EXPECT_FALSE(bar.SetIndicators(unknown, 2));
    EXPECT_TRUE(bar.SetIndicators(kIndicators, 5));
}

TEST(StyledStatusBar, PaintsPaneTextInTheRecordsColours)
{
    Owner owner;
    CStatusPaneInfo& record = owner.bar->GetPaneInfo(1);
    record.textColor[1] = QColor(255, 0, 0);
    record.backColor[1] = QColor(0, 0, 255);
    owner.bar->SetPaneText(1, QStringLiteral("2.00:1"));
    QImage shot = owner.bar->grab().toImage();
    QRect pane = owner.bar->GetItemRect(1).adjusted(1, 1, -1, -1);
    EXPECT_TRUE(HasColor(shot, pane, QColor(0, 0, 255)));
    EXPECT_TRUE(HasColor(shot, pane, QColor(255, 0, 0)));

    // The record's own text wins over the pane text; without any text only the background shows.
    owner.bar->SetPaneText(1, QString());
    shot = owner.bar->grab().toImage();
    EXPECT_FALSE(HasColor(shot, pane, QColor(255, 0, 0)));
    record.text[1] = QStringLiteral("x");
    shot = owner.bar->grab().toImage();
    EXPECT_TRUE(HasColor(shot, pane, QColor(255, 0, 0)));
}

TEST(StyledStatusBar, SavedPanesComeBackWithoutTheirProgressControl)
{
    Owner owner;
    CStyledStatusBar& bar = *owner.bar;
    bar.GetPaneInfo(0).textColor[1] = QColor(1, 2, 3);
    bar.SavePane(0);
    bar.GetPaneInfo(0).SetPaneKind(kPaneKindProgress, &bar);
    ASSERT_NE(bar.GetPaneInfo(0).Control(), nullptr);
    bar.GetPaneInfo(0).Control()->setValue(40);
    bar.grab();  // painting places the control over the pane
    EXPECT_EQ(bar.GetPaneInfo(0).Control()->geometry(), bar.GetItemRect(0));

    bar.RestorePane(0);
    EXPECT_EQ(bar.GetPaneInfo(0).Control(), nullptr);
    EXPECT_EQ(bar.GetPaneInfo(0).Kind(), kPaneKindText);
    EXPECT_EQ(bar.GetPaneInfo(0).textColor[1], QColor(1, 2, 3));
    EXPECT_FALSE(bar.HasSavedPane(0));

    // Restoring a pane never saved changes nothing.
    bar.GetPaneInfo(2).textColor[1] = QColor(9, 9, 9);
    bar.RestorePane(2);
    EXPECT_EQ(bar.GetPaneInfo(2).textColor[1], QColor(9, 9, 9));
}

TEST(StyledStatusBar, CopiesOfARecordHaveNoControl)
{
    QWidget parent;
    CStatusPaneInfo record;
    record.SetPaneKind(kPaneKindProgress, &parent);
    CStatusPaneInfo copy(record);
    EXPECT_NE(record.Control(), nullptr);
    EXPECT_EQ(copy.Control(), nullptr);
    EXPECT_EQ(copy.Kind(), kPaneKindProgress);
    record = copy;
    EXPECT_EQ(record.Control(), nullptr);
}

TEST(StyledStatusBar, DrawsTheSizeGripUnlessTheOwnerIsMaximised)
{
    Owner owner;
    QImage shot = owner.bar->grab().toImage();
    int w = shot.width();
    int h = shot.height();
    // Lines run from (w - i, h) to (w, h - i): the fourth is a shadow line, the fifth a highlight one.
    EXPECT_EQ(shot.pixelColor(w - 2, h - 2), SysColor(gdi::COLOR_BTNSHADOW));
    EXPECT_EQ(shot.pixelColor(w - 3, h - 2), SysColor(gdi::COLOR_BTNHIGHLIGHT));

    owner.showMaximized();
    QTest::qWait(50);
    shot = owner.bar->grab().toImage();
    EXPECT_EQ(shot.pixelColor(shot.width() - 2, shot.height() - 2), SysColor(gdi::COLOR_BTNFACE));
}

TEST(StyledStatusBar, PassesMouseEventsToTheOwnerInBarCoordinates)
{
    Owner owner;
    QTest::mousePress(owner.bar, Qt::LeftButton, Qt::NoModifier, {30, 5});
    ASSERT_EQ(owner.presses.size(), 1u);
    EXPECT_EQ(owner.presses[0], QPointF(30, 5));
}

TEST(StyledStatusBar, ShowsPromptsAndOtherwiseTheIdleMessage)
{
    Owner owner;
    owner.bar->SetIdleMessage(QStringLiteral("ﾚﾃﾞｨ"));
    EXPECT_EQ(owner.bar->GetPaneText(0), QStringLiteral("ﾚﾃﾞｨ"));
    owner.bar->showMessage(QStringLiteral("画像を追加"));
    EXPECT_EQ(owner.bar->GetPaneText(0), QStringLiteral("画像を追加"));
    owner.bar->clearMessage();
    EXPECT_EQ(owner.bar->GetPaneText(0), QStringLiteral("ﾚﾃﾞｨ"));
}
