#pragma once

#include <QString>

struct PlayerParts;

// The player's "另存裁剪" and "另存分割": the marked segments of the open file turned
// into new files by the outside tools without re-encoding, and "另存目前檔案", a plain
// copy of a file.
class SaveRanges {
public:
    explicit SaveRanges(PlayerParts& parts) : m_p(parts) {}

    // 0 cut: all segments joined into one chosen file; 1 split: one "split_NNN.ext" per
    // segment in a chosen folder.
    void saveRanges(int mode);
    void saveFile(const QString& path, bool fromList);
    // "另存目前檔案": pauses, then copies the open file (nothing open: nothing more).
    void mnuSaveFile_Click();
    // "精確裁剪": the saves cut at exactly the marked pictures. The check mark is kept in
    // its own options file the moment it changes, and read back at start.
    void mnuExactCut_Click(bool on);
    void loadExactCut();

private:
    // The chosen file (cut) or folder (split); "" when cancelled.
    QString chooseOutput(int mode, const QString& source, const QString& ext);

    PlayerParts& m_p;
};
