#include "gui/playlist/frmListBrowser.h"

#include "core/common/mdlZelvoFLV.h"
#include "core/files/CommDialog.h"
#include "core/files/DialogService.h"
#include "core/lists/PlaylistModel.h"
#include "gui/playlist/frmList.h"
#include "gui/widgets/FileDrop.h"
#include "gui/widgets/OneHeightDelegate.h"
#include "gui/widgets/ZelvoButton.h"
#include "gui/widgets/ZelvoPictures.h"
#include "gui/windows/PlayerWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QStyle>
#include <QToolTip>

namespace {

QString cannotOpenDrive() {
    return QStringLiteral("無法開啟指定的磁碟機：");
}
QString folderGone() {
    return QStringLiteral("你想要瀏覽的目錄已經不存在！");
}
QString cannotOpenFolder() {
    return QStringLiteral("無法開啟指定的目錄：");
}
QString saveDirLabel() {
    return QStringLiteral("預設存取目錄");
}
QString saveDirHint() {
    return QStringLiteral("如果不指定存取目錄，那麼，存取目錄總是跟隨著來源檔案");
}
QString saveDirPrompt() {
    return QStringLiteral("請選取預設的存取目錄\r\n或者你也可以新建資料夾！");
}
QString doneToFnText() {
    return QStringLiteral("裁剪、分割、合併……等等處理後，配合指向此檔案列表");
}

// A folder as the user reads it: no trailing "/" but for the top.
QString shownPath(const QString& folder) {
    return QDir::cleanPath(folder);
}

constexpr int kPathRole = Qt::UserRole;

}  // namespace

BrowserTab::BrowserTab(frmList& owner, QWidget* panel) : QWidget(panel), m_owner(owner) {
    setObjectName(QStringLiteral("picBrowser"));
    Drv1 = new QComboBox(this);
    Drv1->setObjectName(QStringLiteral("Drv1"));
    Dir1 = new QListWidget(this);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    Fn1 = new QListWidget(this);
    Fn1->setObjectName(QStringLiteral("Fn1"));
    for (QListWidget* list : {Dir1, Fn1}) {
        list->setItemDelegate(new OneHeightDelegate(list));
    }
    lblSaveDir = new QLabel(saveDirLabel(), this);
    lblSaveDir->setObjectName(QStringLiteral("lblSaveDir"));
    txtSaveDir = new QLineEdit(this);
    txtSaveDir->setObjectName(QStringLiteral("txtSaveDir"));
    txtSaveDir->setToolTip(saveDirHint());
    lblSaveDir->setBuddy(txtSaveDir);
    mbSaveDir = new ZelvoButton(this);
    mbSaveDir->setObjectName(QStringLiteral("mbSaveDir"));
    mbSaveDir->setPicture(ZelvoPictures::picture(ButtonPicture::Open));
    mbSaveDir->setFixedSize(22, 22);
    // Usable on this tab, as the tools' own buttons are.
    mbSaveDir->setProperty("Tag", QStringLiteral("on"));
    lblSaveDirHint = new QLabel(saveDirHint(), this);
    lblSaveDirHint->setObjectName(QStringLiteral("lblSaveDirHint"));
    lblSaveDirHint->setWordWrap(true);
    chkDoneToFn = new QCheckBox(doneToFnText(), this);
    chkDoneToFn->setObjectName(QStringLiteral("chkDoneToFn"));

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(4);
    grid->addWidget(Drv1, 0, 0, 1, 2);
    grid->addWidget(Dir1, 1, 0);
    grid->addWidget(Fn1, 1, 1);
    auto* saveRow = new QHBoxLayout;
    saveRow->setSpacing(2);
    saveRow->addWidget(lblSaveDir);
    saveRow->addSpacing(4);
    saveRow->addWidget(txtSaveDir, 1);
    saveRow->addWidget(mbSaveDir);
    grid->addLayout(saveRow, 2, 0, 1, 2);
    grid->addWidget(lblSaveDirHint, 3, 0, 1, 2);
    grid->addWidget(chkDoneToFn, 4, 0, 1, 2);
    grid->setColumnStretch(0, 2);
    grid->setColumnStretch(1, 3);
    grid->setRowStretch(1, 1);
    panel->layout()->addWidget(this);

    Fn1->setSelectionMode(QAbstractItemView::SingleSelection);
    Dir1->setSelectionMode(QAbstractItemView::SingleSelection);
    // The hover tip is worked out for the file under the mouse.
    Fn1->viewport()->setMouseTracking(true);
    for (QListWidget* list : {Dir1, Fn1}) {
        list->viewport()->installEventFilter(this);
        list->viewport()->setAcceptDrops(true);
    }

    connect(mbSaveDir, &ZelvoButton::Click, this, &BrowserTab::mbSaveDir_Click);
    connect(Drv1, &QComboBox::activated, this, &BrowserTab::Drv1_Change);
    // Keyboard users open a folder with Enter; the mouse opens it on the press.
    connect(Dir1, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { Dir1_Click(item->data(kPathRole).toString()); });
    connect(Fn1, &QListWidget::currentRowChanged, this, [this](int row) {
        m_browser.select(row);
        Q_EMIT browsed();
    });
    connect(Fn1, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        setListIndex(Fn1->row(item));
        Fn1_DblClick();
    });

    fillDrives();
    if (m_browser.open(QDir::homePath()) != FolderBrowser::Open::Opened) {
        m_browser.fallBack(QStringLiteral("/"));
    }
    showFolder();
}

void BrowserTab::setListIndex(int index) {
    m_browser.select(index);
    if (m_browser.selected() != Fn1->currentRow()) {
        Fn1->setCurrentRow(m_browser.selected());
    }
}

bool BrowserTab::doneToFn() const {
    return chkDoneToFn->isChecked();
}

void BrowserTab::fillDrives() {
    m_roots = FolderBrowser::roots();
    const QSignalBlocker quiet(Drv1);
    Drv1->clear();
    const QIcon icon = style()->standardIcon(QStyle::SP_DriveHDIcon);
    for (const QString& root : std::as_const(m_roots)) {
        Drv1->addItem(icon, shownPath(root), root);
    }
    showDrive();
}

void BrowserTab::showDrive() {
    const QString root = FolderBrowser::rootOf(m_browser.folder(), m_roots);
    const int at = Drv1->findData(root);
    if (at >= 0) {
        const QSignalBlocker quiet(Drv1);
        Drv1->setCurrentIndex(at);
    }
}

void BrowserTab::showFolder() {
    Dir1->clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    for (const FolderBrowser::FolderEntry& entry : m_browser.folderEntries()) {
        // Indented like a tree: the way up above, the subfolders under the folder.
        auto* item =
            new QListWidgetItem(entry.isSubfolder ? closed : open,
                                QString(entry.depth * 2, QLatin1Char(' ')) + entry.text, Dir1);
        item->setData(kPathRole, entry.path);
        if (entry.isCurrent) {
            Dir1->setCurrentItem(item);
        }
    }
    if (QListWidgetItem* current = Dir1->currentItem()) {
        Dir1->scrollToItem(current, QAbstractItemView::PositionAtTop);
    }
    {
        const QSignalBlocker quiet(Fn1);
        Fn1->clear();
        Fn1->addItems(m_browser.files());
        Fn1->setCurrentRow(m_browser.selected());
    }
    showDrive();
    refreshLooks();
    Q_EMIT browsed();
}

void BrowserTab::refreshLooks() {
    // The toolbar and the player's buttons follow this list only while it is shown.
    if (!m_owner.browserActive()) {
        return;
    }
    const int files = m_browser.count();
    m_owner.mbPlay->setState(files >= 1 ? ZelvoButton::Normal : ZelvoButton::Disabled);
    m_owner.mbRndPlay->setState(files >= 2 ? ZelvoButton::Normal : ZelvoButton::Disabled);
    m_owner.mnuAddToList->setEnabled(files >= 1);
    if (PlayerWindow* player = m_owner.playerWindow()) {
        player->fncEbCheck();
    }
}

QString BrowserTab::saveFolder() const {
    return txtSaveDir->text().trimmed();
}

void BrowserTab::mbSaveDir_Click() {
    CommDialog dialog;
    dialog.setOwnerWindow(window());
    dialog.setInitDir(saveFolder());
    dialog.setDialogTitle(saveDirPrompt());
    const QString chosen = dialog.ShowDir(true);
    dialog.setDialogTitle(QString());
    if (!chosen.isEmpty()) {
        txtSaveDir->setText(addSeparator(chosen));
    }
}

void BrowserTab::tabShown() {
    fillDrives();
    if (m_browser.reload() != FolderBrowser::Open::Opened) {
        m_browser.fallBack(FolderBrowser::rootOf(m_browser.folder(), m_roots));
    }
    showFolder();
    m_owner.mnuAddToList->menuAction()->setVisible(true);
    if (!txtSaveDir->text().isEmpty() && !QFileInfo(txtSaveDir->text()).isDir()) {
        txtSaveDir->clear();
    }
}

void BrowserTab::Drv1_Change(int index) {
    if (index < 0 || index >= Drv1->count()) {
        return;
    }
    if (m_browser.open(Drv1->itemData(index).toString()) == FolderBrowser::Open::Opened) {
        showFolder();
        return;
    }
    msgBox(cannotOpenDrive() + Drv1->itemText(index).remove(QLatin1Char(':')), MsgButtons::Ok,
           titles::error(), MsgIcon::Critical, &m_owner);
    showDrive();
}

void BrowserTab::Dir1_Click(const QString& path) {
    if (path.isEmpty()) {
        return;
    }
    switch (m_browser.open(path)) {
        case FolderBrowser::Open::Opened:
            showFolder();
            break;
        case FolderBrowser::Open::Missing:
            msgBox(folderGone() + QStringLiteral("\r\n\r\n") + shownPath(path), MsgButtons::Ok,
                   titles::error(), MsgIcon::Critical, &m_owner);
            fallBackToDrive();
            break;
        case FolderBrowser::Open::Unreadable:
            msgBox(cannotOpenFolder() + shownPath(path), MsgButtons::Ok, titles::error(),
                   MsgIcon::Critical, &m_owner);
            break;
    }
}

void BrowserTab::fallBackToDrive() {
    m_browser.fallBack(Drv1->currentData().toString());
    showFolder();
}

void BrowserTab::clearFolder() {
    if (FolderBrowser::check(m_browser.folder()) != FolderBrowser::Open::Opened) {
        m_browser.fallBack(FolderBrowser::rootOf(m_browser.folder(), m_roots));
        showFolder();
    }
}

void BrowserTab::Fn1_DblClick() {
    const QString path = m_browser.getFnFn(-1);
    PlayerWindow* player = m_owner.playerWindow();
    if (!path.isEmpty() && player != nullptr) {
        player->playSingle(path, true);
    }
}

void BrowserTab::showFile(const QString& path) {
    const QFileInfo file(path);
    const QString folder = FolderBrowser::folderPath(file.absolutePath());
    // In the folder shown already a file not found leaves the selection where it was.
    const FolderBrowser::Open result =
        folder == m_browser.folder() ? m_browser.reload() : m_browser.open(folder);
    if (result != FolderBrowser::Open::Opened) {
        return;
    }
    const int at = m_browser.find(file.fileName());
    if (at >= 0) {
        m_browser.select(at);
    }
    showFolder();
    if (QListWidgetItem* item = Fn1->currentItem()) {
        Fn1->scrollToItem(item);
    }
}

void BrowserTab::dropFiles(const QMimeData& dropped) {
    PlayerWindow* player = m_owner.playerWindow();
    if (player == nullptr) {
        return;
    }
    player->dropFiles(dropped);
    const QString open = player->fileName();
    if (!open.isEmpty() && QFileInfo(open).isFile()) {
        m_owner.showInFileList(open);
    }
}

QString BrowserTab::hoverFile(const QPoint& pos) {
    QListWidgetItem* item = Fn1->itemAt(pos);
    const QString tip = item != nullptr ? entryTip(getFnFn(Fn1->row(item))) : QString();
    Fn1->setToolTip(tip);
    return tip;
}

bool BrowserTab::eventFilter(QObject* watched, QEvent* event) {
    const bool onDirs = watched == Dir1->viewport();
    if (takeFileDrop(event, [this](const QMimeData& dropped) { dropFiles(dropped); })) {
        return true;
    }
    switch (event->type()) {
        case QEvent::MouseMove:
            if (!onDirs) {
                hoverFile(static_cast<QMouseEvent*>(event)->position().toPoint());
                return false;
            }
            return true;
        case QEvent::ToolTip:
            if (!onDirs) {
                auto* help = static_cast<QHelpEvent*>(event);
                const QString tip = hoverFile(help->pos());
                if (tip.isEmpty()) {
                    QToolTip::hideText();
                } else {
                    QToolTip::showText(help->globalPos(), tip, Fn1->viewport());
                }
                return true;
            }
            return false;
        case QEvent::Leave:
            if (!onDirs) {
                Fn1->setToolTip(QString());
            }
            return false;
        case QEvent::MouseButtonPress:
            if (onDirs) {
                // One press opens a folder; the right button does nothing here.
                auto* mouse = static_cast<QMouseEvent*>(event);
                if (mouse->button() == Qt::LeftButton) {
                    if (QListWidgetItem* item = Dir1->itemAt(mouse->position().toPoint())) {
                        Dir1_Click(item->data(kPathRole).toString());
                    }
                }
                return true;
            }
            return false;
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            return onDirs;
        default:
            return false;
    }
}

void BrowserTab::loadSetting(const SettingLine& line) {
    switch (line.key) {
        case SettingKey::ListDir:
            if (!line.value.isEmpty() &&
                m_browser.open(upperDriveLetter(line.value)) == FolderBrowser::Open::Opened) {
                m_listDirRestored = true;
                showFolder();
            }
            break;
        case SettingKey::ListDirIdx: {
            // The index means something only in the folder restored before it.
            const double n = settingNumber(line.value);
            if (m_listDirRestored && n >= 0 && n < m_browser.count()) {
                setListIndex(static_cast<int>(n));
            }
            break;
        }
        case SettingKey::SaveDir:
            if (!line.value.isEmpty() && QFileInfo(line.value).isDir()) {
                txtSaveDir->setText(upperDriveLetter(line.value));
            }
            break;
        case SettingKey::DoneToFn:
            if (const std::optional<bool> on = settingTruth(line.value)) {
                chkDoneToFn->setChecked(*on);
            }
            break;
        default:
            break;
    }
}

void BrowserTab::saveSetting(SettingsValues& values) const {
    values.listDir = m_browser.folder();
    values.listDirIdx = m_browser.selected();
    values.saveDir = txtSaveDir->text();
    values.doneToFn = chkDoneToFn->isChecked() ? 1 : 0;
}
