#include "OutputTarget.h"

#include "FfmpegCommon.h"
#include "ToolPaths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace exttool {

namespace {

bool fileExists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

bool fileHasData(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0;
}

// The n-th file a pattern names; only the file name holds the numbering field.
std::string patternFile(const std::string& folder, const std::string& pattern, int n) {
    return folder + "/" + expandNumberPattern(pattern, n);
}

// Files a pattern names, from 1 on, while they exist (ffmpeg numbers from 1).
std::vector<std::string> patternFiles(const std::string& folder, const std::string& pattern) {
    std::vector<std::string> files;
    for (int n = 1;; ++n) {
        const std::string f = patternFile(folder, pattern, n);
        if (!fileExists(f)) {
            break;
        }
        files.push_back(f);
    }
    return files;
}

}  // namespace

bool isPicturePattern(const std::string& path) {
    return isNumberPattern(fileNameOf(path)) && !pictureEncoder(extensionOf(path)).empty();
}

bool outputExists(const std::string& output) {
    const std::string abs = absolutePath(output);
    if (isPicturePattern(abs)) {
        return fileExists(patternFile(folderOf(abs), fileNameOf(abs), 1));
    }
    return fileExists(abs);
}

OutputTarget::OutputTarget(const std::string& output)
    : m_output(absolutePath(output)), m_pattern(isPicturePattern(m_output)) {}

OutputTarget::~OutputTarget() {
    if (!m_done) {
        discard();
    }
}

bool OutputTarget::prepare(std::string& error) {
    const std::string folder = folderOf(m_output);
    const std::string name = fileNameOf(m_output);
    const std::string::size_type dotAt = name.rfind('.');
    const std::string dot = dotAt == std::string::npos ? std::string() : name.substr(dotAt);
    static int counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string stem =
            "~tmpSZ" + std::to_string(getpid()) + "-" + std::to_string(++counter);
        // The probe file stands for the file the writer will create: it shows
        // the folder is writable and that the name is free. It is removed again
        // so that "created" later means the writer got that far.
        const std::string probe = folder + "/" + stem + (m_pattern ? "-001" : "") + dot;
        const int fd = open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) {
            if (errno == EEXIST) {
                continue;
            }
            error = "cannot write in folder \"" + folder + "\": " + std::strerror(errno);
            return false;
        }
        close(fd);
        unlink(probe.c_str());
        m_temporary = m_pattern ? escapePercent(folder) + "/" + stem + "-%03d" + dot
                                : folder + "/" + stem + dot;
        return true;
    }
    error = "no free temporary name in \"" + folder + "\"";
    return false;
}

std::vector<std::string> OutputTarget::writtenFiles() const {
    if (m_temporary.empty()) {
        return {};
    }
    if (m_pattern) {
        return patternFiles(folderOf(m_output), fileNameOf(m_temporary));
    }
    if (fileExists(m_temporary)) {
        return {m_temporary};
    }
    return {};
}

std::string OutputTarget::temporaryFile(int n) const {
    return patternFile(folderOf(m_output), fileNameOf(m_temporary), n);
}

bool OutputTarget::created() const {
    return !writtenFiles().empty();
}

bool OutputTarget::hasData() const {
    const std::vector<std::string> files = writtenFiles();
    return !files.empty() && fileHasData(files.front());
}

bool OutputTarget::commit(std::string& error) {
    const std::vector<std::string> files = writtenFiles();
    if (files.empty()) {
        error = "nothing was written";
        discard();
        return false;
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::string target = m_pattern ? patternFile(folderOf(m_output), fileNameOf(m_output),
                                                           static_cast<int>(i) + 1)
                                             : m_output;
        if (std::rename(files[i].c_str(), target.c_str()) != 0) {
            error = "cannot write \"" + target + "\": " + std::strerror(errno);
            discard();
            return false;
        }
    }
    m_done = true;
    return true;
}

bool OutputTarget::commitEmpty(std::string& error) {
    const std::vector<std::string> files = writtenFiles();
    if (m_pattern || files.empty()) {
        discard();
        return false;
    }
    if (truncate(files.front().c_str(), 0) != 0 ||
        std::rename(files.front().c_str(), m_output.c_str()) != 0) {
        error = "cannot write \"" + m_output + "\": " + std::strerror(errno);
        discard();
        return false;
    }
    m_done = true;
    return true;
}

void OutputTarget::discard() {
    for (const std::string& f : writtenFiles()) {
        unlink(f.c_str());
    }
    m_done = true;
}

}  // namespace exttool
