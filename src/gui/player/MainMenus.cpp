#include "gui/player/MainMenus.h"

#include "gui/player/frmMainTexts.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace {

QAction* item(QMenu* menu, const QString& name, const QString& text, bool checkable = false) {
    QAction* action = menu->addAction(text);
    action->setObjectName(name);
    action->setCheckable(checkable);
    return action;
}

}  // namespace

MainMenus::MainMenus(QMenuBar* bar) : QObject(bar) {
    namespace t = frmMainTexts;

    QMenu* file = bar->addMenu(t::menuFile());
    file->setObjectName(QStringLiteral("menuFile"));
    mnuOpen = item(file, QStringLiteral("mnuOpen"), t::mnuOpen());
    mnuPlayLast = item(file, QStringLiteral("mnuPlayLast"), t::mnuPlayLast());
    mnuPlayLast->setEnabled(false);
    file->addSeparator();
    mnuSaveFile = item(file, QStringLiteral("mnuSaveFile"), t::mnuSaveFile());
    mnuExplorer = item(file, QStringLiteral("mnuExplorer"), t::mnuExplorer());
    mnuAddToList = file->addMenu(t::mnuAddToList());
    mnuAddToList->setObjectName(QStringLiteral("mnuAddToList"));
    const QStringList lists = t::mnuToList();
    for (int i = 0; i < 3; ++i) {
        mnuToList[i] = item(mnuAddToList, QStringLiteral("mnuToList%1").arg(i), lists.at(i));
    }
    mnuAddToList->addSeparator();
    mnuToListEnd = item(mnuAddToList, QStringLiteral("mnuToListEnd"), t::mnuToListEnd(), true);
    mnuToListEnd->setChecked(true);
    file->addSeparator();
    mnuStartList = item(file, QStringLiteral("mnuStartList"), t::mnuStartList(), true);
    mnuSaveNow = item(file, QStringLiteral("mnuSaveNow"), t::mnuSaveNow());
    file->addSeparator();
    mnuEnd[0] = item(file, QStringLiteral("mnuEnd0"), t::mnuEnd0());
    mnuEnd[1] = item(file, QStringLiteral("mnuEnd1"), t::mnuEnd1());

    QMenu* play = bar->addMenu(t::menuPlay());
    play->setObjectName(QStringLiteral("menuPlay"));
    menuSpeed = play->addMenu(t::menuSpeed());
    menuSpeed->setObjectName(QStringLiteral("menuSpeed"));
    const QStringList speeds = t::mnuSpeed();
    for (int i = 0; i < 11; ++i) {
        if (i == 9) {
            mnuSpeed[i] = menuSpeed->addSeparator();
            continue;
        }
        mnuSpeed[i] = item(menuSpeed, QStringLiteral("mnuSpeed%1").arg(i), speeds.at(i), true);
    }
    mnuSpeed[4]->setChecked(true);
    // The current speed in the session's units; 1000 is normal speed.
    menuSteps = play->addMenu(t::menuSteps());
    menuSteps->setObjectName(QStringLiteral("menuSteps"));
    const QStringList steps = t::mnuFB();
    for (int i = 0; i < 5; ++i) {
        if (i == 3) {
            mnuFB[i] = menuSteps->addSeparator();
            continue;
        }
        mnuFB[i] = item(menuSteps, QStringLiteral("mnuFB%1").arg(i), steps.at(i), i < 3);
    }
    mnuFB[1]->setChecked(true);

    // The range marks start without segments: only the marks list can be opened.
    menuMarks = bar->addMenu(t::menuMarks());
    menuMarks->setObjectName(QStringLiteral("menuMarks"));
    mnuRngEdit = item(menuMarks, QStringLiteral("mnuRngEdit"), t::mnuRngEdit());
    menuMarks->addSeparator();
    const QStringList rangePlays = t::mnuRngPlay();
    for (int i = 0; i < 2; ++i) {
        mnuRngPlay[i] = item(menuMarks, QStringLiteral("mnuRngPlay%1").arg(i), rangePlays.at(i));
        mnuRngPlay[i]->setEnabled(false);
    }
    mnuRngClear = item(menuMarks, QStringLiteral("mnuRngClear"), t::mnuRngClear());
    mnuRngClear->setEnabled(false);
    menuMarks->addSeparator();
    mnuSaveRng = item(menuMarks, QStringLiteral("mnuSaveRng"), t::mnuSaveRng());
    mnuSaveRng->setEnabled(false);
    mnuSaveCut = item(menuMarks, QStringLiteral("mnuSaveCut"), t::mnuSaveCut());
    mnuSaveCut->setEnabled(false);
    mnuExactCut = item(menuMarks, QStringLiteral("mnuExactCut"), t::mnuExactCut(), true);
    menuMarks->addSeparator();
    mnuAutoAddMark = item(menuMarks, QStringLiteral("mnuAutoAddMark"), t::mnuAutoAddMark(), true);

    QMenu* view = bar->addMenu(t::menuView());
    view->setObjectName(QStringLiteral("menuView"));
    mnuKeepWH = item(view, QStringLiteral("mnuKeepWH"), t::mnuKeepWH(), true);
    mnuKeepWH->setChecked(true);
    mnuKeepDef = item(view, QStringLiteral("mnuKeepDef"), t::mnuKeepDef(), true);
    view->addSeparator();
    mnuScnFull = item(view, QStringLiteral("mnuScnFull"), t::mnuScnFull());
    mnuSaveCap = item(view, QStringLiteral("mnuSaveCap"), t::mnuSaveCap());

    // The playlist window and its tools.
    menuTools = bar->addMenu(t::menuTools());
    menuTools->setObjectName(QStringLiteral("menuTools"));
    mnuList = item(menuTools, QStringLiteral("mnuList"), t::mnuList());
    mnuMyExplorer = item(menuTools, QStringLiteral("mnuMyExplorer"), t::mnuMyExplorer());
    menuTools->addSeparator();
    mnuMediaJoin = item(menuTools, QStringLiteral("mnuMediaJoin"), t::mnuMediaJoin());
    mnuMediaSplit = item(menuTools, QStringLiteral("mnuMediaSplit"), t::mnuMediaSplit());
    mnuMediaSnap = item(menuTools, QStringLiteral("mnuMediaSnap"), t::mnuMediaSnap());
    mnuMediaFix = item(menuTools, QStringLiteral("mnuMediaFix"), t::mnuMediaFix());
    menuTools->addSeparator();
    for (int i = 0; i < 2; ++i) {
        mnuFLV2Mov[i] = item(menuTools, QStringLiteral("mnuFLV2Mov%1").arg(i), t::mnuFLV2Mov(i));
    }
    for (int i = 0; i < 2; ++i) {
        mnuFLV2Muc[i] = item(menuTools, QStringLiteral("mnuFLV2Muc%1").arg(i), t::mnuFLV2Muc(i));
    }

    QMenu* help = bar->addMenu(t::menuHelp());
    help->setObjectName(QStringLiteral("menuHelp"));
    mnuHelp = item(help, QStringLiteral("mnuHelp"), t::mnuHelp());
    munCodec = item(help, QStringLiteral("munCodec"), t::munCodec());
}
