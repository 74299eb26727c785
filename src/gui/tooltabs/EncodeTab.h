#pragma once

#include <QWidget>

#include <array>

class QComboBox;
class QLabel;
class QLineEdit;
class QMimeData;
class QPushButton;
class ZelvoButton;

// One conversion panel of the playlist window ("FLV 轉影片", "影片轉 FLV", "FLV 轉音樂",
// "音樂轉 FLV"): a source and a target with their formats, the settings lists and the run
// button. The rules are encodeRules'; this panel draws them and hands the clicks over.
class EncodeTab : public QWidget {
    Q_OBJECT

public:
    // panel: 0 FLV to video, 1 video to FLV, 2 FLV to music, 3 music to FLV. The tab puts
    // itself into the layout of host.
    EncodeTab(int panel, QWidget* host);

    int panelIndex() const { return m_panel; }
    bool sourceValid() const { return m_sourceValid; }
    bool targetValid() const { return m_targetValid; }

    // The tab came to the front: both sides are checked again.
    void tabShown();
    // A change of format rewrites that side's path to the format's extension.
    void cboEncodeSrc_Click();
    void cboEncodeTo_Click();
    void mbEncodeSrc_Click() { browse(true); }
    void mbEncodeTo_Click() { browse(false); }
    // A file dropped on a path box: its format is chosen and its path put in the box.
    void dropOn(bool source, const QMimeData& dropped);
    void cmdMediaEncode_Click();

    QLabel* lblEncodeSrc = nullptr;
    QLabel* lblEncodeTo = nullptr;
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

Q_SIGNALS:
    // The source was checked: the play-this-file menu item follows it.
    void sourceChecked(bool valid, const QString& path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    void checkSource();
    void checkTarget();
    void browse(bool source);

    int m_panel;
    bool m_sourceValid = false;
    bool m_targetValid = false;
};
