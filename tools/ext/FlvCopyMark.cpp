#include "FlvCopyMark.h"

#include "ChildProcess.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace exttool {

namespace {

const char* const markName = "user.zelvo.flvcopy";

// Bytes moved between two looks at the stop flag: a Break answers at once.
constexpr std::size_t chunkSize = std::size_t{16} << 20;

// The identity the mark holds: any rewrite changes the size or the
// modification time, a copy elsewhere the device or the inode.
std::string markText(const struct stat& st) {
    return "1 " + std::to_string(st.st_dev) + " " + std::to_string(st.st_ino) + " " +
           std::to_string(st.st_size) + " " + std::to_string(st.st_mtim.tv_sec) + "." +
           std::to_string(st.st_mtim.tv_nsec);
}

class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() {
        if (m_fd >= 0) {
            close(m_fd);
        }
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    bool ok() const { return m_fd >= 0; }
    bool closeChecked() {
        const int fd = m_fd;
        m_fd = -1;
        return close(fd) == 0;
    }

private:
    int m_fd;
};

bool marked(int fd, const struct stat& st) {
    char value[160];
    const ssize_t n = fgetxattr(fd, markName, value, sizeof value);
    return n > 0 && std::string(value, static_cast<std::size_t>(n)) == markText(st);
}

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR && ChildProcess::stopRequested() == 0) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Where the kernel cannot copy between the two files itself (another file
// system, an old kernel), the bytes go through a buffer.
CopyResult copyThroughBuffer(int in, int out) {
    std::vector<char> buffer(std::size_t{1} << 20);
    for (;;) {
        if (ChildProcess::stopRequested() != 0) {
            return CopyResult::Stopped;
        }
        const ssize_t n = read(in, buffer.data(), buffer.size());
        if (n == 0) {
            return CopyResult::Copied;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 || !writeAll(out, buffer.data(), static_cast<std::size_t>(n))) {
            return ChildProcess::stopRequested() != 0 ? CopyResult::Stopped : CopyResult::NotCopied;
        }
    }
}

// The kernel copies (or shares the blocks, where the file system can), so the
// bytes never pass through this process.
CopyResult copyData(int in, int out) {
    bool any = false;
    for (;;) {
        if (ChildProcess::stopRequested() != 0) {
            return CopyResult::Stopped;
        }
        const ssize_t n = copy_file_range(in, nullptr, out, nullptr, chunkSize, 0);
        if (n == 0) {
            return CopyResult::Copied;
        }
        if (n > 0) {
            any = true;
            continue;
        }
        if (errno == EINTR) {
            continue;
        }
        if (!any && (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP || errno == EINVAL ||
                     errno == EBADF)) {
            return copyThroughBuffer(in, out);
        }
        return CopyResult::NotCopied;
    }
}

}  // namespace

bool markFlvCopy(const std::string& path) {
    const Fd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (!fd.ok() || fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return false;
    }
    const std::string value = markText(st);
    return fsetxattr(fd.get(), markName, value.data(), value.size(), 0) == 0;
}

CopyResult copyMarkedFlv(const std::string& input, const std::string& output) {
    const Fd in(open(input.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (!in.ok() || fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode) || !marked(in.get(), st)) {
        return CopyResult::NotCopied;
    }
    // Sharing the data is safe: no tool ever writes into an existing file,
    // each writes a new one and renames it into place.
    if (link(input.c_str(), output.c_str()) == 0) {
        return CopyResult::Copied;
    }
    Fd out(open(output.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!out.ok()) {
        return CopyResult::NotCopied;
    }
    CopyResult result = copyData(in.get(), out.get());
    struct stat written {};
    if (result == CopyResult::Copied &&
        (fstat(out.get(), &written) != 0 || written.st_size != st.st_size)) {
        result = CopyResult::NotCopied;
    }
    if (!out.closeChecked() && result == CopyResult::Copied) {
        result = CopyResult::NotCopied;
    }
    if (result != CopyResult::Copied) {
        unlink(output.c_str());
        return result;
    }
    markFlvCopy(output);
    return CopyResult::Copied;
}

}  // namespace exttool
