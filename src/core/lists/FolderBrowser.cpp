#include "core/lists/FolderBrowser.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStorageInfo>

#include <algorithm>

QStringList FolderBrowser::roots() {
    QStringList found{QStringLiteral("/")};
    const QString home = folderPath(QDir::homePath());
    if (home != found.constFirst()) {
        found << home;
    }
    // Removable media and other mounted volumes, where a user would look for them.
    const QString user = qEnvironmentVariable("USER");
    QStringList places{QStringLiteral("/media/"), QStringLiteral("/mnt/")};
    if (!user.isEmpty()) {
        places << QStringLiteral("/run/media/") + user + QLatin1Char('/');
    }
    QStringList mounts;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid()) {
            continue;
        }
        const QString root = folderPath(volume.rootPath());
        const bool under = std::any_of(places.cbegin(), places.cend(), [&root](const QString& p) {
            return root.startsWith(p) && root.size() > p.size();
        });
        if (under && !found.contains(root) && !mounts.contains(root)) {
            mounts << root;
        }
    }
    sortNames(mounts);
    return found + mounts;
}

QString FolderBrowser::rootOf(const QString& folder, const QStringList& roots) {
    const QString path = folderPath(folder);
    QString best = QStringLiteral("/");
    for (const QString& root : roots) {
        if (path.startsWith(root) && root.size() > best.size()) {
            best = root;
        }
    }
    return best;
}

QString FolderBrowser::folderPath(const QString& path) {
    if (path.isEmpty()) {
        return {};
    }
    QString clean = QDir::cleanPath(path);
    if (!clean.endsWith(QLatin1Char('/'))) {
        clean += QLatin1Char('/');
    }
    return clean;
}

FolderBrowser::Open FolderBrowser::check(const QString& folder) {
    const QFileInfo info(folder);
    if (folder.isEmpty() || !info.isDir()) {
        return Open::Missing;
    }
    // Listing a folder takes both read and search rights.
    if (!info.isReadable() || !info.isExecutable()) {
        return Open::Unreadable;
    }
    return Open::Opened;
}

void FolderBrowser::sortNames(QStringList& names) {
    QCollator collator{QLocale()};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    // Not every collation backend ignores case, so the names are compared folded; names
    // that still come out equal keep one order all the same.
    std::sort(names.begin(), names.end(), [&collator](const QString& a, const QString& b) {
        const int order = collator.compare(a.toCaseFolded(), b.toCaseFolded());
        return order != 0 ? order < 0 : a < b;
    });
}

FolderBrowser::Open FolderBrowser::open(const QString& folder) {
    const QString path = folderPath(folder);
    const Open result = check(path);
    if (result != Open::Opened) {
        return result;
    }
    const QDir dir(path);
    QStringList subfolders = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::NoSort);
    QStringList files = dir.entryList(QDir::Files, QDir::NoSort);
    sortNames(subfolders);
    sortNames(files);
    m_folder = path;
    m_subfolders = subfolders;
    m_files = files;
    m_selected = m_files.isEmpty() ? -1 : 0;
    return Open::Opened;
}

FolderBrowser::Open FolderBrowser::reload() {
    const QString keep = getFnFn(-1);
    const Open result = open(m_folder);
    if (result == Open::Opened && !keep.isEmpty()) {
        const int at = static_cast<int>(m_files.indexOf(keep.mid(m_folder.size())));
        if (at >= 0) {
            m_selected = at;
        }
    }
    return result;
}

FolderBrowser::Open FolderBrowser::fallBack(const QString& root) {
    if (open(root) == Open::Opened) {
        return Open::Opened;
    }
    return open(QStringLiteral("/"));
}

QList<FolderBrowser::FolderEntry> FolderBrowser::folderEntries() const {
    QList<FolderEntry> entries;
    if (m_folder.isEmpty()) {
        return entries;
    }
    entries << FolderEntry{QStringLiteral("/"), QStringLiteral("/"), 0, m_folder.size() == 1,
                           false};
    const QStringList parts = m_folder.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString path = QStringLiteral("/");
    for (int i = 0; i < parts.size(); ++i) {
        path += parts.at(i) + QLatin1Char('/');
        entries << FolderEntry{parts.at(i), path, i + 1, i == parts.size() - 1, false};
    }
    const auto depth = static_cast<int>(parts.size()) + 1;
    for (const QString& name : m_subfolders) {
        entries << FolderEntry{name, m_folder + name + QLatin1Char('/'), depth, false, true};
    }
    return entries;
}

void FolderBrowser::select(int index) {
    if (index >= 0 && index < count()) {
        m_selected = index;
    }
}

QString FolderBrowser::getFnFn(int index) const {
    const int at = index < 0 ? m_selected : index;
    if (at < 0 || at >= count()) {
        return {};
    }
    return m_folder + m_files.at(at);
}

int FolderBrowser::find(const QString& name) const {
    for (int i = 0; i < count(); ++i) {
        if (m_files.at(i).compare(name, Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}
