#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace exttool {

// Where a run writes before its output is final: a temporary name in the
// output's folder, renamed over the output only when the run succeeded, so a
// failed or stopped run never leaves a half-written output. The temporary
// names begin with "~tmpS", like every intermediate file of the program, so
// the program's own clean-up removes them even if this process is killed.
//
// A numbering pattern ("~tmpSP%03d.jpg") is handled as the set of files it
// names: each one written is renamed to the matching output name.
class OutputTarget {
public:
    explicit OutputTarget(const std::string& output);
    ~OutputTarget();
    OutputTarget(const OutputTarget&) = delete;
    OutputTarget& operator=(const OutputTarget&) = delete;

    // Checks that the folder takes a new file and picks a free temporary name.
    // Nothing is left on disk. False with a reason when the folder cannot be
    // written.
    bool prepare(std::string& error);

    // The temporary path (or pattern) to hand to the writer.
    const std::string& temporary() const { return m_temporary; }

    // True when the writer created the temporary file (for a pattern: the
    // first file of the set).
    bool created() const;

    // True when the writer created it with at least one byte.
    bool hasData() const;
    // How many files the writer has made (of a pattern: in a row from the first).
    std::size_t writtenCount() const { return writtenFiles().size(); }
    // The temporary file of number n (from 1) of a pattern.
    std::string temporaryFile(int n) const;

    // Moves the written file(s) over the output. False with a reason when
    // nothing was written or a rename failed (the temporaries are removed).
    bool commit(std::string& error);

    // Leaves the output as an empty file: the run opened its inputs but the
    // output could not take them.
    bool commitEmpty(std::string& error);

    // Removes whatever the writer created.
    void discard();

private:
    std::vector<std::string> writtenFiles() const;

    std::string m_output;     // absolute
    std::string m_temporary;  // absolute
    bool m_pattern = false;
    bool m_done = false;
};

// True for a numbering pattern of pictures, which the picture muxer expands.
bool isPicturePattern(const std::string& path);

// True when the output (for a pattern: its first file) exists.
bool outputExists(const std::string& output);

}  // namespace exttool
