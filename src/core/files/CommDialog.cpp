#include "core/files/CommDialog.h"

#include "core/files/DialogService.h"
#include "core/files/FileObject.h"

#include <QChar>
#include <QDir>
#include <QFileInfo>

namespace {

// Names handed to the dialogs end at the first NUL, as they always have.
QString cutAtNull(const QString& text) {
    const qsizetype at = text.indexOf(QChar(u'\0'));
    return at < 0 ? text : text.left(at);
}

// The dialog's own notion of the chosen name: everything after the last "/".
QString nameWithoutFolder(const QString& path) {
    return path.mid(path.lastIndexOf(u'/') + 1);
}

QString joinPatterns(const QString& patterns) {
    QStringList parts;
    const QStringList pieces = patterns.split(u';');
    for (const QString& piece : pieces) {
        const QString pattern = piece.trimmed();
        if (!pattern.isEmpty()) {
            parts.append(pattern);
        }
    }
    return parts.join(u' ');
}

}  // namespace

namespace {

QString& lastFolderStore() {
    static QString folder;
    return folder;
}

}  // namespace

QString CommDialog::lastFolder() {
    const QString& folder = lastFolderStore();
    return folder.isEmpty() ? QDir::currentPath() : folder;
}

void CommDialog::setLastFolder(const QString& folder) {
    lastFolderStore() = folder;
}

QStringList CommDialog::convertFilter(const QString& filter) {
    // The list is read the way the dialogs always read it: description and pattern
    // alternate, and the first empty part ends the list, so a trailing "|" changes
    // nothing and a description without its pattern is dropped.
    QStringList result;
    const QStringList parts = filter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts.at(i);
        const QString& patterns = parts.at(i + 1);
        if (description.isEmpty() || patterns.isEmpty()) {
            break;
        }
        // A description that already shows its patterns ("FLV 檔案格式 (*.flv)") is
        // complete as Qt reads it; the patterns are not shown twice.
        const QString shown = QStringLiteral("(") + joinPatterns(patterns) + QStringLiteral(")");
        result.append(description.endsWith(shown) ? description
                                                  : description + QLatin1Char(' ') + shown);
    }
    return result;
}

void CommDialog::setFilter(const QString& filter) {
    m_filter = filter;
    m_filterList = convertFilter(filter);
}

void CommDialog::prepareInitDir() {
    if (m_initDir.isEmpty()) {
        m_initDir = lastFolder();
    }
}

QString CommDialog::ShowOpen(bool clearInitDir, bool multiSelect) {
    return showFileDialog(false, clearInitDir, multiSelect);
}

QString CommDialog::ShowSave(bool clearInitDir) {
    return showFileDialog(true, clearInitDir, false);
}

QString CommDialog::showFileDialog(bool save, bool clearInitDir, bool multiSelect) {
    // The open dialog's "allow several files" option.
    constexpr quint32 allowMultiSelect = 0x200;

    prepareInitDir();
    FileDialogRequest request;
    if (save) {
        request.kind = FileDialogRequest::Kind::Save;
        request.flags = m_saveFlags;
    } else {
        request.kind =
            multiSelect ? FileDialogRequest::Kind::OpenMulti : FileDialogRequest::Kind::Open;
        request.flags = multiSelect ? (m_openFlags | allowMultiSelect) : m_openFlags;
    }
    request.title = m_dialogTitle;
    request.initDir = m_initDir;
    const QString offered = cutAtNull(m_fileName);
    if (offered.size() <= maxFileNameLength) {
        request.fileName = offered;
    }
    request.filters = m_filterList;
    request.filterIndex = FilterIndex() - 1;
    request.defaultExt = m_defaultExt;
    request.owner = m_ownerWindow;

    const FileDialogReply reply = DialogService::handler().fileDialog(request);
    if (!reply.accepted || reply.paths.isEmpty() || reply.paths.constFirst().isEmpty()) {
        m_fileName.clear();
        m_fileTitle.clear();
        m_fileExt.clear();
        return QString();
    }

    m_filterIndex = reply.filterIndex + 1;
    if ((request.flags & noChangeDirFlag) == 0) {
        setLastFolder(QFileInfo(reply.paths.constFirst()).absolutePath());
    }
    if (clearInitDir) {
        m_initDir.clear();
    }
    if (request.kind == FileDialogRequest::Kind::OpenMulti) {
        m_fileArray = reply.paths;
        m_fileTitle.clear();
        m_fileExt.clear();
        return QString::number(m_fileArray.size());
    }
    // A const path: the splitter must not trim the chosen name (blanks are legal in it).
    const QString path = reply.paths.constFirst();
    m_fileName = path;
    m_fileTitle = nameWithoutFolder(path);
    m_fileExt = FileObject::shared().GetExtensionName(path).toLower();
    return path;
}

QString CommDialog::ShowDir(bool clearInitDir) {
    prepareInitDir();
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Folder;
    request.title = m_dialogTitle;
    request.initDir = m_initDir;
    request.flags = m_browseFlags;
    request.owner = m_ownerWindow;

    const FileDialogReply reply = DialogService::handler().fileDialog(request);
    if (!reply.accepted || reply.paths.isEmpty() || reply.paths.constFirst().isEmpty()) {
        return QString();
    }
    QString folder = reply.paths.constFirst();
    if (!folder.endsWith(u'/')) {
        folder += u'/';
    }
    if (clearInitDir) {
        m_initDir.clear();
    }
    return folder;
}
