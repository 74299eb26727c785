#include "core/jobs/ToolJob.h"

#include "core/common/AppPaths.h"
#include "core/common/mdlZelvoFLV.h"
#include "core/jobs/ResourceTools.h"
#include "core/jobs/ToolTexts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStorageInfo>
#include <QTemporaryFile>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

QPointer<ToolJob> runningJob;
// The mode word whose tools a job left installed for the next one ("" none).
QString keptToolMode;
QString recordFolder;
// The most a note of a job's folder may hold.
constexpr qint64 longestRecord = 64 * 1024;

// Less room than this left beside a failed output: the disk ran full.
constexpr qint64 nearlyFullBytes = 1 << 20;

}  // namespace

ToolJob::ToolJob(const QString& folder, QObject* parent)
    : QObject(parent), m_folder(addSeparator(folder)) {
    connect(&m_process, &ToolProcess::progress, this, &ToolJob::toolProgress);
    connect(&m_process, &ToolProcess::finished, this, &ToolJob::runEnded);
    connect(&m_process, &ToolProcess::framesWritten, this, &ToolJob::toolFrames);
}

ToolJob::~ToolJob() {
    if (runningJob == this) {
        runningJob = nullptr;
    }
}

QString ToolJob::path(const QString& name) const {
    return QFileInfo(name).isAbsolute() ? name : m_folder + name;
}

void ToolJob::addRun(const ToolCommand& command, double weight, const QString& expect,
                     OnEmpty onEmpty, const ToolCommand& reencode) {
    Step step;
    step.command = command;
    step.weight = weight;
    step.expect = expect;
    step.onEmpty = onEmpty;
    step.reencode = reencode;
    step.count = m_currentCount;
    m_steps.append(step);
}

void ToolJob::setNotePrefix(const QString& prefix) {
    if (!m_steps.isEmpty()) {
        m_steps.last().notePrefix = prefix;
    }
}

void ToolJob::addFileStep(std::function<bool()> fileStep) {
    Step step;
    step.fileStep = std::move(fileStep);
    step.count = m_currentCount;
    m_steps.append(step);
}

void ToolJob::addPictureRun(const ToolCommand& command, double weight, int pictures) {
    addRun(command, weight);
    m_steps.last().pictures = pictures;
    // Pictures made before a failure are kept: the steps after the run look at each.
    m_steps.last().mayFail = true;
}

bool ToolJob::diskFull() const {
    if (m_lastOutput.contains("No space left on device")) {
        return true;
    }
    // A pseudo file system such as /proc has no room at all and is no full disk.
    const QStorageInfo storage(m_folder);
    return storage.isValid() && storage.bytesTotal() > 0 &&
           storage.bytesAvailable() < nearlyFullBytes;
}

void ToolJob::addProbe(const ToolCommand& command, double weight,
                       std::function<void(const QByteArray&)> read, std::function<bool()> when) {
    Step step;
    step.command = command;
    step.weight = weight;
    step.read = std::move(read);
    step.when = std::move(when);
    step.count = m_currentCount;
    m_steps.append(step);
}

void ToolJob::addClaimStep(const QString& output) {
    addFileStep([this, output] { return claimOutput(output); });
}

bool ToolJob::claimOutput(const QString& output) {
    const QString target = path(output);
    if (!m_claimed.contains(target)) {
        m_claimed << target;
    }
    if (releaseFile) {
        releaseFile(target);
    }
    killExactFile(target);
    return !QFileInfo::exists(target) && !QFileInfo(target).isSymLink();
}

void ToolJob::setRecordFolder(const QString& folder) {
    recordFolder = addSeparator(folder);
}

void ToolJob::clearUnfinished() {
    if (recordFolder.isEmpty()) {
        return;
    }
    const QDir notes(recordFolder);
    for (const QString& name : notes.entryList({QStringLiteral("*.job")}, QDir::Files)) {
        QFile note(notes.filePath(name));
        if (note.open(QIODevice::ReadOnly)) {
            const QString folder = QString::fromUtf8(note.read(longestRecord));
            if (QFileInfo(folder).isAbsolute() && QFileInfo(folder).isDir()) {
                killTempFiles(folder);
            }
        }
        note.remove();
    }
}

void ToolJob::noteRunning(bool running) {
    if (recordFolder.isEmpty()) {
        return;
    }
    if (!running) {
        if (!m_record.isEmpty()) {
            QFile::remove(m_record);
            m_record.clear();
        }
        return;
    }
    static int serial = 0;
    QDir().mkpath(recordFolder);
    QFile::setPermissions(recordFolder,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    m_record = recordFolder +
               QStringLiteral("%1-%2.job").arg(QCoreApplication::applicationPid()).arg(++serial);
    QSaveFile note(m_record);
    if (!note.open(QIODevice::WriteOnly) || note.write(m_folder.toUtf8()) < 0 || !note.commit()) {
        m_record.clear();
    }
}

ToolJob* ToolJob::running() {
    return runningJob;
}

bool ToolJob::usable(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && info.size() > 0;
}

void ToolJob::killTempFiles(const QString& folder) {
    // The player never has these open, so it is not asked to let go of them.
    killFile(addSeparator(folder) + toolTexts::tempPattern());
    killFile(addSeparator(folder) + toolTexts::fixTempPattern());
}

bool ToolJob::isTempName(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    for (const QString& pattern : {toolTexts::tempPattern(), toolTexts::fixTempPattern()}) {
        const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(pattern));
        if (re.match(name).hasMatch()) {
            return true;
        }
    }
    return false;
}

void ToolJob::start() {
    if (m_result != Result::NotRun) {
        return;
    }
    if (runningJob) {
        // Another job owns the tools and the working folders: touch nothing.
        m_result = Result::Failed;
        QMetaObject::invokeMethod(this, &ToolJob::finished, Qt::QueuedConnection);
        return;
    }
    runningJob = this;
    m_result = Result::Running;
    noteRunning(true);
    if (!m_toolMode.isEmpty() && keptToolMode != m_toolMode) {
        Step install;
        install.command = resourceTools::installCommand(m_toolMode, m_helperProgram);
        install.installer = true;
        m_steps.prepend(install);
    }
    for (const Step& step : std::as_const(m_steps)) {
        m_totalWeight += step.weight;
    }
    reportProgress(0.0);
    // The first step runs once the caller has connected to the job's signals.
    QMetaObject::invokeMethod(this, &ToolJob::runSteps, Qt::QueuedConnection);
}

void ToolJob::requestBreak() {
    if (!isRunning() || m_breakRequested) {
        return;
    }
    m_breakRequested = true;
    m_process.stop();
}

void ToolJob::runSteps() {
    while (m_next < m_steps.size()) {
        if (m_breakRequested) {
            finish(Result::Aborted);
            return;
        }
        const Step& step = m_steps.at(m_next);
        if (step.count > 0 && step.count != m_shownCount) {
            m_shownCount = step.count;
            Q_EMIT stepStarted(m_stepCount, step.count);
            // Break may come from whoever was told of the step.
            if (m_breakRequested) {
                finish(Result::Aborted);
                return;
            }
        }
        if (step.fileStep) {
            ++m_next;
            if (!step.fileStep()) {
                finish(m_declined ? Result::Declined : Result::Failed);
                return;
            }
            continue;
        }
        if (step.read && step.when && !step.when()) {
            m_doneWeight += step.weight;
            reportProgress(0.0);
            ++m_next;
            continue;
        }
        m_repeated = false;
        m_process.start(
            step.command, m_folder,
            step.installer ? resourceTools::installEnvironment() : QProcessEnvironment());
        return;  // runEnded goes on
    }
    const bool made = !m_outputs.isEmpty() &&
                      std::all_of(m_outputs.cbegin(), m_outputs.cend(),
                                  [this](const QString& output) { return usable(path(output)); });
    finish(made ? Result::Succeeded : Result::Failed);
}

void ToolJob::runEnded(int exitCode) {
    if (!isRunning()) {
        return;
    }
    const Step& step = m_steps.at(m_next);
    m_lastOutput = m_process.output();
    for (const QString& note : m_process.notes()) {
        m_notes << step.notePrefix + note;
    }
    if (m_breakRequested) {
        finish(Result::Aborted);
        return;
    }
    if (step.read) {
        step.read(m_lastOutput);
    } else if (m_process.failedToStart() || (step.installer && exitCode != 0)) {
        m_startFailed = true;
        m_failedProgram = (m_repeated ? step.reencode : step.command).program();
        if (step.installer) {
            finish(Result::Failed);
            return;
        }
    }
    const QString run = (m_repeated ? step.reencode : step.command).program();
    const bool emptyFile = !step.expect.isEmpty() && !usable(path(step.expect));
    if (emptyFile && step.onEmpty == OnEmpty::AskReencode) {
        // Only a file the tool made but could not fill asks: the container refused the
        // streams as they are. No file at all means the source could not be read, and a
        // full disk is no matter of the sound either; re-encoding mends neither.
        if (m_repeated || !QFileInfo::exists(path(step.expect)) || diskFull() || !askReencode ||
            !askReencode()) {
            m_failedRun = run;
            finish(Result::Failed);
            return;
        }
        m_repeated = true;
        m_process.start(step.reencode, m_folder);
        return;
    }
    // A job stops at its first failing run: what comes after it works on what it made.
    if ((emptyFile && step.onEmpty == OnEmpty::Fail) ||
        (exitCode != 0 && !step.read && !step.mayFail)) {
        m_failedRun = run;
        finish(Result::Failed);
        return;
    }
    m_doneWeight += step.weight;
    reportProgress(0.0);
    ++m_next;
    runSteps();
}

void ToolJob::toolProgress(int percent) {
    if (isRunning() && m_next < m_steps.size() && m_steps.at(m_next).pictures == 0) {
        reportProgress(percent < 0 ? 0.0 : percent / 100.0);
    }
}

void ToolJob::toolFrames(int frames) {
    if (!isRunning() || m_next >= m_steps.size() || m_steps.at(m_next).pictures == 0) {
        return;
    }
    const Step& step = m_steps.at(m_next);
    const int index = step.count + std::min(frames, step.pictures - 1);
    if (index != m_shownCount) {
        m_shownCount = index;
        Q_EMIT stepStarted(m_stepCount, index);
    }
    reportProgress(static_cast<double>(std::min(frames, step.pictures)) / step.pictures);
}

void ToolJob::reportProgress(double fraction) {
    if (m_totalWeight <= 0.0) {
        return;
    }
    const double current = m_next < m_steps.size() ? m_steps.at(m_next).weight * fraction : 0.0;
    const auto percent = static_cast<int>(
        std::floor(qBound(0.0, 100.0 * (m_doneWeight + current) / m_totalWeight, 100.0)));
    if (percent > m_percent) {
        m_percent = percent;
        Q_EMIT progressChanged(percent);
    }
}

void ToolJob::finish(Result result) {
    if (result == Result::Failed) {
        // Looked at before the clean-up: a full disk has room again afterwards.
        diagnose();
    }
    if (result != Result::Succeeded) {
        for (const QString& output : std::as_const(m_claimed)) {
            if (!m_kept.contains(output)) {
                killExactFile(output);
            }
        }
    }
    killTempFiles(m_folder);
    if (!m_toolMode.isEmpty()) {
        // Kept only when they are all there: a failed install leaves nothing to go on with.
        const bool keep =
            m_keepTools && !m_startFailed && QFileInfo::exists(AppPaths::running().ffmpeg());
        keptToolMode = keep ? m_toolMode : QString();
        if (!keep) {
            resourceTools::remove(QStringLiteral("notCapMCI"));
        }
    }
    noteRunning(false);
    m_result = result;
    if (runningJob == this) {
        runningJob = nullptr;
    }
    Q_EMIT finished();
}

void ToolJob::releaseTools() {
    if (!keptToolMode.isEmpty()) {
        keptToolMode.clear();
        resourceTools::remove(QStringLiteral("notCapMCI"));
    }
}

void ToolJob::diagnose() {
    m_cause = Cause::Unknown;
    if (m_startFailed) {
        m_cause = Cause::ToolMissing;
        m_causeSubject = QFileInfo(m_failedProgram).fileName();
        return;
    }
    for (const QString& source : std::as_const(m_sources)) {
        QFile file(source);
        if (!file.open(QIODevice::ReadOnly)) {
            m_cause = Cause::SourceUnreadable;
            m_causeSubject = source;
            return;
        }
    }
    m_causeSubject = m_folder;
    const bool full = diskFull();
    QTemporaryFile probe(m_folder + QStringLiteral(".zelvo-XXXXXX"));
    if (!QFileInfo(m_folder).isDir() || !probe.open()) {
        m_cause = full ? Cause::DiskFull : Cause::FolderNotWritable;
        return;
    }
    if (full) {
        m_cause = Cause::DiskFull;
        return;
    }
    m_causeSubject.clear();
}

QString ToolJob::toolSaid() const {
    if (m_result != Result::Failed) {
        return QString();
    }
    static const QRegularExpression keyValue(QStringLiteral("^[A-Za-z_]+="));
    const QStringList lines =
        QString::fromUtf8(m_lastOutput).split(QRegularExpression(QStringLiteral("[\r\n]+")));
    for (auto it = lines.crbegin(); it != lines.crend(); ++it) {
        const QString line = it->trimmed();
        if (!line.isEmpty() && !keyValue.match(line).hasMatch()) {
            return line;
        }
    }
    return QString();
}

QString ToolJob::causeLine() const {
    switch (m_cause) {
        case Cause::ToolMissing:
            return toolTexts::causeToolMissing(m_causeSubject);
        case Cause::SourceUnreadable:
            return toolTexts::causeSourceUnreadable(m_causeSubject);
        case Cause::FolderNotWritable:
            return toolTexts::causeFolderNotWritable(m_causeSubject);
        case Cause::DiskFull:
            return toolTexts::causeDiskFull(m_causeSubject);
        case Cause::Unknown:
            break;
    }
    return QString();
}
