#pragma once

#include "core/media/MpvSession.h"

#include <QString>
#include <QStringList>

#include <map>
#include <memory>

struct MciCommand;
class VideoSurfaceProvider;

// The program's MCI: it reads the command strings the MCI class sends and runs them on
// one libmpv instance per alias. Replies and error numbers are MCI's, so the strings
// stay the wire format between the player logic and the playback engine.
class MciInterpreter {
public:
    static MciInterpreter& instance();

    // Runs one command; 0 or an MCI error number. reply (may be null) gets the answer
    // text of commands that return one, "" otherwise.
    int send(const QString& command, QString* reply);

    // Closes every device ("close all").
    void closeAll();
    // Aliases of the open devices, lower case.
    QStringList aliases() const;
    // The device of alias (any case), nullptr when there is none. It lives on until it is
    // closed; its closed() signal says when.
    MpvSession* device(const QString& alias) const;

    // Where sound goes: mpv's audio output list, e.g. "null" for tests.
    void setAudioOutput(const QString& outputs) { m_config.audioOutput = outputs; }
    // Picture areas for "parent N"; nullptr: no pictures (headless).
    void setVideoSurfaceProvider(VideoSurfaceProvider* provider) { m_config.surfaces = provider; }
    VideoSurfaceProvider* videoSurfaceProvider() const { return m_config.surfaces; }
    void setTimeouts(int openMs, int streamOpenMs, int seekMs);

    MciInterpreter(const MciInterpreter&) = delete;
    MciInterpreter& operator=(const MciInterpreter&) = delete;

private:
    MciInterpreter();

    int open(const MciCommand& command);
    int close(const QString& alias);
    int run(MpvSession& session, const MciCommand& command, QString* reply);

    void retire(MpvSession& session);

    std::map<QString, std::shared_ptr<MpvSession>> m_sessions;  // by lower-case alias
    MpvSession::Config m_config;
    // A player of a closed device, kept for the next open: starting a player costs
    // more than opening a file in one.
    MpvHandle m_spare;
};

// The one function through which MCI command strings are sent.
int mciSendString(const QString& command, QString* reply);
