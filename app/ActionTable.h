#pragma once

#include <QKeySequence>
#include <vector>

#include "app/ViewerOptions.h"

// The menus of the menu bar, in their order; the interval menu sits in the
// Image menu, after the rows before it.
enum class Menu { kNone, kFile, kImage, kIntervals, kView, kHelp };

// When a command is enabled, read from the slide show, the document's load,
// the collection and the recently used list.
enum class EnableRule {
    kAlways,
    kOutsideShow,          // no slide show runs
    kIdle,                 // no slide show runs and no load
    kIdleWithPictures,     // the same, and the collection holds a picture
    kWithPictures,         // no slide show runs and the collection holds a picture
    kPictureShown,         // no slide show runs and a picture is shown
    kShowCanStart,         // no slide show runs and there are two pictures or more
    kShowCanStop,          // a slide show runs over two pictures or more
    kRecentFiles,          // no slide show runs and the recently used list has an entry
};

// One command of the viewer: everything menus, toolbar, keys, prompts and
// enable rules are built from. The menu text and the prompt are the string
// resources of `id` (MenuText, PromptStatusText, PromptTooltip). A row may
// stand for a run of `count` consecutive ids (the recently used files, the
// slide show's intervals), each with texts of its own.
struct ActionRow {
    int id;
    QKeySequence shortcut;
    Menu menu = Menu::kNone;
    // Neighbours of different groups in a menu or on the toolbar are parted by a separator.
    int menuGroup = 0;
    // 0 keeps the command off the toolbar.
    int toolbarGroup = 0;
    // The toolbar button's picture (XPM data from Icons.h); null for commands off the toolbar.
    const char* const* toolbarIcon = nullptr;
    EnableRule enable = EnableRule::kOutsideShow;
    bool checkable = false;
    // The display option the command toggles and whose state its check mark shows.
    bool ViewerOptions::*option = nullptr;
    int count = 1;
};

// Every command in menu order: File, Image (with the interval menu), View,
// Help, then the commands that only have a key.
const std::vector<ActionRow>& ActionTable();
// The string id of the menu's title.
int MenuTitleId(Menu menu);
// The row standing for `id`, null for ids that are not commands.
const ActionRow* FindActionRow(int id);
