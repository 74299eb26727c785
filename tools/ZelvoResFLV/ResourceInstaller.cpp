#include "ResourceInstaller.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

const QString mencoderTool = QStringLiteral("~tmpExtMcd");
const QString ffmpegTool = QStringLiteral("~tmpExtFmg");
const QString flvMetaTool = QStringLiteral("~tmpExtFmd");
const QString sampleClip = QStringLiteral("~tmpExtFlv.wmv");

const QFileDevice::Permissions executable =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
    QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;

constexpr int sampleTimeoutMs = 30000;

}  // namespace

ResourceInstaller::ResourceInstaller(const QString& toolProgram, const QString& tempDir)
    : m_toolProgram(toolProgram), m_tempDir(tempDir) {
    if (!m_tempDir.endsWith(QLatin1Char('/'))) {
        m_tempDir += QLatin1Char('/');
    }
}

QStringList ResourceInstaller::filesFor(const QString& modeWord) {
    if (modeWord == QLatin1String("Edit1")) {
        return {mencoderTool, ffmpegTool, flvMetaTool};
    }
    if (modeWord == QLatin1String("Edit2")) {
        return {mencoderTool, ffmpegTool};
    }
    if (modeWord == QLatin1String("Edit3") || modeWord == QLatin1String("Fix3")) {
        return {mencoderTool};
    }
    if (modeWord == QLatin1String("Fix1") || modeWord == QLatin1String("Encode")) {
        return {ffmpegTool, flvMetaTool};
    }
    if (modeWord == QLatin1String("Fix2") || modeWord == QLatin1String("Snap")) {
        return {ffmpegTool};
    }
    if (modeWord == QLatin1String("CapMCI")) {
        return {sampleClip};
    }
    return {};
}

bool ResourceInstaller::install(const QString& modeWord, QString* error) {
    const QStringList files = filesFor(modeWord);
    if (files.isEmpty()) {
        *error = QStringLiteral("unknown mode word \"%1\"").arg(modeWord);
        return false;
    }
    for (const QString& name : files) {
        const bool ok = name == sampleClip ? installSample(name, error) : installTool(name, error);
        if (!ok) {
            return false;
        }
    }
    return true;
}

bool ResourceInstaller::installTool(const QString& name, QString* error) {
    QFile source(m_toolProgram);
    if (!source.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read the tool program \"%1\": %2")
                     .arg(m_toolProgram, source.errorString());
        return false;
    }
    QTemporaryFile copy(m_tempDir + QStringLiteral("~tmpExtZ-XXXXXX"));
    if (!copy.open()) {
        *error = QStringLiteral("cannot write in \"%1\": %2").arg(m_tempDir, copy.errorString());
        return false;
    }
    const QByteArray bytes = source.readAll();
    if (bytes.isEmpty() || copy.write(bytes) != bytes.size() || !copy.flush() ||
        !copy.setPermissions(executable)) {
        *error = QStringLiteral("cannot write \"%1\": %2").arg(copy.fileName(), copy.errorString());
        return false;
    }
    copy.close();
    if (!renameInto(copy.fileName(), name, error)) {
        return false;
    }
    copy.setAutoRemove(false);
    return true;
}

bool ResourceInstaller::installSample(const QString& name, QString* error) {
    // An existing clip was itself installed whole; the capture session may
    // hold it open, so it is left as it is.
    if (QFileInfo(m_tempDir + name).size() > 0) {
        return true;
    }
    QTemporaryFile clip(m_tempDir + QStringLiteral("~tmpExtZ-XXXXXX.wmv"));
    if (!clip.open()) {
        *error = QStringLiteral("cannot write in \"%1\": %2").arg(m_tempDir, clip.errorString());
        return false;
    }
    clip.close();
    // Two seconds of a small test picture in WMV's video codec: the capture session opens it
    // while a file plays and never shows or plays it, so it is made as cheap to hold open as
    // a clip can be. No sound: no audio output for it. The container is Matroska: the player
    // reads that with its own Matroska reader, where its general reader takes a 10 MB buffer
    // on every open to find out what a file is, which the playing program would keep (see
    // bench/player/README.md).
    QProcess ffmpeg;
    ffmpeg.setProgram(QStringLiteral("ffmpeg"));
    ffmpeg.setArguments({QStringLiteral("-nostdin"), QStringLiteral("-hide_banner"),
                         QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-f"),
                         QStringLiteral("lavfi"), QStringLiteral("-i"),
                         QStringLiteral("testsrc=size=64x48:rate=25:duration=2"),
                         QStringLiteral("-c:v"), QStringLiteral("wmv2"), QStringLiteral("-b:v"),
                         QStringLiteral("100k"), QStringLiteral("-f"), QStringLiteral("matroska"),
                         QStringLiteral("-y"), QStringLiteral("file:") + clip.fileName()});
    ffmpeg.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    ffmpeg.setStandardOutputFile(QProcess::nullDevice());
    ffmpeg.start();
    if (!ffmpeg.waitForStarted() || !ffmpeg.waitForFinished(sampleTimeoutMs)) {
        ffmpeg.kill();
        ffmpeg.waitForFinished();
        *error =
            QStringLiteral("cannot make the sample clip: ffmpeg %1")
                .arg(ffmpeg.error() == QProcess::FailedToStart ? QStringLiteral("was not found")
                                                               : QStringLiteral("did not finish"));
        return false;
    }
    if (ffmpeg.exitStatus() != QProcess::NormalExit || ffmpeg.exitCode() != 0 ||
        QFileInfo(clip.fileName()).size() == 0) {
        *error = QStringLiteral("cannot make the sample clip");
        return false;
    }
    if (!clip.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                             QFileDevice::ReadGroup | QFileDevice::ReadOther) ||
        !renameInto(clip.fileName(), name, error)) {
        return false;
    }
    clip.setAutoRemove(false);
    return true;
}

bool ResourceInstaller::renameInto(const QString& from, const QString& name, QString* error) {
    // rename(2) replaces an older copy in one step; QFile::rename would not.
    const QString to = m_tempDir + name;
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0) {
        *error = QStringLiteral("cannot install \"%1\": %2")
                     .arg(to, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    return true;
}
