#pragma once

#include "core/jobs/ToolCommands.h"
#include "gui/tooltabs/ToolTab.h"

#include <array>

class QComboBox;
class QLabel;
class QLineEdit;
class SourceBox;
class ZelvoButton;

// One conversion panel of the playlist window ("FLV 轉影片", "影片轉 FLV", "FLV 轉音樂",
// "音樂轉 FLV"): a source and a target with their formats, the settings lists and the run
// button. The rules are encodeRules'; this panel draws them and hands the clicks over. A
// target typed without a folder goes where the tools write by default (the default save
// folder, or else the source's folder).
class EncodeTab : public ToolTab {
    Q_OBJECT

public:
    // panel: 0 FLV to video, 1 video to FLV, 2 FLV to music, 3 music to FLV.
    EncodeTab(int panel, QWidget* host);

    QString runCaption() const override;
    QString note() const override;
    QString playCaption() const override;
    void refresh() override;
    void run() override;

    int panelIndex() const { return m_panel; }
    bool sourceValid() const { return m_sourceProblem.isEmpty(); }
    bool targetValid() const { return m_targetProblem.isEmpty(); }
    // The source and the target as the job takes them.
    QString sourcePath() const;
    QString targetPath() const;

    // The formats chosen ("FLV", "MPG", "不限" ...) and the settings lists' choices.
    QString sourceFormat() const;
    QString targetFormat() const;
    EncodeSettings chosenSettings() const;

    // A change of format rewrites that side's path to the format's extension.
    void cboEncodeSrc_Click();
    void cboEncodeTo_Click();

    QLabel* lblEncodeSrc = nullptr;
    QLabel* lblEncodeTo = nullptr;
    SourceBox* source = nullptr;
    SourceBox* target = nullptr;
    QLineEdit* txtEncodeSrc = nullptr;
    QLineEdit* txtEncodeTo = nullptr;
    ZelvoButton* mbEncodeSrc = nullptr;
    ZelvoButton* mbEncodeTo = nullptr;
    QComboBox* cboEncodeSrc = nullptr;
    QComboBox* cboEncodeTo = nullptr;
    // Size, frame rate, video bitrate, sampling rate, audio bitrate, channels.
    std::array<QComboBox*, 6> settings{};
    QComboBox* cboVideoSize = nullptr;
    QComboBox* cboVideoFramerate = nullptr;
    QComboBox* cboVideoBitrate = nullptr;
    QComboBox* cboAudioSamplingRate = nullptr;
    QComboBox* cboAudioBitrate = nullptr;
    QComboBox* cboAudioChannel = nullptr;
    QPushButton* cmdMediaEncode = nullptr;

private:
    void build();
    // A dropped file selects its format, then goes into the box.
    bool takeDrop(bool sourceSide, const QString& path);

    int m_panel;
    QString m_sourceProblem;
    QString m_targetProblem;
};
