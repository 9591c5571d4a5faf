#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <QAbstractItemView>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "app/AddPictures.h"
#include "app/PreviewCtrl.h"
#include "app/PreviewFileDlg.h"
#include "app/StyledStatusBar.h"
#include "picture/decoding/AutoDecoder.h"
#include "platform/framework/QtFrameworkUi.h"
#include "platform/gdi/Colors.h"
#include "resources/CommandIds.h"
#include "tests/app/ViewerFixture.h"
#include "tests/support/BmpWriter.h"
#include "tests/support/KirWriter.h"
#include "views/ThumbnailView.h"

namespace {

QColor SysColor(int index)
{
    gdi::ColorRef color = gdi::GetSysColor(index);
    return QColor(gdi::RedOf(color), gdi::GreenOf(color), gdi::BlueOf(color));
}

QColor CentreOf(const CPreviewCtrl& box)
{
    QImage shot = const_cast<CPreviewCtrl&>(box).grab().toImage();
    return shot.pixelColor(shot.width() / 2, shot.height() / 2);
}

// Answers the next modal file dialog: selects `names` in `folder` and accepts.
// `startedIn`, when given, receives the folder the dialog opened in.
void AnswerNextDialog(const QString& folder, const QString& names, QString* startedIn = nullptr)
{
    QTimer::singleShot(0, [folder, names, startedIn] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        if (startedIn != nullptr)
            *startedIn = dialog->directory().absolutePath();
        dialog->setDirectory(folder);
        if (!names.isEmpty())
            dialog->selectFile(names);
        QMetaObject::invokeMethod(dialog, "accept");
    });
}

// The shared decoder, keeping the path of every file it is asked to decode.
class RecordingDecoder : public CAutoDecoder {
public:
    void DecodeFile(const char* path, CPictureBitmap& bitmap, int wantedDepth, CDecodeProgress* progress) override
    {
        decoded.push_back(QFileInfo(QString::fromUtf8(path)).fileName());
        CAutoDecoder::DecodeFile(path, bitmap, wantedDepth, progress);
    }
    QStringList decoded;
};

// The dialog's file list in the view mode it shows.
QAbstractItemView* FileList(const QFileDialog& dialog)
{
    for (auto* view : dialog.findChildren<QAbstractItemView*>())
        if (view->isVisible() && (view->objectName() == "listView" || view->objectName() == "treeView"))
            return view;
    return nullptr;
}

// The names the dialog's file list shows, once `expected` is among them.
QStringList ListedNames(const QFileDialog& dialog, const QString& expected)
{
    QAbstractItemView* list = FileList(dialog);
    QStringList names;
    bool listed = QTest::qWaitFor([&] {
        names.clear();
        for (int row = 0; row < list->model()->rowCount(list->rootIndex()); ++row)
            names.push_back(list->model()->index(row, 0, list->rootIndex()).data().toString());
        return names.contains(expected);
    });
    EXPECT_TRUE(listed) << expected.toStdString() << " was never listed";
    return names;
}

// Clicks the file `name` in the dialog's file list, as a user picks it.
void ClickListedFile(const QFileDialog& dialog, const QString& name)
{
    ListedNames(dialog, name);
    QAbstractItemView* list = FileList(dialog);
    QModelIndexList found = list->model()->match(list->model()->index(0, 0, list->rootIndex()), Qt::DisplayRole, name);
    ASSERT_EQ(found.size(), 1) << name.toStdString();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, list->visualRect(found.first()).center());
}

// Drags `paths` over `target` and drops them there, as a file manager does,
// then lets the event loop come round; false when the drag was refused.
bool Drop(QWidget& target, const std::vector<std::string>& paths)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const std::string& path : paths)
        urls.push_back(QUrl::fromLocalFile(QString::fromStdString(path)));
    data.setUrls(urls);
    QPoint at = target.rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &drop);
    QCoreApplication::processEvents();
    return drop.isAccepted();
}

// Keeps the process's current folder and puts it back at the end.
class CurrentFolderGuard {
public:
    ~CurrentFolderGuard() { QDir::setCurrent(saved_); }

private:
    QString saved_ = QDir::currentPath();
};

}  // namespace

TEST(PreviewPlacement, ShrinksToFitAndCentresButNeverEnlarges)
{
    PreviewPlacement wide = PlacePreview(2000, 1000, QRect(0, 0, 100, 100));
    EXPECT_DOUBLE_EQ(wide.scale, 0.05);
    EXPECT_EQ(QPoint(wide.x, wide.y), QPoint(0, 25));
    PreviewPlacement small = PlacePreview(40, 30, QRect(1, 1, 100, 100));
    EXPECT_DOUBLE_EQ(small.scale, 1.0);
    EXPECT_EQ(QPoint(small.x, small.y), QPoint(31, 36));
}

TEST_F(ViewerTest, PreviewFollowsTheSelection)
{
    std::string red = WritePicture("red", 300, 200, 0xFF0000);
    std::string text = folder.Write("notes.txt", std::string("not a picture"));
    CPreviewFileDlg dialog(app->Decoder(), &Frame(), QStringLiteral("t"), QString::fromStdString(folder.Path()));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.show();
    CPreviewCtrl& box = dialog.PreviewBox();
    EXPECT_TRUE(dialog.IsPreviewOn());
    EXPECT_TRUE(dialog.PreviewCheckBox().isChecked());
    EXPECT_EQ(dialog.PreviewCheckBox().text(), QStringLiteral("ﾌﾟﾚﾋﾞｭｰ表示(&P)"));
    EXPECT_EQ(CentreOf(box), SysColor(gdi::COLOR_BTNSHADOW));

    dialog.selectFile(QStringLiteral("red.bmp"));
    EXPECT_TRUE(box.IsLoaded());
    EXPECT_EQ(CentreOf(box), QColor(255, 0, 0));

    dialog.selectFile(QStringLiteral("notes.txt"));
    EXPECT_FALSE(box.IsLoaded());
    EXPECT_EQ(CentreOf(box), SysColor(gdi::COLOR_BTNSHADOW));

    // Switching the preview off empties the box at once; on again shows the selection.
    dialog.selectFile(QStringLiteral("red.bmp"));
    dialog.PreviewCheckBox().click();
    EXPECT_FALSE(dialog.IsPreviewOn());
    EXPECT_FALSE(box.IsLoaded());
    dialog.PreviewCheckBox().click();
    EXPECT_TRUE(box.IsLoaded());

    // Several names, or a folder, leave it empty.
    dialog.selectFile(QStringLiteral("\"red.bmp\" \"notes.txt\""));
    EXPECT_FALSE(box.IsLoaded());
    EXPECT_FALSE(box.Load(QString::fromStdString(folder.Path())));
    (void)red;
    (void)text;
}

TEST(PreviewFileDlg, EachSelectionDecodesOnlyTheFileNowSelected)
{
    TempFolder folder;
    folder.Write("a.bmp", SceneBmp(8, 6, 24));
    folder.Write("b.bmp", SceneBmp(8, 6, 24));
    RecordingDecoder decoder;
    CPreviewFileDlg dialog(decoder, nullptr, QStringLiteral("t"), QString::fromStdString(folder.Path()));
    dialog.show();
    ClickListedFile(dialog, QStringLiteral("a.bmp"));
    ClickListedFile(dialog, QStringLiteral("b.bmp"));
    EXPECT_EQ(decoder.decoded.join(QLatin1Char(' ')).toStdString(), "a.bmp b.bmp");
    EXPECT_TRUE(dialog.PreviewBox().IsLoaded());
}

TEST(PictureFileFilters, ThirteenRowsWithAllFormatsTwelfth)
{
    QStringList rows = PictureFileFilters();
    ASSERT_EQ(rows.size(), 13);
    EXPECT_EQ(rows[0], QStringLiteral("BMPﾌｧｲﾙ (*.bmp *.dib *.rle)"));
    EXPECT_EQ(rows[11], QStringLiteral("全画像形式 (*.bmp *.dib *.rle *.jpg *.jpeg *.jif *.png *.pct *.tif *.eps "
                                       "*.tga *.wmf *.emf *.pcx *.pgm *.gif)"));
    EXPECT_EQ(rows[12], QStringLiteral("すべてのﾌｧｲﾙ (*.*) (*)"));
}

TEST_F(ViewerTest, AddTakesOnlyPicturesAndRefreshesWhenSomethingWasAdded)
{
    WritePicture("red", 8, 6, 0xFF0000);
    folder.Write("notes.txt", std::string("not a picture"));
    QString here = QString::fromStdString(folder.Path());

    AnswerNextDialog(here, QStringLiteral("\"notes.txt\" \"red.bmp\""));
    AddPictureFiles(Frame(), Document());
    Document().FinishLoading();
    ASSERT_EQ(Document().GetEntryCount(), 1);
    EXPECT_EQ(Document().GetEntries()[0].name, "red.bmp");
    EXPECT_EQ(Frame().ProgressTotal(), 2);
    EXPECT_EQ(Frame().ThumbnailView()->count(), 1);

    // Only a text file: nothing added, and the strip is not rebuilt (its highlight stays).
    // The dialog starts where the last one ended.
    Frame().ThumbnailView()->SelectItem(0);
    QString startedIn;
    AnswerNextDialog(here, QStringLiteral("notes.txt"), &startedIn);
    AddPictureFiles(Frame(), Document());
    Document().FinishLoading();
    EXPECT_EQ(startedIn, QDir(here).absolutePath());
    EXPECT_EQ(Document().GetEntryCount(), 1);
    EXPECT_TRUE(Frame().ThumbnailView()->item(0)->isSelected());
}

TEST_F(ViewerTest, AddFromFolderTriesEveryFileBelowIt)
{
    WritePicture("top/a", 4, 3, 0xFF0000);
    WritePicture("top/sub/b", 4, 3, 0x00FF00);
    folder.Write("top/readme.txt", std::string("text"));
    AnswerNextDialog(QString::fromStdString(folder.Path() + "/top"), QString());
    AddPictureFolder(Frame(), Document());
    Document().FinishLoading();
    EXPECT_EQ(Document().GetEntryCount(), 2);
    EXPECT_EQ(Frame().ProgressTotal(), 3);
    EXPECT_EQ(Frame().ThumbnailView()->count(), 2);
    EXPECT_EQ(Frame().ProgressCount(), 3);
}

TEST_F(ViewerTest, InformationPaneDescribesTheCurrentPicture)
{
    Frame().Router().UpdateAll();
    EXPECT_EQ(Frame().StatusBar()->GetPaneText(4), QStringLiteral(" 16 x 16; 8 bpp; 1 kb"));
    AddPictures({WritePicture("vga", 640, 480, 0x123456)});
    Document().SelectPicture(0);
    Frame().Router().UpdateAll();
    EXPECT_EQ(Frame().StatusBar()->GetPaneText(4), QStringLiteral(" 640 x 480; 32 bpp; 1200 kb"));
}

TEST_F(ViewerTest, TheAllFilesRowListsNamesWithoutADot)
{
    WritePicture("red", 4, 3, 0xFF0000);
    folder.Write("README", std::string("no dot"));
    CQtFrameworkUi dialogs(&Frame(), "Lumo?");
    FileDialogSpec openSpec {"開く", {{"Lumo?(*.kir)", "*.kir"}, {"すべてのﾌｧｲﾙ (*.*)", "*.*"}}, "kir", ""};
    std::vector<std::pair<const char*, std::function<void()>>> dialogRuns = {
        {"add", [this] { AddPictureFiles(Frame(), Document()); }},
        {"open", [&] { dialogs.ChooseFileToOpen(openSpec); }},
    };
    for (const auto& [name, run] : dialogRuns) {
        QString shown;
        QStringList names;
        // Picks the last filter row as a user does, reads the list and cancels.
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            dialog->setDirectory(QString::fromStdString(folder.Path()));
            auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            QTest::keyClick(types, Qt::Key_End);
            shown = types->currentText();
            names = ListedNames(*dialog, QStringLiteral("red.bmp"));
            dialog->reject();
        });
        run();
        EXPECT_EQ(shown, QStringLiteral("すべてのﾌｧｲﾙ (*.*)")) << name;
        EXPECT_TRUE(names.contains(QStringLiteral("README"))) << name;
    }
}

TEST_F(ViewerTest, SavesWhereARelativelyOpenedCollectionLiesAfterAddingFromElsewhere)
{
    std::string here = folder.Path() + "/here";
    std::string inHere = WritePicture("here/a", 4, 3, 0xFF0000);
    WritePicture("elsewhere/b", 4, 3, 0x00FF00);
    ByteWriter collection;
    AddRecord(collection, "1\r\n");
    AddRecord(collection, "a.bmp\r\n");  // relative to the folder it was opened from
    folder.Write("here/rel.kir", collection.Take());

    CurrentFolderGuard guard;
    QDir::setCurrent(QString::fromStdString(here));
    ui.paths.push_back("rel.kir");
    Run(ID_FILE_OPEN);
    Document().FinishLoading();
    EXPECT_EQ(Document().GetPathName(), here + "/rel.kir");
    EXPECT_EQ(app->RecentFiles().GetEntries().front(), here + "/rel.kir");
    ASSERT_EQ(Document().GetEntryCount(), 1);
    EXPECT_EQ(Document().GetEntries()[0].path, inHere);

    AnswerNextDialog(QString::fromStdString(folder.Path() + "/elsewhere"), QStringLiteral("b.bmp"));
    AddPictureFiles(Frame(), Document());
    Document().FinishLoading();
    ASSERT_EQ(Document().GetEntryCount(), 2);
    EXPECT_EQ(QDir::currentPath().toStdString(), here);
    Run(ID_FILE_SAVE);
    EXPECT_FALSE(std::filesystem::exists(folder.Path() + "/elsewhere/rel.kir"));
    Run(ID_FILE_NEW);
    ui.paths.push_back(here + "/rel.kir");
    Run(ID_FILE_OPEN);
    Document().FinishLoading();
    EXPECT_EQ(Document().GetEntryCount(), 2);
}

TEST_F(ViewerTest, DroppedFilesAndFoldersAreAddedInTheirOrder)
{
    std::string last = WritePicture("last", 4, 3, 0xFF0000);
    std::string first = WritePicture("first", 4, 3, 0x00FF00);
    WritePicture("dropped/a", 4, 3, 0xFF);
    WritePicture("dropped/sub/b", 4, 3, 0xFF);
    std::string text = folder.Write("notes.txt", std::string("not a picture"));

    ASSERT_TRUE(Drop(Frame(), {first, folder.Path() + "/dropped", text, last}));
    Document().FinishLoading();
    std::vector<std::string> names;
    for (const ImageEntry& entry : Document().GetEntries())
        names.push_back(entry.name);
    EXPECT_EQ(names, (std::vector<std::string> {"first.bmp", "a.bmp", "b.bmp", "last.bmp"}));
    EXPECT_EQ(Frame().ProgressTotal(), 5);
    EXPECT_EQ(Frame().ThumbnailView()->count(), 4);

    // Refused, as Add is, while a slide show runs or a load is under way.
    Run(ID_SLIDESHOW_START);
    EXPECT_FALSE(Drop(Frame(), {first}));
    Run(ID_SLIDESHOW_STOP);
    Document().StartAdding({folder.Path() + "/dropped"});
    EXPECT_FALSE(Drop(Frame(), {first}));
    Document().FinishLoading();
    EXPECT_EQ(Document().GetEntryCount(), 6);
}

TEST_F(ViewerTest, ADroppedCollectionFileIsOpenedAfterTheSaveQuestion)
{
    AddPictures({WritePicture("a", 4, 3, 0xFF0000)});
    ByteWriter collection;
    AddRecord(collection, "2\r\n");
    AddRecord(collection, WritePicture("b", 4, 3, 0x00FF00) + "\r\n");
    AddRecord(collection, WritePicture("c", 4, 3, 0xFF) + "\r\n");
    std::string path = folder.Write("two.kir", collection.Take());

    ui.answers.push_back(PromptAnswer::Cancel);
    ASSERT_TRUE(Drop(Frame(), {path}));
    EXPECT_EQ(ui.questions, (std::vector<std::string> {"無題 への変更を保存しますか?"}));
    EXPECT_EQ(Document().GetEntryCount(), 1);

    ui.answers.push_back(PromptAnswer::No);
    ASSERT_TRUE(Drop(Frame(), {path}));
    Document().FinishLoading();
    EXPECT_EQ(Document().GetPathName(), path);
    EXPECT_EQ(Document().GetEntryCount(), 2);
    EXPECT_EQ(Frame().windowTitle(), QStringLiteral("two.kir - Lumo?"));
}
