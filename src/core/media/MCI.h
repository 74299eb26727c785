#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>
#include <memory>

class DevicePlayback;
class PlaybackSession;

// Sends one MCI command string; 0 or an MCI error number, the answer in *reply.
using MciSender = std::function<int(const QString& command, QString* reply)>;

// One named media device: the program's only way to play media. Every action is an MCI
// command string, built exactly as the device expects it and sent through one function
// (mciSendString unless another sender is given, as tests do to read the strings).
// Positions are frames (milliseconds for audio-CD tracks, relative to the track).
// Failures never reach the caller: they show in isSuccess and in 0, -1 or "error".
class MCI {
public:
    explicit MCI(MciSender sender = MciSender());
    ~MCI();
    MCI(const MCI&) = delete;
    MCI& operator=(const MCI&) = delete;

    QString FileName() const { return m_fileName; }
    void setFileName(const QString& fileName) { m_fileName = fileName; }
    bool isCDa() const;
    bool isAudioOnly() const { return m_isAudioOnly; }
    void setIsAudioOnly(bool audioOnly) { m_isAudioOnly = audioOnly; }
    // A file whose sound cannot be switched on has no sound.
    bool isVideoOnly();
    bool isSuccess() const { return m_isSuccess; }
    void setIsSuccess(bool success) { m_isSuccess = success; }

    // parentWindow: the native id of the window the picture goes into (QWidget::winId).
    void openMCI(const QString& file, quintptr parentWindow, const QString& alias);
    void playMCI(qint32 from, qint32 to, bool repeatRange, bool noRange, bool loop);
    void putMCI(qint32 width, qint32 height, bool center, qint32 offset, qint32 areaWidth,
                qint32 areaHeight);
    void rngCancel();
    bool isRngPlaying() const;
    qint32 rngStart() const { return m_rngStart; }
    void setRngStart(qint32 frame) { m_rngStart = frame; }
    qint32 rngEnd() const { return m_rngEnd; }
    void setRngEnd(qint32 frame) { m_rngEnd = frame; }
    bool rngRepeat() const { return m_rngRepeat; }
    void setRngRepeat(bool repeat) { m_rngRepeat = repeat; }
    void pauseMCI();
    void resumeMCI();
    void stepMCI(qint32 n);
    void stopMCI(const QString& alias, qint32 position);
    void closeMCI(const QString& alias);
    void closeAllMCI();
    QString getStatus();
    qint32 getStartFrame();
    qint32 getTotalFrames();
    float getTotalSeconds();
    void setCurFrame(qint32 frame, bool play);
    qint32 getCurFrame();
    float getFramesPerSecond();
    float getFramesRateMPG();
    void getCurSize(qint32& width, qint32& height);
    void getDefaultSize(qint32& width, qint32& height);
    void setVolume(qint32 volume);
    void setAudioShow(bool on);
    QString getAudioOnOff();
    void setSpeed(qint32 speed);
    qint32 getSpeed();

    // Not part of the device's operations: what the last kept command returned, and the
    // alias in use.
    int lastError() const { return m_lastError; }
    QString alias() const { return m_alias; }
    // The device's media as values (seconds, pictures) with signals when a file has been
    // loaded and closed, for features that need more than the command strings give.
    PlaybackSession& playback() const;

private:
    int send(const QString& command);
    int sendForReply(const QString& command, QString* reply);
    void setTimeFormat(const QString& format);
    QString fromToClause(qint32 from, qint32 to) const;
    void readSize(const QString& command, qint32& width, qint32& height);

    MciSender m_sender;
    QString m_alias = QStringLiteral("MyPlayer");
    int m_lastError = 0;
    QString m_fileName;
    quintptr m_parentWindow = 0;
    QString m_cdTrack;
    QString m_deviceType;
    qint32 m_totalFrames = 0;
    float m_totalSeconds = 0.0f;
    bool m_rngRepeat = false;
    bool m_isSuccess = false;
    bool m_isAudioOnly = false;
    qint32 m_rngStart = 0;
    qint32 m_rngEnd = 0;
    qint32 m_startFrame = 0;
    std::unique_ptr<DevicePlayback> m_playback;
};
