// The main window's part of the settings files: reading both at load, writing both at
// unload and on "立即儲存設定".
#include "core/common/mdlZelvoFLV.h"
#include "core/files/DialogService.h"
#include "core/lists/ListFiles.h"
#include "core/settings/SettingsFiles.h"
#include "core/settings/SettingsLocation.h"
#include "gui/player/MainMenus.h"
#include "gui/player/PlaybackControl.h"
#include "gui/player/SpeedSteps.h"
#include "gui/player/frmCap.h"
#include "gui/player/frmMain.h"
#include "gui/windows/ListWindow.h"

#include "core/common/AppPaths.h"
#include "gui/player/frmMainTexts.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

// Files larger than this are no settings file of ours; they are passed over whole.
constexpr qint64 kMaxSettingsSize = 64 * 1024 * 1024;

QString readSettingsText(const QString& path) {
    QFile file(path);
    if (file.size() > kMaxSettingsSize || !file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return decodeText(file.readAll());
}

// Reading a long List.ini leaves megabytes that its text and entries took free but held
// by the allocator, spread among the lists' lines: they go back to the system.
void releaseFreeMemory() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

int pixels(double twips, int perPixel) {
    const double p = twips / perPixel;
    return p > -1e6 && p < 1e6 ? static_cast<int>(p) : 0;
}

// A window placed where no screen is now (a monitor since unplugged, a hand-edited
// number) goes to the middle of the primary screen instead.
QPoint onScreen(const QPoint& topLeft, const QSize& size) {
    const QRect wanted(topLeft, size);
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen->availableGeometry().intersects(wanted.adjusted(0, 0, 0, -size.height() + 20))) {
            return topLeft;
        }
    }
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary == nullptr) {
        return topLeft;
    }
    const QRect area = primary->availableGeometry();
    return area.center() - QPoint(size.width() / 2, size.height() / 2);
}

}  // namespace

void frmMain::loadSettings() {
    m_settingsPath = AppPaths::running().settingsFile(QStringLiteral("Zelvo.FLV.ini"));
    ListWindow* list = m_parts->list;
    bool mainPlaced = false;
    bool listPlaced = false;
    for (const SettingLine& line : parseSettings(readSettingsText(m_settingsPath))) {
        applySetting(line, mainPlaced, listPlaced);
    }
    if (!mainPlaced) {
        const QSize size(370, 370);
        const QScreen* screen = QGuiApplication::primaryScreen();
        const QRect area = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 800, 600);
        resize(size);
        move(area.x() + (area.width() - size.width()) / 2,
             area.y() + (area.height() - size.height()) / 2);
    }
    if (!listPlaced && list != nullptr && list->form() != nullptr) {
        list->form()->move(pos() + QPoint(30, 30));
    }
    m_speed->updateStepTips();

    const QString listPath = AppPaths::running().settingsFile(QStringLiteral("List.ini"));
    int refused = 0;
    if (list != nullptr && QFile::exists(listPath)) {
        // The text goes before the lists are laid out, the entries after: a long List.ini
        // never holds all three at once.
        StoredLists lists = parseListIni(readSettingsText(listPath));
        refused = lists.refused;
        list->loadLists(lists);
        lists = StoredLists();
        releaseFreeMemory();
    }
    buildDialogPatterns();
    if (refused > 0) {
        msgBox(listFileTexts::overlongEntries(refused), MsgButtons::Ok, titles::notice(),
               MsgIcon::Exclamation, this);
    }
}

void frmMain::applySetting(const SettingLine& line, bool& mainPlaced, bool& listPlaced) {
    MainMenus& m = *m_menus;
    const QList<double> n = settingNumbers(line.value);
    const std::optional<bool> truth = settingTruth(line.value);
    QWidget* listForm = m_parts->list != nullptr ? m_parts->list->form() : nullptr;
    switch (line.key) {
        case SettingKey::MainRect:
            mainPlaced = true;
            if (n.size() >= 4) {
                const QSize size(pixels(n[2], twipsPerPixelX), pixels(n[3], twipsPerPixelY));
                resize(size);
                move(onScreen(QPoint(pixels(n[0], twipsPerPixelX), pixels(n[1], twipsPerPixelY)),
                              this->size()));
            }
            break;
        case SettingKey::ListRect:
            listPlaced = true;
            if (n.size() >= 2 && listForm != nullptr) {
                listForm->move(
                    onScreen(QPoint(pixels(n[0], twipsPerPixelX), pixels(n[1], twipsPerPixelY)),
                             listForm->size()));
            }
            break;
        case SettingKey::CapRect:
            if (n.size() >= 2) {
                capLeft = pixels(n[0], 1);
                capTop = pixels(n[1], 1);
            }
            break;
        case SettingKey::KeepWH:
        case SettingKey::KeepDef:
        case SettingKey::ToListEnd:
        case SettingKey::StartList:
        case SettingKey::AutoAddMark: {
            QAction* item = line.key == SettingKey::KeepWH      ? m.mnuKeepWH
                            : line.key == SettingKey::KeepDef   ? m.mnuKeepDef
                            : line.key == SettingKey::ToListEnd ? m.mnuToListEnd
                            : line.key == SettingKey::StartList ? m.mnuStartList
                                                                : m.mnuAutoAddMark;
            if (truth) {
                item->setChecked(*truth);
            }
            break;
        }
        case SettingKey::StepMode:
            if (n.size() >= 4 && n[0] >= 0 && n[0] <= 2) {
                m_speed->mnuFB_Click(static_cast<int>(n[0]));
                for (int i = 0; i < 3; ++i) {
                    const int value = pixels(n[static_cast<qsizetype>(i) + 1], 1);
                    m_state.stepValue[i] = value;
                    m_speed->setStepCaption(i, value);
                }
            }
            break;
        default:
            if (ListWindow* list = m_parts->list) {
                list->loadSetting(line);
            }
            break;
    }
}

bool frmMain::saveSettings() {
    SettingsValues v;
    const MainMenus& m = *m_menus;
    const QRect normal = isMaximized() || isFullScreen() ? normalGeometry() : QRect(pos(), size());
    v.mainRect = {double(normal.x() * twipsPerPixelX), double(normal.y() * twipsPerPixelY),
                  double(normal.width() * twipsPerPixelX),
                  double(normal.height() * twipsPerPixelY)};
    v.capPos = {capLeft, capTop};
    v.keepWH = m.mnuKeepWH->isChecked();
    v.keepDef = m.mnuKeepDef->isChecked();
    v.stepMode = m_state.stepMode;
    for (int i = 0; i < 3; ++i) {
        v.stepValue[static_cast<size_t>(i)] = m_state.stepValue[i];
    }
    v.toListEnd = m.mnuToListEnd->isChecked();
    v.startList = m.mnuStartList->isChecked();
    v.autoAddMark = m.mnuAutoAddMark->isChecked();
    StoredLists lists;
    if (const ListWindow* list = m_parts->list) {
        list->saveSetting(v);
        lists = list->storedLists();
    }
    const QString listPath = AppPaths::running().settingsFile(QStringLiteral("List.ini"));
    m_settingsPath = AppPaths::running().settingsFile(QStringLiteral("Zelvo.FLV.ini"));
    QDir().mkpath(AppPaths::running().settingsFolder());
    if (!writeWholeFile(m_settingsPath, encodeText(settingsText(v))) ||
        !writeWholeFile(listPath, encodeText(listIniText(lists)))) {
        msgBox(frmMainTexts::settingsNotSaved(), MsgButtons::Ok, titles::error(), MsgIcon::Critical,
               this);
        return false;
    }
    return true;
}

void frmMain::mnuSaveNow_Click() {
    if (m_state.playerState == 1) {
        m_playback->mbPause_Click();
        repaint();
    }
    if (m_cap != nullptr && m_cap->isVisible()) {
        capLeft = m_cap->x() * twipsPerPixelX;
        capTop = m_cap->y() * twipsPerPixelY;
    }
    if (saveSettings()) {
        msgBox(frmMainTexts::settingsSaved(), MsgButtons::Ok, QString(), MsgIcon::Information,
               this);
    }
}
