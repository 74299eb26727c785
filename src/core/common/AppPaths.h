#pragma once

#include <QString>

// Where the program's own files are: its helper program, its help pages, its settings,
// the tools it unpacks and its job records. One answer for a build tree (bin/ beside
// share/), an installed prefix (/usr, /usr/local) and a folder copied anywhere, because
// the build tree has the installed tree's shape:
//
//   bin/Zelvo.FLV                  the program
//   bin/ZelvoResFLV                the helper program in a build tree, or
//   lib/zelvo-flv/ZelvoResFLV      where an installed program keeps it
//   share/zelvo-flv/help/          the help pages
//
// A value: nothing changes it once made. The running program's is made where it is asked
// for, from where the executable is and the system's temporary folder, so no path is kept
// in a global and nothing sets one.
class AppPaths {
public:
    // How this copy of the program came onto the machine.
    enum class Install { FolderCopy, Package };

    // The paths of a program in programFolder that unpacks its tools into tempFolder.
    // The package database (dpkg's info folder) decides whether it was installed as a
    // package; tests hand in a folder of their own.
    AppPaths(const QString& programFolder, const QString& tempFolder,
             const QString& packageDatabase = QStringLiteral("/var/lib/dpkg/info/"));

    // The running program's paths.
    static AppPaths running();

    // Folders end in "/".
    QString programFolder() const { return m_programFolder; }
    QString tempFolder() const { return m_tempFolder; }
    QString program() const { return m_programFolder + programName(); }
    // The helper program that installs the tools; where it is, or where it belongs.
    QString resourceProgram() const;

    QString helpFolder() const;
    // The program's help and the page on what plays and what to install when a file does
    // not; the file names are what the "找不到說明檔" message names.
    QString helpFile() const { return helpFolder() + helpFileName(); }
    QString codecHelpFile() const { return helpFolder() + codecHelpFileName(); }
    // The help folder as a file:// address ending in "/": the pages of the help menu and
    // the links are this plus a page's path.
    QString homePage() const;

    // Settings beside the program when its folder is writable, otherwise in the user's
    // configuration folder.
    QString settingsFolder() const;
    QString settingsFile(const QString& fileName) const { return settingsFolder() + fileName; }
    // Records of unfinished jobs.
    QString jobsFolder() const { return settingsFolder() + QStringLiteral("jobs"); }

    // The tools the helper program unpacks, and the capture session's sample clip.
    QString mencoder() const { return m_tempFolder + QStringLiteral("~tmpExtMcd"); }
    QString ffmpeg() const { return m_tempFolder + QStringLiteral("~tmpExtFmg"); }
    QString flvMeta() const { return m_tempFolder + QStringLiteral("~tmpExtFmd"); }
    QString sampleClip() const { return m_tempFolder + QStringLiteral("~tmpExtFlv.wmv"); }

    // A package's files are listed in its database; anything else is a folder copy.
    Install install() const;
    static QString packageName() { return QStringLiteral("zelvo-flv"); }

    static QString programName() { return QStringLiteral("Zelvo.FLV"); }
    static QString helpFileName() { return QStringLiteral("Zelvo.FLV.html"); }
    static QString codecHelpFileName() { return QStringLiteral("Voduv.ADI.html"); }

private:
    QString m_programFolder;
    QString m_tempFolder;
    QString m_packageDatabase;
};
