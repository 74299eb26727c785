#pragma once

#include <QString>
#include <QtGlobal>

struct PlayerParts;

// The speed menu (fixed speeds and a typed one) and stepping backward and forward by the
// chosen step mode: a number of frames, of seconds, or a percentage of the length.
class SpeedSteps {
public:
    explicit SpeedSteps(PlayerParts& parts);

    void mnuSpeed_Click(int index);
    // Checks speed item index and keeps value (the session's units) as the current speed,
    // without telling the session.
    void checkSpeedItem(int index, qint32 value);
    void mnuFB_Click(int index);
    void setStepCaption(int index, int value);
    void updateStepTips();
    void stepMove(int direction, bool useMode);

    // How many frames one step moves.
    static qint32 stepFrames(bool useMode, int stepMode, const int stepValue[3],
                             double framesPerSecond, qint32 totalFrames);
    // The leading number of a typed answer, rounded; 0 when it has none.
    static qint32 typedNumber(const QString& text);

private:
    PlayerParts& m_p;
    // The checked speed item, restored when a custom speed is not taken.
    int m_speedIndex = 4;
};
