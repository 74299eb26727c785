#pragma once

#include <QFrame>
#include <QString>

class QLabel;
class ZelvoButton;

// The control panel along the bottom of the main window (picPlusBk): the seek bar with
// its thumb and background, the range strip, the message area with the file icon, the
// status text and the time labels, and the button bar with the transport buttons and the
// sound panel. It only builds and holds the controls; where they go as the window
// changes size is the sizing code's, what they do is the player's.
class PlayerPanel : public QFrame {
    Q_OBJECT

public:
    explicit PlayerPanel(QWidget* parent);

    // The panel's fixed places, in pixels.
    static constexpr int kHeight = 74;
    static constexpr int kHsbLeft = 6;
    static constexpr int kMsgLeft = 3;
    static constexpr int kThumbWidth = 9;
    static constexpr int kKnobWidth = 7;
    // Left edges of the range buttons with and without the previous/next buttons.
    static constexpr int kRngStartWide = 165;
    static constexpr int kRngEndWide = 222;
    static constexpr int kRngStartNarrow = 118;
    static constexpr int kRngEndNarrow = 175;

    // Seek bar: background, sunken bar, thumb.
    QFrame* picHsbBack = nullptr;
    QFrame* picHsb = nullptr;
    QFrame* picHsb2 = nullptr;
    // Range strip under the seek bar (filled by the range marks).
    QFrame* picRngBk = nullptr;

    // Message area.
    QFrame* picMsgBk = nullptr;
    QLabel* picAssIcon = nullptr;
    QLabel* lblFnName = nullptr;
    QLabel* lblCover = nullptr;
    QLabel* lblCurTime = nullptr;
    QLabel* lblSplit = nullptr;
    QLabel* lblTtTime = nullptr;

    // Button bar.
    QFrame* picBnBk = nullptr;
    ZelvoButton* mbPlay[3] = {nullptr, nullptr, nullptr};
    ZelvoButton* mbPause = nullptr;
    ZelvoButton* mbStop = nullptr;
    ZelvoButton* mbBackward = nullptr;
    ZelvoButton* mbForward = nullptr;
    ZelvoButton* mbLastItem = nullptr;
    ZelvoButton* mbNextItem = nullptr;
    ZelvoButton* mbRngStart = nullptr;
    ZelvoButton* mbRngEnd = nullptr;

    // Sound panel: mute button, volume track and knob.
    QFrame* picSndBk = nullptr;
    ZelvoButton* mbSound = nullptr;
    QFrame* picVolSdr = nullptr;
    QFrame* picVolPos = nullptr;

    // Shows or hides the current-time, separator and total-time labels together.
    void showTimeLabels(bool visible);
    // Sets a label's text and fits its width to it, as an autosized label does.
    static void setAutoSizeText(QLabel* label, const QString& text);

private:
    ZelvoButton* makeButton(const QString& name, int left, int width, const QString& tip);
};
