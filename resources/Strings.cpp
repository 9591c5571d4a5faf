#include "resources/Strings.h"

#include <QHash>

#include "resources/CommandIds.h"

namespace {

const QHash<int, QString>& Table()
{
    static const QHash<int, QString> table = {
        {IDR_MAINFRAME, QStringLiteral("Lumo?\n\n\nLumo?(*.kir)\n.kir\n\n")},
        {AFX_IDS_APP_TITLE, QStringLiteral("Lumo?")},
        {AFX_IDS_IDLEMESSAGE, QStringLiteral("ﾚﾃﾞｨ")},
        {AFX_IDS_ALLFILTER, QStringLiteral("すべてのﾌｧｲﾙ (*.*)")},

        {IDS_MENU_FILE, QStringLiteral("ﾌｧｲﾙ(&F)")},
        {IDS_MENU_IMAGE, QStringLiteral("画像(&I)")},
        {IDS_MENU_INTERVALS, QStringLiteral("ｽﾗｲﾄﾞｼｮｳの間隔(&I)")},
        {IDS_MENU_VIEW, QStringLiteral("表示(&V)")},
        {IDS_MENU_HELP, QStringLiteral("ﾍﾙﾌﾟ(&H)")},
        {IDS_NO_RECENT_FILES, QStringLiteral("最近使ったﾌｧｲﾙ")},

        {ID_ZOOM, QStringLiteral("画像をｽﾞｰﾑ\nｽﾞｰﾑ(Ctrl+M)")},
        {ID_INDICATOR_ZOOM, QStringLiteral("1:2.34")},
        {ID_INDICATOR_X, QStringLiteral("0123")},
        {ID_INDICATOR_Y, QStringLiteral("9876")},
        {ID_INDICATOR_IMAGE_INFO, QStringLiteral("1234 x 9876; xy bpp; 0000 kb")},
        {ID_ADD_IMAGE, QStringLiteral("画像を追加\n画像追加(Ctrl+A)")},
        {ID_REMOVE_IMAGE, QStringLiteral("選択されている画像を削除\n画像削除(DEL)")},
        {ID_REMOVE_ALL, QStringLiteral("全ての画像を削除\n全画像削除(Ctrl+DEL)")},
        {IDS_ADD_IMAGE_TITLE, QStringLiteral("画像ファイルの追加")},
        {ID_ADD_FOLDER, QStringLiteral("ﾌｫﾙﾀﾞから画像を追加\nﾌｫﾙﾀﾞから画像追加(Ctrl+L)")},
        {32781, QStringLiteral("BMPﾌｧｲﾙ")},
        {32782, QStringLiteral("*.bmp;*.dib;*.rle")},
        {32783, QStringLiteral("JPEGﾌｧｲﾙ")},
        {32784, QStringLiteral("*.jpg;*.jpeg;*.jif")},
        {32785, QStringLiteral("PNGﾌｧｲﾙ")},
        {32786, QStringLiteral("*.png")},
        {32787, QStringLiteral("PICTﾌｧｲﾙ")},
        {32788, QStringLiteral("*.pct")},
        {32789, QStringLiteral("TIFFﾌｧｲﾙ")},
        {32790, QStringLiteral("*.tif;*.eps")},
        {32791, QStringLiteral("TARGAﾌｧｲﾙ")},
        {32792, QStringLiteral("*.tga")},
        {32793, QStringLiteral("Windowsﾒﾀﾌｧｲﾙ")},
        {32794, QStringLiteral("*.wmf")},
        {32795, QStringLiteral("Windows拡張ﾒﾀﾌｧｲﾙ")},
        {32796, QStringLiteral("*.emf")},
        {32797, QStringLiteral("PCXﾌｧｲﾙ")},
        {32798, QStringLiteral("*.pcx")},
        {32799, QStringLiteral("ﾎﾟｰﾀﾌﾞﾙ ｸﾞﾚｲﾏｯﾌﾟ ﾌｧｲﾙ")},
        {32800, QStringLiteral("*.pgm")},
        {32801, QStringLiteral("GIF")},
        {32802, QStringLiteral("*.gif")},
        {32803, QStringLiteral("全画像形式")},
        {32804, QStringLiteral("*.*")},
        {IDS_FOLDER_TITLE, QStringLiteral("画像フォルダから画像追加")},
        {ID_SLIDESHOW_START, QStringLiteral("ｽﾗｲﾄﾞｼｮｳを開始\nｽﾗｲﾄﾞｼｮｳ開始(F5)")},
        {ID_SLIDESHOW_STOP, QStringLiteral("ｽﾗｲﾄﾞｼｮｳを中止\nｽﾗｲﾄﾞｼｮｳ中止(Ctrl+T)")},
        {ID_COPY, QStringLiteral("選択されている画像をｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰ\nｺﾋﾟｰ(Ctrl+C)")},

        {ID_NEXT_PICTURE, QStringLiteral("次の画像を表示\n次の画像(Space)")},
        {ID_PREV_PICTURE, QStringLiteral("前の画像を表示\n前の画像(Backspace)")},
        {ID_FULL_SCREEN, QStringLiteral("画像だけを全画面に表示\n全画面表示(F11)")},
        {ID_INTERVAL_1, QStringLiteral("ｽﾗｲﾄﾞｼｮｳで画像を1秒ごとに切り替え\nｽﾗｲﾄﾞｼｮｳ間隔 1秒")},
        {ID_INTERVAL_2, QStringLiteral("ｽﾗｲﾄﾞｼｮｳで画像を2秒ごとに切り替え\nｽﾗｲﾄﾞｼｮｳ間隔 2秒")},
        {ID_INTERVAL_3, QStringLiteral("ｽﾗｲﾄﾞｼｮｳで画像を3秒ごとに切り替え\nｽﾗｲﾄﾞｼｮｳ間隔 3秒")},
        {ID_INTERVAL_5, QStringLiteral("ｽﾗｲﾄﾞｼｮｳで画像を5秒ごとに切り替え\nｽﾗｲﾄﾞｼｮｳ間隔 5秒")},
        {ID_INTERVAL_10, QStringLiteral("ｽﾗｲﾄﾞｼｮｳで画像を10秒ごとに切り替え\nｽﾗｲﾄﾞｼｮｳ間隔 10秒")},

        {ID_ZOOM_IN, QStringLiteral("画像を拡大\n拡大(+)")},
        {ID_ZOOM_OUT, QStringLiteral("画像を縮小\n縮小(-)")},
        {ID_ZOOM_ACTUAL_SIZE, QStringLiteral("画像を原寸で表示\n原寸(0)")},
        {ID_ZOOM_FIT, QStringLiteral("画像をｳｨﾝﾄﾞｳに合わせて表示\nｳｨﾝﾄﾞｳに合わせる(*)")},
        {ID_VIEW_FIT_ON_OPEN, QStringLiteral("ｳｨﾝﾄﾞｳより大きな画像を開くときｳｨﾝﾄﾞｳに合わせて表示\n開くときｳｨﾝﾄﾞｳに合わせる")},
        {ID_VIEW_SMOOTH_REDUCTION, QStringLiteral("縮小した画像をなめらかに表示\nなめらかに縮小")},
        {ID_VIEW_ALPHA_CHECKERBOARD, QStringLiteral("透明な部分のある画像を市松模様の上に表示\n透明部分を市松模様で表示")},

        {ID_FILE_NEW, QStringLiteral("新規にﾌｧｲﾙを作成\n新規ﾌｧｲﾙ(Ctrl+N)")},
        {ID_FILE_OPEN, QStringLiteral("既存のﾌｧｲﾙを開く\n開く(Ctrl+O)")},
        {ID_FILE_SAVE, QStringLiteral("作業中のﾌｧｲﾙを上書きして保存\n上書き保存(Ctrl+S)")},
        {ID_FILE_SAVE_AS, QStringLiteral("作業中のﾌｧｲﾙを新しい名前で保存\n名前をつけて保存(Ctrl+S)")},
        {ID_FILE_MRU_FIRST, QStringLiteral("このﾌｧｲﾙを開く")},
        {ID_APP_ABOUT, QStringLiteral("ﾌﾟﾛｸﾞﾗﾑの情報、ﾊﾞｰｼﾞｮﾝそして著作権を表示\nﾊﾞｰｼﾞｮﾝ情報")},
        {ID_APP_EXIT, QStringLiteral("ｱﾌﾟﾘｹｰｼｮﾝを終了し、ﾌｧｲﾙの保存を指示\n終了")},
        {ID_NEXT_PANE, QStringLiteral("次のｳｨﾝﾄﾞｳ ｳｨﾝﾄﾞｳに切り替える\n次のｳｨﾝﾄﾞｳ")},
        {ID_PREV_PANE, QStringLiteral("前のｳｨﾝﾄﾞｳ ｳｨﾝﾄﾞｳに切り替える\n前のｳｨﾝﾄﾞｳ")},
        {ID_VIEW_TOOLBAR, QStringLiteral("ﾂｰﾙ ﾊﾞｰの表示/非表示\nﾂｰﾙ ﾊﾞｰの表示切り替え")},
        {ID_VIEW_STATUS_BAR, QStringLiteral("ｽﾃｰﾀｽ ﾊﾞｰの表示/非表示\nｽﾃｰﾀｽ ﾊﾞｰの表示切り替え")},
    };
    return table;
}

const QHash<int, QString>& MenuTexts()
{
    static const QHash<int, QString> texts = {
        {ID_FILE_NEW, QStringLiteral("新規作成(&N)\tCtrl+N")},
        {ID_FILE_OPEN, QStringLiteral("開く(&O)...\tCtrl+O")},
        {ID_FILE_SAVE, QStringLiteral("上書き保存(&S)\tCtrl+S")},
        {ID_FILE_SAVE_AS, QStringLiteral("名前を付けて保存(&A)...")},
        {ID_APP_EXIT, QStringLiteral("ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)")},
        {ID_ADD_IMAGE, QStringLiteral("追加(&A)...\tCtrl+A")},
        {ID_ADD_FOLDER, QStringLiteral("ﾌｫﾙﾀﾞから追加(&F)\tCtrl+L")},
        {ID_REMOVE_IMAGE, QStringLiteral("削除(&R)\tDEL")},
        {ID_REMOVE_ALL, QStringLiteral("全て削除(&M)\tCtrl+DEL")},
        {ID_ZOOM, QStringLiteral("ｽﾞｰﾑ(&Z)\tCtrl+M")},
        {ID_COPY, QStringLiteral("ｺﾋﾟｰ(&C)\tCtrl+C")},
        {ID_SLIDESHOW_START, QStringLiteral("ｽﾗｲﾄﾞｼｮｳ開始(&S)\tF5")},
        {ID_SLIDESHOW_STOP, QStringLiteral("ｽﾗｲﾄﾞｼｮｳ中止(&T)\tCtrl+T")},
        {ID_INTERVAL_1, QStringLiteral("1秒(&1)")},
        {ID_INTERVAL_2, QStringLiteral("2秒(&2)")},
        {ID_INTERVAL_3, QStringLiteral("3秒(&3)")},
        {ID_INTERVAL_5, QStringLiteral("5秒(&5)")},
        {ID_INTERVAL_10, QStringLiteral("10秒(&0)")},
        {ID_NEXT_PICTURE, QStringLiteral("次の画像(&N)\tSpace")},
        {ID_PREV_PICTURE, QStringLiteral("前の画像(&P)\tBackspace")},
        {ID_VIEW_TOOLBAR, QStringLiteral("ﾂｰﾙ ﾊﾞｰ(&T)")},
        {ID_VIEW_STATUS_BAR, QStringLiteral("ｽﾃｰﾀｽ ﾊﾞｰ(&S)")},
        {ID_ZOOM_IN, QStringLiteral("拡大(&I)\t+")},
        {ID_ZOOM_OUT, QStringLiteral("縮小(&O)\t-")},
        {ID_ZOOM_ACTUAL_SIZE, QStringLiteral("原寸(&A)\t0")},
        {ID_ZOOM_FIT, QStringLiteral("ｳｨﾝﾄﾞｳに合わせる(&W)\t*")},
        {ID_VIEW_FIT_ON_OPEN, QStringLiteral("開くときｳｨﾝﾄﾞｳに合わせる(&P)")},
        {ID_VIEW_SMOOTH_REDUCTION, QStringLiteral("なめらかに縮小(&M)")},
        {ID_VIEW_ALPHA_CHECKERBOARD, QStringLiteral("透明部分を市松模様で表示(&K)")},
        {ID_FULL_SCREEN, QStringLiteral("全画面表示(&F)\tF11")},
        {ID_APP_ABOUT, QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&A)...")},
    };
    return texts;
}

}  // namespace

QString MenuText(int id)
{
    return MenuTexts().value(id);
}

QString LoadString(int id)
{
    return Table().value(id);
}

bool HasString(int id)
{
    return Table().contains(id);
}

QString PromptStatusText(int id)
{
    return LoadString(id).section(QLatin1Char('\n'), 0, 0);
}

QString PromptTooltip(int id)
{
    return LoadString(id).section(QLatin1Char('\n'), 1, 1);
}
