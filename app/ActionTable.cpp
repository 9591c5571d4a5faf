#include "app/ActionTable.h"

#include "app/OptionsFile.h"
#include "resources/CommandIds.h"
#include "resources/Icons.h"

namespace {

constexpr int kMaxRecentFiles = 10;

std::vector<ActionRow> MakeTable()
{
    using enum EnableRule;
    // id, key, menu, menu group, toolbar group (0: none), toolbar icon, enable rule, checkable, option, count
    const Menu file = Menu::kFile, image = Menu::kImage, view = Menu::kView;
    return {
        {ID_FILE_NEW, Qt::CTRL | Qt::Key_N, file, 1, 1, kNewIcon},
        {ID_FILE_OPEN, Qt::CTRL | Qt::Key_O, file, 1, 1, kOpenIcon},
        {ID_FILE_SAVE, Qt::CTRL | Qt::Key_S, file, 1, 0, nullptr, kIdle},
        {ID_FILE_SAVE_AS, {}, file, 1, 1, kSaveAsIcon, kIdle},
        {ID_FILE_MRU_FIRST, {}, file, 2, 0, nullptr, kRecentFiles, false, nullptr, kMaxRecentFiles},
        {ID_APP_EXIT, {}, file, 3, 0, nullptr, kAlways},

        {ID_ADD_IMAGE, Qt::CTRL | Qt::Key_A, image, 1, 2, kAddIcon, kIdle},
        {ID_ADD_FOLDER, Qt::CTRL | Qt::Key_L, image, 1, 2, kAddFolderIcon, kIdle},
        {ID_REMOVE_IMAGE, Qt::Key_Delete, image, 1, 2, kRemoveIcon, kIdleWithPictures},
        {ID_REMOVE_ALL, Qt::CTRL | Qt::Key_Delete, image, 1, 2, kRemoveAllIcon, kIdleWithPictures},
        {ID_ZOOM, Qt::CTRL | Qt::Key_M, image, 2, 3, kZoomIcon, kOutsideShow, true},
        {ID_COPY, Qt::CTRL | Qt::Key_C, image, 3, 4, kCopyIcon, kPictureShown},
        // Ctrl+S is Save's key; F5 starts the show.
        {ID_SLIDESHOW_START, Qt::Key_F5, image, 4, 5, kSlideStartIcon, kShowCanStart},
        {ID_SLIDESHOW_STOP, Qt::CTRL | Qt::Key_T, image, 4, 5, kSlideStopIcon, kShowCanStop},
        {ID_INTERVAL_1, {}, Menu::kIntervals, 4, 0, nullptr, kAlways, true, nullptr, int(kSlideShowSeconds.size())},
        {ID_NEXT_PICTURE, Qt::Key_Space, image, 5, 0, nullptr, kWithPictures},
        {ID_PREV_PICTURE, Qt::Key_Backspace, image, 5, 0, nullptr, kWithPictures},

        {ID_VIEW_TOOLBAR, {}, view, 1, 0, nullptr, kAlways, true},
        {ID_VIEW_STATUS_BAR, {}, view, 1, 0, nullptr, kAlways, true},
        {ID_ZOOM_IN, Qt::Key_Plus, view, 2},
        {ID_ZOOM_OUT, Qt::Key_Minus, view, 2},
        {ID_ZOOM_ACTUAL_SIZE, Qt::Key_0, view, 2},
        {ID_ZOOM_FIT, Qt::Key_Asterisk, view, 2},
        {ID_VIEW_FIT_ON_OPEN, {}, view, 3, 0, nullptr, kOutsideShow, true, &ViewerOptions::fitOnOpen},
        {ID_VIEW_SMOOTH_REDUCTION, {}, view, 3, 0, nullptr, kOutsideShow, true, &ViewerOptions::smoothReduction},
        {ID_VIEW_ALPHA_CHECKERBOARD, {}, view, 3, 0, nullptr, kOutsideShow, true, &ViewerOptions::alphaCheckerboard},
        {ID_FULL_SCREEN, Qt::Key_F11, view, 4, 0, nullptr, kAlways, true},

        {ID_APP_ABOUT, {}, Menu::kHelp, 1},

        {ID_NEXT_PANE, Qt::Key_F6, Menu::kNone, 0, 0, nullptr, kAlways},
        {ID_PREV_PANE, Qt::SHIFT | Qt::Key_F6, Menu::kNone, 0, 0, nullptr, kAlways},
    };
}

}  // namespace

const std::vector<ActionRow>& ActionTable()
{
    static const std::vector<ActionRow> table = MakeTable();
    return table;
}

int MenuTitleId(Menu menu)
{
    switch (menu) {
    case Menu::kFile: return IDS_MENU_FILE;
    case Menu::kImage: return IDS_MENU_IMAGE;
    case Menu::kIntervals: return IDS_MENU_INTERVALS;
    case Menu::kView: return IDS_MENU_VIEW;
    case Menu::kHelp: return IDS_MENU_HELP;
    case Menu::kNone: break;
    }
    return 0;
}

const ActionRow* FindActionRow(int id)
{
    for (const ActionRow& row : ActionTable())
        if (id >= row.id && id < row.id + row.count)
            return &row;
    return nullptr;
}
