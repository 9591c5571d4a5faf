#pragma once

// Command and resource ids of the viewer. The framework's own commands
// (New, Open, Save …) keep the framework's ids, listed here too so that menus,
// toolbar, prompts and handlers share one table of names.
enum CommandId : int {
    ID_SEPARATOR = 0,

    ID_ZOOM = 32771,
    ID_INDICATOR_ZOOM = 32772,
    ID_INDICATOR_X = 32773,
    ID_INDICATOR_Y = 32774,
    ID_INDICATOR_IMAGE_INFO = 32775,
    ID_ADD_IMAGE = 32776,
    ID_REMOVE_IMAGE = 32777,
    ID_REMOVE_ALL = 32778,
    IDS_ADD_IMAGE_TITLE = 32779,
    ID_ADD_FOLDER = 32780,
    IDS_FILTER_FIRST = 32781,
    IDS_FILTER_LAST = 32804,
    IDS_FOLDER_TITLE = 32805,
    ID_SLIDESHOW_START = 32806,
    ID_SLIDESHOW_STOP = 32807,
    ID_COPY = 32808,

    // Picture stepping, full screen and the slide show's interval.
    ID_NEXT_PICTURE = 32840,
    ID_PREV_PICTURE = 32841,
    ID_FULL_SCREEN = 32842,
    ID_INTERVAL_1 = 32843,
    ID_INTERVAL_2 = 32844,
    ID_INTERVAL_3 = 32845,
    ID_INTERVAL_5 = 32846,
    ID_INTERVAL_10 = 32847,

    // The titles of the menus, and the File menu's line for an empty recently used list.
    IDS_MENU_FILE = 32860,
    IDS_MENU_IMAGE = 32861,
    IDS_MENU_INTERVALS = 32862,
    IDS_MENU_VIEW = 32863,
    IDS_MENU_HELP = 32864,
    IDS_NO_RECENT_FILES = 32865,

    // How the picture view shows pictures: zoom steps and display options.
    ID_ZOOM_IN = 32820,
    ID_ZOOM_OUT = 32821,
    ID_ZOOM_ACTUAL_SIZE = 32822,
    ID_ZOOM_FIT = 32823,
    ID_VIEW_FIT_ON_OPEN = 32824,
    ID_VIEW_SMOOTH_REDUCTION = 32825,
    ID_VIEW_ALPHA_CHECKERBOARD = 32826,

    IDR_MAINFRAME = 128,
    IDD_ABOUTBOX = 100,
    IDD_PREVIEW = 101,

    ID_FILE_NEW = 57600,
    ID_FILE_OPEN = 57601,
    ID_FILE_SAVE = 57603,
    ID_FILE_SAVE_AS = 57604,
    ID_FILE_MRU_FIRST = 57616,
    ID_FILE_MRU_LAST = 57631,
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
    ID_NEXT_PANE = 57680,
    ID_PREV_PANE = 57681,
    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,

    AFX_IDS_APP_TITLE = 57344,
    AFX_IDS_IDLEMESSAGE = 57345,
    AFX_IDS_ALLFILTER = 61442,
};
