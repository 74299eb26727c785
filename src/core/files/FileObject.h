#pragma once

#include <QString>
#include <QStringList>

// The program's one file-system service. Every operation swallows failures and
// answers false or "" instead, so callers never need error handling of their own.
//
// Path rules: "/" is the only separator (":" is an ordinary name character).
// Each operation that takes a path first trims the blanks (spaces) around it and,
// for the QString& overloads, writes the trimmed text back into the caller's
// variable. Relative paths are relative to the process's current folder.
class FileObject {
public:
    // Created on first use and kept for the whole run.
    static FileObject& shared();

    // True when the path names something that exists and is not a folder
    // (hidden and read-only files included).
    bool FileExists(QString& path) const;
    bool FileExists(const QString& path) const;
    // True when the path names an existing folder.
    bool FolderExists(QString& path) const;
    bool FolderExists(const QString& path) const;

    // The five parts of the path splitter. For "/a/b.txt": base "b", extension
    // "txt", file name "b.txt", parent "/a/", drive "/".
    QString GetBaseName(QString& path) const;
    QString GetBaseName(const QString& path) const;
    QString GetExtensionName(QString& path) const;
    QString GetExtensionName(const QString& path) const;
    QString GetFileName(QString& path) const;
    QString GetFileName(const QString& path) const;
    QString GetParentFolderName(QString& path) const;
    QString GetParentFolderName(const QString& path) const;
    QString GetDriveName(QString& path) const;
    QString GetDriveName(const QString& path) const;

    // 0 = the system's installation folder ("/usr"), 1 = the system programs
    // folder ("/usr/bin"), 2 = the temporary folder with a trailing "/";
    // any other kind gives "".
    QString GetSpecialFolder(int kind) const;

    // There are no short (8.3) names here: the trimmed path itself.
    QString ShortPath(QString& path) const;
    QString ShortPath(const QString& path) const;

    // Deletes the files matched by the path; "*" and "?" are allowed in the
    // file-name part. Folders are never deleted; failures are ignored.
    void DeleteFile(QString& path) const;
    void DeleteFile(const QString& path) const;

    // Replaces the file with text + CR LF in UTF-8. The old file stays intact
    // when writing fails; failures are ignored.
    void CreateTextFile(QString& path, const QString& text) const;
    void CreateTextFile(const QString& path, const QString& text) const;

    // The files (never folders) that a path with optional "*" / "?" wildcards in
    // its file-name part names, as full paths; a path without wildcards names at
    // most itself. The path is trimmed of blanks first.
    QStringList matchFiles(const QString& path) const;

    FileObject(const FileObject&) = delete;
    FileObject& operator=(const FileObject&) = delete;

private:
    FileObject() = default;
};
