#include "core/media/MciInterpreter.h"

#include "core/media/MciCommand.h"
#include "core/media/MciErrors.h"
#include "core/media/MediaCheck.h"
#include "core/media/PlaybackLog.h"
#include "core/settings/TextFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QRect>
#include <QRegularExpression>

#include <climits>
#include <clocale>
#include <optional>

#include <sys/stat.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcPlayback, "zelvo.playback", QtWarningMsg)

namespace {

// A regular file this process may read, named by its bytes.
bool isReadableFile(const QByteArray& path) {
    struct stat info {};
    return ::stat(path.constData(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.constData(), R_OK) == 0;
}

bool isUrl(const QString& element) {
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
    return scheme.match(element).hasMatch();
}

// Reads the word at index as an integer; advances index.
int readInteger(const QStringList& args, qsizetype& index, qint64* value) {
    if (index >= args.size()) {
        return mcierr::kMissingParameter;
    }
    bool ok = false;
    *value = args.at(index).toLongLong(&ok);
    ++index;
    return ok ? mcierr::kNone : mcierr::kBadInteger;
}

bool isFlag(const QString& word) {
    return word == QLatin1String("wait") || word == QLatin1String("notify");
}

bool isFileDeviceType(const QString& type) {
    return type == QLatin1String("mpegvideo") || type == QLatin1String("mpegvideo2") ||
           type == QLatin1String("avivideo") || type == QLatin1String("waveaudio") ||
           type == QLatin1String("digitalvideo");
}

int runPlay(MpvSession& session, const QStringList& args) {
    std::optional<qint64> from;
    std::optional<qint64> to;
    bool repeat = false;
    for (qsizetype i = 0; i < args.size();) {
        const QString& word = args.at(i++);
        qint64 value = 0;
        if (word == QLatin1String("from") || word == QLatin1String("to")) {
            if (const int error = readInteger(args, i, &value)) {
                return error;
            }
            (word == QLatin1String("from") ? from : to) = value;
        } else if (word == QLatin1String("repeat")) {
            repeat = true;
        } else if (!isFlag(word)) {
            return mcierr::kUnrecognizedKeyword;
        }
    }
    return session.play(from, to, repeat);
}

int onlyFlags(const QStringList& args) {
    for (const QString& word : args) {
        if (!isFlag(word)) {
            return mcierr::kUnrecognizedKeyword;
        }
    }
    return mcierr::kNone;
}

int runSeek(MpvSession& session, const QStringList& args) {
    if (args.isEmpty() || args.first() != QLatin1String("to")) {
        return args.isEmpty() ? mcierr::kMissingParameter : mcierr::kUnrecognizedKeyword;
    }
    if (args.size() < 2) {
        return mcierr::kMissingParameter;
    }
    if (const int error = onlyFlags(args.mid(2))) {
        return error;
    }
    if (args.at(1) == QLatin1String("start")) {
        return session.seekToStart();
    }
    if (args.at(1) == QLatin1String("end")) {
        return session.seekToEnd();
    }
    qsizetype index = 1;
    qint64 position = 0;
    if (const int error = readInteger(args, index, &position)) {
        return error;
    }
    return session.seek(position);
}

int runStep(MpvSession& session, const QStringList& args) {
    qint64 frames = 1;
    bool reverse = false;
    for (qsizetype i = 0; i < args.size();) {
        const QString& word = args.at(i++);
        if (word == QLatin1String("by")) {
            if (const int error = readInteger(args, i, &frames)) {
                return error;
            }
        } else if (word == QLatin1String("reverse")) {
            reverse = true;
        } else if (!isFlag(word)) {
            return mcierr::kUnrecognizedKeyword;
        }
    }
    return session.step(reverse ? -frames : frames);
}

// "status … mode" and "status … ready" answer while the device opens; nothing else does.
bool asksReadiness(const MciCommand& command) {
    if (command.verb != QLatin1String("status")) {
        return false;
    }
    QStringList words = command.args;
    while (!words.isEmpty() && isFlag(words.last())) {
        words.removeLast();
    }
    return words.size() == 1 &&
           (words.first() == QLatin1String("mode") || words.first() == QLatin1String("ready"));
}

int runStatus(MpvSession& session, const QStringList& args, QString* reply) {
    QStringList words = args;
    while (!words.isEmpty() && isFlag(words.last())) {
        words.removeLast();
    }
    if (words.isEmpty()) {
        return mcierr::kMissingParameter;
    }
    // "length track N" and "position track N" carry a number at the end.
    if (words.size() == 3 && words.at(1) == QLatin1String("track")) {
        bool ok = false;
        const qint64 track = words.at(2).toLongLong(&ok);
        if (!ok) {
            return mcierr::kBadInteger;
        }
        if (words.first() == QLatin1String("length")) {
            return session.trackLength(track, reply);
        }
        if (words.first() == QLatin1String("position")) {
            return session.trackPosition(track, reply);
        }
        return mcierr::kUnrecognizedKeyword;
    }
    const QString item = words.join(QLatin1Char(' '));
    if (item == QLatin1String("mode")) {
        return session.mode(reply);
    }
    if (item == QLatin1String("position")) {
        return session.position(reply);
    }
    if (item == QLatin1String("length")) {
        return session.length(reply);
    }
    if (item == QLatin1String("frame rate")) {
        return session.frameRate(reply);
    }
    if (item == QLatin1String("speed")) {
        return session.speed(reply);
    }
    if (item == QLatin1String("audio")) {
        return session.audio(reply);
    }
    if (item == QLatin1String("volume")) {
        return session.volume(reply);
    }
    if (item == QLatin1String("time format")) {
        return session.timeFormat(reply);
    }
    if (item == QLatin1String("ready")) {
        return session.ready(reply);
    }
    if (item == QLatin1String("number of tracks")) {
        return session.numberOfTracks(reply);
    }
    return mcierr::kUnrecognizedKeyword;
}

int runSet(MpvSession& session, const QStringList& args) {
    if (args.isEmpty()) {
        return mcierr::kMissingParameter;
    }
    for (qsizetype i = 0; i < args.size();) {
        const QString& word = args.at(i++);
        if (isFlag(word)) {
            continue;
        }
        if (word == QLatin1String("time")) {
            if (i >= args.size()) {
                return mcierr::kMissingParameter;
            }
            if (args.at(i++) != QLatin1String("format")) {
                return mcierr::kUnrecognizedKeyword;
            }
            if (i >= args.size()) {
                return mcierr::kMissingParameter;
            }
            const QString& format = args.at(i++);
            int error = mcierr::kNone;
            if (format == QLatin1String("frames")) {
                error = session.setTimeFormat(MpvSession::TimeFormat::Frames);
            } else if (format == QLatin1String("ms") || format == QLatin1String("milliseconds")) {
                error = session.setTimeFormat(MpvSession::TimeFormat::Milliseconds);
            } else {
                return mcierr::kBadTimeFormat;
            }
            if (error != mcierr::kNone) {
                return error;
            }
        } else if (word == QLatin1String("speed")) {
            qint64 speed = 0;
            if (const int error = readInteger(args, i, &speed)) {
                return error;
            }
            if (const int error = session.setSpeed(speed)) {
                return error;
            }
        } else if (word == QLatin1String("audio")) {
            // "audio all on", also "audio left off" and the like: one switch for all.
            if (i < args.size() &&
                (args.at(i) == QLatin1String("all") || args.at(i) == QLatin1String("left") ||
                 args.at(i) == QLatin1String("right"))) {
                ++i;
            }
            if (i >= args.size()) {
                return mcierr::kMissingParameter;
            }
            const QString& state = args.at(i++);
            if (state != QLatin1String("on") && state != QLatin1String("off")) {
                return mcierr::kBadConstant;
            }
            if (const int error = session.setAudio(state == QLatin1String("on"))) {
                return error;
            }
        } else {
            return mcierr::kUnrecognizedKeyword;
        }
    }
    return mcierr::kNone;
}

int runSetAudio(MpvSession& session, const QStringList& args) {
    qsizetype i = 0;
    if (i >= args.size() || args.at(i++) != QLatin1String("volume")) {
        return args.isEmpty() ? mcierr::kMissingParameter : mcierr::kUnrecognizedKeyword;
    }
    if (i < args.size() && args.at(i) == QLatin1String("to")) {
        ++i;
    }
    qint64 volume = 0;
    if (const int error = readInteger(args, i, &volume)) {
        return error;
    }
    if (const int error = onlyFlags(args.mid(i))) {
        return error;
    }
    return session.setVolume(volume);
}

int runPut(MpvSession& session, const QStringList& args) {
    if (args.size() < 2) {
        return mcierr::kMissingParameter;
    }
    if ((args.at(0) != QLatin1String("window") && args.at(0) != QLatin1String("destination")) ||
        args.at(1) != QLatin1String("at")) {
        return mcierr::kUnrecognizedKeyword;
    }
    qsizetype i = 2;
    qint64 values[4] = {0, 0, 0, 0};
    for (qint64& value : values) {
        if (const int error = readInteger(args, i, &value)) {
            return error;
        }
        if (value < INT_MIN || value > INT_MAX) {
            return mcierr::kOutOfRange;
        }
    }
    if (const int error = onlyFlags(args.mid(i))) {
        return error;
    }
    return session.put(QRect(static_cast<int>(values[0]), static_cast<int>(values[1]),
                             static_cast<int>(values[2]), static_cast<int>(values[3])));
}

int runWhere(MpvSession& session, const QStringList& args, QString* reply) {
    QStringList words = args;
    while (!words.isEmpty() && isFlag(words.last())) {
        words.removeLast();
    }
    const QString item = words.join(QLatin1Char(' '));
    if (item == QLatin1String("source")) {
        return session.whereSource(reply);
    }
    if (item == QLatin1String("destination") || item == QLatin1String("window")) {
        return session.whereDestination(false, reply);
    }
    if (item == QLatin1String("destination max") || item == QLatin1String("window max")) {
        return session.whereDestination(true, reply);
    }
    return item.isEmpty() ? mcierr::kMissingParameter : mcierr::kUnrecognizedKeyword;
}

}  // namespace

MciInterpreter& MciInterpreter::instance() {
    static MciInterpreter interpreter;
    return interpreter;
}

MciInterpreter::MciInterpreter() {
    // Fall back to no sound rather than no playback on a machine without a sound card.
    m_config.audioOutput = QStringLiteral("pulse,alsa,null");
}

void MciInterpreter::setTimeouts(int openMs, int streamOpenMs, int seekMs) {
    m_config.openTimeoutMs = openMs;
    m_config.streamOpenTimeoutMs = streamOpenMs;
    m_config.seekTimeoutMs = seekMs;
}

QStringList MciInterpreter::aliases() const {
    QStringList list;
    for (const auto& entry : m_sessions) {
        list.append(entry.first);
    }
    return list;
}

MpvSession* MciInterpreter::device(const QString& alias) const {
    const auto found = m_sessions.find(alias.toLower());
    return found != m_sessions.end() ? found->second.get() : nullptr;
}

int MciInterpreter::send(const QString& text, QString* reply) {
    if (reply != nullptr) {
        reply->clear();
    }
    MciCommand command;
    if (const int error = MciCommand::parse(text, &command)) {
        return error;
    }
    if (command.verb == QLatin1String("open")) {
        return open(command);
    }
    static const QStringList verbs = {
        QStringLiteral("close"),    QStringLiteral("play"),   QStringLiteral("pause"),
        QStringLiteral("resume"),   QStringLiteral("stop"),   QStringLiteral("seek"),
        QStringLiteral("step"),     QStringLiteral("status"), QStringLiteral("set"),
        QStringLiteral("setaudio"), QStringLiteral("put"),    QStringLiteral("where")};
    if (!verbs.contains(command.verb)) {
        return mcierr::kUnrecognizedCommand;
    }
    if (command.device.isEmpty()) {
        return mcierr::kMissingDeviceName;
    }
    if (command.verb == QLatin1String("close")) {
        if (const int error = onlyFlags(command.args)) {
            return error;
        }
        if (command.device.compare(QLatin1String("all"), Qt::CaseInsensitive) == 0) {
            closeAll();
            return mcierr::kNone;
        }
        return close(command.device);
    }
    const auto found = m_sessions.find(command.device.toLower());
    if (found == m_sessions.end()) {
        return mcierr::kInvalidDeviceName;
    }
    // The session may be closed by a command sent while this one waits; it lives on
    // until this one has returned.
    const std::shared_ptr<MpvSession> session = found->second;
    if (!asksReadiness(command)) {
        if (const int error = session->usable()) {
            return error;
        }
    }
    QString answer;
    const int error = run(*session, command, &answer);
    if (error == mcierr::kNone && reply != nullptr) {
        *reply = answer;
    }
    return error;
}

int MciInterpreter::run(MpvSession& session, const MciCommand& command, QString* reply) {
    const QString& verb = command.verb;
    const QStringList& args = command.args;
    if (verb == QLatin1String("play")) {
        return runPlay(session, args);
    }
    if (verb == QLatin1String("pause")) {
        const int error = onlyFlags(args);
        return error != mcierr::kNone ? error : session.pause();
    }
    if (verb == QLatin1String("resume")) {
        const int error = onlyFlags(args);
        return error != mcierr::kNone ? error : session.resume();
    }
    if (verb == QLatin1String("stop")) {
        const int error = onlyFlags(args);
        return error != mcierr::kNone ? error : session.stop();
    }
    if (verb == QLatin1String("seek")) {
        return runSeek(session, args);
    }
    if (verb == QLatin1String("step")) {
        return runStep(session, args);
    }
    if (verb == QLatin1String("status")) {
        return runStatus(session, args, reply);
    }
    if (verb == QLatin1String("set")) {
        return runSet(session, args);
    }
    if (verb == QLatin1String("setaudio")) {
        return runSetAudio(session, args);
    }
    if (verb == QLatin1String("put")) {
        return runPut(session, args);
    }
    if (verb == QLatin1String("where")) {
        return runWhere(session, args, reply);
    }
    return mcierr::kUnrecognizedCommand;
}

int MciInterpreter::open(const MciCommand& command) {
    QString element = command.device;
    if (element.isEmpty()) {
        return mcierr::kMissingParameter;
    }
    QString type;
    QString alias;
    quintptr parent = 0;
    const QStringList& args = command.args;
    for (qsizetype i = 0; i < args.size();) {
        const QString& word = args.at(i++);
        if (word == QLatin1String("type") || word == QLatin1String("alias") ||
            word == QLatin1String("style")) {
            if (i >= args.size()) {
                return mcierr::kMissingParameter;
            }
            const QString& value = args.at(i++);
            if (word == QLatin1String("type")) {
                type = value;
            } else if (word == QLatin1String("alias")) {
                alias = value;
            } else if (value != QLatin1String("child") && value != QLatin1String("popup") &&
                       value != QLatin1String("overlapped")) {
                return mcierr::kBadConstant;
            }
        } else if (word == QLatin1String("parent")) {
            qint64 id = 0;
            if (const int error = readInteger(args, i, &id)) {
                return error;
            }
            if (id < 0) {
                return mcierr::kOutOfRange;
            }
            parent = static_cast<quintptr>(id);
        } else if (!isFlag(word) && word != QLatin1String("shareable")) {
            return mcierr::kUnrecognizedKeyword;
        }
    }
    if (type.isEmpty() && element.compare(QLatin1String("cdaudio"), Qt::CaseInsensitive) == 0) {
        type = QStringLiteral("cdaudio");
    }
    const bool cdAudio = type == QLatin1String("cdaudio");
    if (!cdAudio && !type.isEmpty() && !isFileDeviceType(type)) {
        return mcierr::kCannotLoadDriver;
    }
    if (alias.isEmpty()) {
        alias = element;  // MCI names an unaliased device by its element
    }
    const QString key = alias.toLower();
    if (const auto existing = m_sessions.find(key); existing != m_sessions.end()) {
        // The audio CD is opened shareable: moving to another track keeps the device.
        return cdAudio && existing->second->isCdAudio() ? mcierr::kNone : mcierr::kDuplicateAlias;
    }

    if (cdAudio && !QFileInfo::exists(QStringLiteral("/dev/cdrom")) &&
        !QFileInfo::exists(QStringLiteral("/dev/sr0"))) {
        return mcierr::kInvalidDeviceName;  // no CD drive on this machine
    }
    const bool url = !cdAudio && isUrl(element);
    if (!cdAudio && !url && holdsRawBytes(element)) {
        // A name read from a list in another encoding, kept as its bytes: Qt's file classes
        // cannot name such a file, the system and the player can.
        if (!isReadableFile(encodeText(element))) {
            return mcierr::kFileNotFound;
        }
        element = QDir::cleanPath(QDir::current().absoluteFilePath(element));
    } else if (!cdAudio && !url) {
        const QFileInfo info(element);
        if (!info.exists() || !info.isFile() || !info.isReadable()) {
            return mcierr::kFileNotFound;
        }
        element = info.absoluteFilePath();
    }
    // An FLV cut off half-way still announces its whole length: it plays as far as its
    // data goes, which is then its length.
    const mediacheck::FlvCondition flv =
        cdAudio || url ? mediacheck::FlvCondition() : mediacheck::examineFlv(element);
    if (flv.isFlv && flv.lastTagMs < 0) {
        return mcierr::kInvalidFile;  // not one whole picture or sound
    }

    // libmpv refuses to start under any other numeric locale.
    std::setlocale(LC_NUMERIC, "C");
    const auto session = std::make_shared<MpvSession>(alias, m_config, std::move(m_spare));
    // Listed while it opens, so the device answers "not ready" in the meantime.
    m_sessions[key] = session;
    const int error = session->open(element, url, cdAudio, parent);
    if (error == mcierr::kNone && (flv.cutOff || flv.announcesMore())) {
        session->endsAt(flv.heldSeconds());
    }
    if (error != mcierr::kNone) {
        const auto found = m_sessions.find(key);
        if (found != m_sessions.end() && found->second == session) {
            m_sessions.erase(found);
        }
        retire(*session);
    }
    return error;
}

void MciInterpreter::retire(MpvSession& session) {
    session.close();
    if (!m_spare) {
        m_spare = session.releasePlayer();
    }
}

int MciInterpreter::close(const QString& alias) {
    const auto found = m_sessions.find(alias.toLower());
    if (found == m_sessions.end()) {
        return mcierr::kInvalidDeviceName;
    }
    const std::shared_ptr<MpvSession> session = found->second;
    m_sessions.erase(found);
    retire(*session);
    return mcierr::kNone;
}

void MciInterpreter::closeAll() {
    // Close them from a copy: a session that is waiting returns into a list that has
    // changed under it otherwise.
    const auto sessions = std::move(m_sessions);
    m_sessions.clear();
    for (const auto& entry : sessions) {
        retire(*entry.second);
    }
}

int mciSendString(const QString& command, QString* reply) {
    QString answer;
    const int error = MciInterpreter::instance().send(command, &answer);
    qCDebug(lcPlayback) << command << "->" << error << answer;
    if (reply != nullptr) {
        *reply = answer;
    }
    return error;
}
