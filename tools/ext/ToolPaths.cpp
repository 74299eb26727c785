#include "ToolPaths.h"

#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <vector>

namespace exttool {

std::string absolutePath(const std::string& path) {
    if (!path.empty() && path[0] == '/') {
        return path;
    }
    std::vector<char> buf(4096);
    while (getcwd(buf.data(), buf.size()) == nullptr) {
        if (errno != ERANGE) {
            return path;
        }
        buf.resize(buf.size() * 2);
    }
    std::string cwd(buf.data());
    if (cwd.empty() || cwd.back() != '/') {
        cwd += '/';
    }
    return cwd + path;
}

std::string ffmpegUrl(const std::string& path) {
    return "file:" + absolutePath(path);
}

std::string folderOf(const std::string& path) {
    const std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos) {
        return std::string();
    }
    if (slash == 0) {
        return "/";
    }
    return path.substr(0, slash);
}

std::string fileNameOf(const std::string& path) {
    const std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string extensionOf(const std::string& path) {
    const std::string name = fileNameOf(path);
    const std::string::size_type dot = name.rfind('.');
    if (dot == std::string::npos) {
        return std::string();
    }
    std::string ext = name.substr(dot + 1);
    for (char& c : ext) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return ext;
}

namespace {

// Finds the numbering field: position of "%", its width, and its length in the
// text. Returns false when there is none.
bool findNumberField(const std::string& s, std::string::size_type& at, int& width,
                     std::string::size_type& length) {
    for (std::string::size_type i = 0; i < s.size(); ++i) {
        if (s[i] != '%') {
            continue;
        }
        if (i + 1 < s.size() && s[i + 1] == '%') {
            ++i;
            continue;
        }
        std::string::size_type j = i + 1;
        int w = 0;
        while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j])) != 0) {
            w = w * 10 + (s[j] - '0');
            ++j;
        }
        if (j < s.size() && s[j] == 'd') {
            at = i;
            width = w;
            length = j + 1 - i;
            return true;
        }
    }
    return false;
}

std::string unescapePercent(const std::string& s) {
    std::string out;
    for (std::string::size_type i = 0; i < s.size(); ++i) {
        out += s[i];
        if (s[i] == '%' && i + 1 < s.size() && s[i + 1] == '%') {
            ++i;
        }
    }
    return out;
}

}  // namespace

bool isNumberPattern(const std::string& name) {
    std::string::size_type at = 0;
    std::string::size_type length = 0;
    int width = 0;
    return findNumberField(name, at, width, length);
}

std::string expandNumberPattern(const std::string& pattern, int n) {
    std::string::size_type at = 0;
    std::string::size_type length = 0;
    int width = 0;
    if (!findNumberField(pattern, at, width, length)) {
        return unescapePercent(pattern);
    }
    std::string digits = std::to_string(n);
    while (static_cast<int>(digits.size()) < width) {
        digits.insert(digits.begin(), '0');
    }
    return unescapePercent(pattern.substr(0, at)) + digits +
           unescapePercent(pattern.substr(at + length));
}

std::string escapePercent(const std::string& text) {
    std::string out;
    for (char c : text) {
        out += c;
        if (c == '%') {
            out += '%';
        }
    }
    return out;
}

bool isPlainNumber(const std::string& text) {
    bool digit = false;
    bool dot = false;
    for (char c : text) {
        if (std::isdigit(static_cast<unsigned char>(c)) != 0) {
            digit = true;
        } else if (c == '.' && !dot) {
            dot = true;
        } else {
            return false;
        }
    }
    return digit;
}

}  // namespace exttool
