#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The file browser without its widgets: the roots a user picks from (the "drives"), the
// folder browsed with its subfolders and files, and the selected file. Folders are kept
// with a trailing "/", so a file's full path is the folder followed by its name.
class FolderBrowser {
public:
    // What opening a folder came to; on anything but Opened the browser stays where it was.
    enum class Open { Opened, Missing, Unreadable };

    // A line of the folder list: the folders from "/" down to the browsed one (to go up),
    // then its subfolders one level deeper.
    struct FolderEntry {
        QString text;  // the folder's name, "/" for the top
        QString path;  // with a trailing "/"
        int depth = 0;
        bool isCurrent = false;
        bool isSubfolder = false;
    };

    // "/", the home folder and the mount points under /media, /run/media/$USER and /mnt, each
    // with a trailing "/".
    static QStringList roots();
    // The root of roots that holds folder (the longest that does); "/" when none does.
    static QString rootOf(const QString& folder, const QStringList& roots);
    // path as the browser keeps a folder: clean, with a trailing "/" ("" stays "").
    static QString folderPath(const QString& path);
    // Whether a folder can be listed.
    static Open check(const QString& folder);
    // Names sorted as the user reads them: the locale's order, case ignored.
    static void sortNames(QStringList& names);

    // Opens a folder: reads its subfolders and files and selects its first file.
    Open open(const QString& folder);
    // Reads the browsed folder again, keeping the selection when it still fits.
    Open reload();
    // Where to go when the browsed folder has gone: root when it exists, else "/".
    Open fallBack(const QString& root);

    QString folder() const { return m_folder; }
    const QStringList& files() const { return m_files; }
    const QStringList& subfolders() const { return m_subfolders; }
    QList<FolderEntry> folderEntries() const;
    int count() const { return static_cast<int>(m_files.size()); }

    // The selected file's index, -1 none.
    int selected() const { return m_selected; }
    // Selects a file; an index outside the list leaves the selection as it is.
    void select(int index);
    // The full path of file index (-1: the selected one); "" when there is no such file.
    QString getFnFn(int index = -1) const;
    // The first file whose name equals name ignoring case, -1 none.
    int find(const QString& name) const;

private:
    QString m_folder;
    QStringList m_subfolders;
    QStringList m_files;
    int m_selected = -1;
};
