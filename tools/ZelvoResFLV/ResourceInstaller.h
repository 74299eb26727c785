#pragma once

#include <QString>
#include <QStringList>

// Puts into the temporary folder what one kind of job needs: copies of the
// tool program under the tools' names, or the sample clip of the capture
// session. Every file appears whole or not at all (written under a temporary
// name, then renamed), so the program never starts a half-written tool.
class ResourceInstaller {
public:
    ResourceInstaller(const QString& toolProgram, const QString& tempDir);

    // The file names a mode word asks for; empty for an unknown word.
    static QStringList filesFor(const QString& modeWord);

    // Installs the files of the mode word; false with a reason on failure.
    bool install(const QString& modeWord, QString* error);

private:
    bool installTool(const QString& name, QString* error);
    bool installSample(const QString& name, QString* error);
    bool renameInto(const QString& from, const QString& name, QString* error);

    QString m_toolProgram;
    QString m_tempDir;  // with a trailing "/"
};
