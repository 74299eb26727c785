#pragma once

#include "core/jobs/SplitPlan.h"
#include "core/media/KeyframeScan.h"

#include <QWidget>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class SourceBox;
class ZelvoButton;

// The source that the split and snapshot tabs share: its box (typed, browsed, dropped), the
// probe button "取得屬性" that reads its playing length with a media session of its own
// (which never disturbs the player), and the line that shows the length and size. The tab
// shown holds the panel. After a probe the file's keyframes are read in the background, so
// the split tab can tell where its pieces will really start.
class ProbePanel : public QWidget {
    Q_OBJECT

public:
    explicit ProbePanel(QWidget* parent = nullptr);

    // The source box's text, trimmed.
    QString path() const;
    // The probe's result; seconds is 0 until a probe succeeded for the text now in the box.
    splitPlan::Media media() const { return m_media; }
    bool known() const { return m_media.seconds > 0.0; }
    const KeyframeScan& keyframes() const { return m_scan; }
    // The keyframes of the file probed have been read.
    bool keyframesKnown() const { return m_keyframesKnown; }

    // The tab that holds the panel; word names its tool in the no-picture message ("切割" or
    // "截圖").
    void hostIn(QWidget* tab, const QString& word);
    // "取得屬性".
    void cmdMdSplitChk_Click();
    // The source is gone: the box is emptied.
    void clearSource();

    SourceBox* source = nullptr;
    QLineEdit* txtMdSplit = nullptr;
    ZelvoButton* mbMdSplit = nullptr;
    QPushButton* cmdMdSplitChk = nullptr;
    QLabel* lblMdLen = nullptr;
    QWidget* picSplitMCI = nullptr;
    // The default save folder of the window the panel is in ("" none); the source box's
    // dialog starts there.
    std::function<QString()> saveFolder;

Q_SIGNALS:
    // A file with a picture could not be read: the player says so (and pauses first).
    void cannotRead(const QString& file, const QString& head);
    // The source's text or what is known of it changed.
    void changed();

private:
    void sourceChanged(const QString& path);

    QString m_word;
    QString m_probed;  // the text the box had at the last change
    splitPlan::Media m_media;
    KeyframeScan m_scan;
    bool m_keyframesKnown = false;
};
