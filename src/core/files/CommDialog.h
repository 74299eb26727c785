#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// The open, save and folder dialogs as the program uses them: a caller makes one for its
// use, sets the fields it needs, calls ShowOpen, ShowSave or ShowDir, and reads the results
// back from it. A dialog without a starting folder opens where the last file was picked
// (at first, in the folder the program started in).
class CommDialog {
public:
    CommDialog() = default;

    // Where a dialog without InitDir opens; "" returns to the program's start folder.
    static QString lastFolder();
    static void setLastFolder(const QString& folder);

    QObject* OwnerWindow() const { return m_ownerWindow; }
    void setOwnerWindow(QObject* owner) { m_ownerWindow = owner; }

    // The title of the open and save dialogs; the prompt of the folder dialog.
    QString DialogTitle() const { return m_dialogTitle; }
    void setDialogTitle(const QString& title) { m_dialogTitle = title; }

    quint32 OpenFlags() const { return m_openFlags; }
    void setOpenFlags(quint32 flags) { m_openFlags = flags; }
    quint32 SaveFlags() const { return m_saveFlags; }
    void setSaveFlags(quint32 flags) { m_saveFlags = flags; }
    quint32 BrowseFlags() const { return m_browseFlags; }
    void setBrowseFlags(quint32 flags) { m_browseFlags = flags; }

    // Starting folder; an empty one becomes lastFolder() when a dialog is shown.
    QString InitDir() const { return m_initDir; }
    void setInitDir(const QString& dir) { m_initDir = dir; }

    // In: the file name offered. Out: the chosen full path ("" after a cancel).
    QString FileName() const { return m_fileName; }
    void setFileName(const QString& name) { m_fileName = name; }

    QString DefaultExt() const { return m_defaultExt; }
    void setDefaultExt(const QString& ext) { m_defaultExt = ext; }

    // "desc|pattern|desc|pattern", patterns separated by ";". filterList() is the same
    // list in the dialog's form "desc (p1 p2)".
    QString Filter() const { return m_filter; }
    void setFilter(const QString& filter);
    QStringList filterList() const { return m_filterList; }
    static QStringList convertFilter(const QString& filter);

    // 1-based; reads 1 until a positive value is set; follows the user's choice after a
    // successful pick.
    int FilterIndex() const { return m_filterIndex > 0 ? m_filterIndex : 1; }
    void setFilterIndex(int index) { m_filterIndex = index; }

    QString FileTitle() const { return m_fileTitle; }      // the chosen name without folder
    QString FileExt() const { return m_fileExt; }          // its extension, lower case
    QStringList FileArray() const { return m_fileArray; }  // the paths of a multiple pick

    // Single mode: the chosen path. Multiple mode: the number of chosen files as text, the
    // paths in FileArray. "" when cancelled.
    QString ShowOpen(bool clearInitDir, bool multiSelect);
    // The chosen path, "" when cancelled.
    QString ShowSave(bool clearInitDir);
    // The chosen folder with a trailing "/", "" when cancelled.
    QString ShowDir(bool clearInitDir);

    // The longest FileName the dialogs take as their starting name.
    static constexpr int maxFileNameLength = 998;
    // An open or save flag: the pick does not become lastFolder().
    static constexpr quint32 noChangeDirFlag = 0x8;

private:
    QString showFileDialog(bool save, bool clearInitDir, bool multiSelect);
    void prepareInitDir();

    // Guarded: a dialog may outlive the window that set itself as owner.
    QPointer<QObject> m_ownerWindow;
    QString m_dialogTitle;
    // The program's own: explorer style, file must exist, no read-only box (open);
    // overwrite prompt, no read-only box (save); new-folder button, edit box (folder).
    quint32 m_openFlags = 0x81004;
    quint32 m_saveFlags = 6;
    quint32 m_browseFlags = 0x64;
    QString m_initDir;
    QString m_fileName;
    QString m_defaultExt;
    QString m_filter;
    QStringList m_filterList;
    int m_filterIndex = 0;
    QString m_fileTitle;
    QString m_fileExt;
    QStringList m_fileArray;
};
