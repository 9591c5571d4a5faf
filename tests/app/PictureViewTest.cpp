#include <QTest>

#include "resources/CommandIds.h"
#include "tests/app/ViewerFixture.h"
#include "views/KiroView.h"

TEST_F(ViewerTest, EndingZoomModeDuringADragTakesTheRubberBandAway)
{
    constexpr uint32_t kGrey = 0x808080;
    struct Case {
        const char* name;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    };
    for (const Case& ending : {Case {"Ctrl+M", Qt::Key_M, Qt::ControlModifier},
                               Case {"Delete", Qt::Key_Delete, Qt::NoModifier}}) {
        SCOPED_TRACE(ending.name);
        Run(ID_REMOVE_ALL);
        AddPictures({WritePicture("a", 200, 150, kGrey), WritePicture("b", 200, 150, kGrey)});
        Document().SelectPicture(0);
        CKiroView* view = Frame().PictureView();
        view->setFocus();
        Run(ID_ZOOM);
        ASSERT_EQ(view->GetZoomMode(), 1);

        QPoint from = view->LogicalToClient({20, 20});
        QPoint to = view->LogicalToClient({120, 90});
        QTest::mousePress(view->viewport(), Qt::LeftButton, Qt::NoModifier, from);
        QTest::mouseMove(view->viewport(), to);
        QTest::keyClick(&Frame(), ending.key, ending.modifiers);
        QTest::mouseRelease(view->viewport(), Qt::LeftButton, Qt::NoModifier, to);
        EXPECT_EQ(view->GetZoomMode(), 0);
        Document().SelectPicture(0);

        // The band's top edge would show on the uniform picture.
        QImage shot = view->viewport()->grab().toImage();
        int marked = 0;
        for (int x = from.x(); x < to.x(); ++x)
            marked += (shot.pixel(x, from.y()) & 0xFFFFFF) != kGrey;
        EXPECT_EQ(marked, 0);
    }
}
