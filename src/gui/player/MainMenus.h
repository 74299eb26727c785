#pragma once

#include <QObject>

class QAction;
class QMenu;
class QMenuBar;

// The main window's menus and their items, with the names the player's code uses for
// them. Building them is all this class does; the window connects the items.
class MainMenus : public QObject {
    Q_OBJECT

public:
    explicit MainMenus(QMenuBar* bar);

    // 檔案
    QAction* mnuOpen = nullptr;
    QAction* mnuPlayLast = nullptr;
    QAction* mnuSaveFile = nullptr;
    QAction* mnuExplorer = nullptr;
    QMenu* mnuAddToList = nullptr;
    QAction* mnuToList[3] = {nullptr, nullptr, nullptr};
    QAction* mnuToListEnd = nullptr;
    QAction* mnuStartList = nullptr;
    QAction* mnuSaveNow = nullptr;
    QAction* mnuEnd[2] = {nullptr, nullptr};
    // 播放: speeds 0..8 and the custom speed 10 (9 is the separator), step modes 0..2
    // and the custom amount 4 (3 is the separator).
    QMenu* menuSpeed = nullptr;
    QAction* mnuSpeed[11] = {};
    QMenu* menuSteps = nullptr;
    QAction* mnuFB[5] = {};
    // 標記剪輯
    QMenu* menuMarks = nullptr;
    QAction* mnuRngEdit = nullptr;
    QAction* mnuRngPlay[2] = {nullptr, nullptr};
    QAction* mnuRngClear = nullptr;
    QAction* mnuSaveRng = nullptr;
    QAction* mnuSaveCut = nullptr;
    QAction* mnuExactCut = nullptr;
    QAction* mnuAutoAddMark = nullptr;
    // 畫面
    QAction* mnuKeepWH = nullptr;
    QAction* mnuKeepDef = nullptr;
    QAction* mnuScnFull = nullptr;
    QAction* mnuSaveCap = nullptr;
    // 說明
    QMenu* menuTools = nullptr;
    QAction* mnuList = nullptr;
    QAction* mnuMyExplorer = nullptr;
    QAction* mnuMediaJoin = nullptr;
    QAction* mnuMediaSplit = nullptr;
    QAction* mnuMediaSnap = nullptr;
    QAction* mnuMediaFix = nullptr;
    QAction* mnuFLV2Mov[2] = {nullptr, nullptr};
    QAction* mnuFLV2Muc[2] = {nullptr, nullptr};

    QAction* mnuHelp = nullptr;
    QAction* munCodec = nullptr;
};
