#include "gui/tooltabs/SourceBox.h"

#include "core/common/mdlZelvoFLV.h"
#include "core/files/CommDialog.h"
#include "core/files/FileObject.h"
#include "core/lists/PlaylistModel.h"
#include "gui/playlist/frmListTexts.h"
#include "gui/widgets/FileDrop.h"
#include "gui/widgets/ZelvoButton.h"
#include "gui/widgets/ZelvoPictures.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QMimeData>
#include <QTimer>

namespace {

constexpr int kButton = 22;
// How long the browse button stays down after its dialog has closed.
constexpr int kReleaseMs = 300;
// The open dialog's "the file must exist" option.
constexpr quint32 kFileMustExist = 0x1000;

}  // namespace

SourceBox::SourceBox(const QString& boxName, const QString& buttonName, QWidget* parent)
    : QWidget(parent) {
    m_box = new QLineEdit(this);
    m_box->setObjectName(boxName);
    m_box->setToolTip(frmListTexts::dropHint());
    m_button = new ZelvoButton(this);
    m_button->setObjectName(buttonName);
    m_button->setPicture(ZelvoPictures::picture(ButtonPicture::Open));
    m_button->setFixedSize(kButton, kButton);
    // The tool tabs leave their own buttons usable.
    m_button->setProperty("Tag", QStringLiteral("on"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    row->addWidget(m_box, 1);
    row->addWidget(m_button);

    // Drops on the box name a file; Qt's own would insert the dropped text.
    m_box->installEventFilter(this);
    connect(m_box, &QLineEdit::textChanged, this, [this] { Q_EMIT changed(path()); });
    connect(m_button, &ZelvoButton::Click, this, &SourceBox::browse);
}

QString SourceBox::path() const {
    return m_box->text().trimmed();
}

void SourceBox::setPath(const QString& path) {
    m_box->setText(path);
}

bool SourceBox::exists() const {
    const QString file = path();
    return !file.isEmpty() && FileObject::shared().FileExists(file);
}

void SourceBox::showUsable(bool usable) {
    m_box->setToolTip(usable ? path() : frmListTexts::dropHint());
}

void SourceBox::browse() {
    m_button->setState(ZelvoButton::Down);
    CommDialog dialog;
    dialog.setOwnerWindow(window());
    if (startFolder) {
        dialog.setInitDir(startFolder());
    }
    if (!mustExist) {
        dialog.setOpenFlags(dialog.OpenFlags() & ~kFileMustExist);
    }
    dialog.setFilter(filter ? filter() : openFilter);
    dialog.setDefaultExt(defaultExt ? defaultExt() : QString());
    dialog.setFilterIndex(1);
    dialog.setFileName(QString());
    const QString chosen = dialog.ShowOpen(true, false);
    if (!chosen.isEmpty()) {
        setPath(chosen);
    }
    QTimer::singleShot(kReleaseMs, m_button,
                       [button = m_button] { button->setState(ZelvoButton::Normal); });
}

void SourceBox::dropFiles(const QMimeData& dropped) {
    // The list of a drop begins with the last file dropped.
    const QStringList files = droppedFiles(dropped);
    if (files.isEmpty()) {
        return;
    }
    const QString file = files.constLast();
    if (!takeDrop || !takeDrop(file)) {
        setPath(file);
    }
    m_box->setFocus();
}

bool SourceBox::eventFilter(QObject* watched, QEvent* event) {
    return watched == m_box &&
           takeFileDrop(event, [this](const QMimeData& dropped) { dropFiles(dropped); });
}
