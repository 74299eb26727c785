#include "core/media/MCI.h"

#include "core/files/DialogService.h"
#include "core/files/FileObject.h"
#include "core/media/DevicePlayback.h"
#include "core/media/MciInterpreter.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace {

// MCI hands replies back in a buffer of 128 characters.
constexpr qsizetype kReplyBuffer = 128;

// The number at the start of a reply, up to the first character that cannot belong
// to it; 0 when there is none.
double leadingNumber(const QString& text) {
    static const QRegularExpression number(
        QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?"));
    const QRegularExpressionMatch match = number.match(text);
    return match.hasMatch() ? match.captured(0).toDouble() : 0.0;
}

qint32 toInt32(double value) {
    const double rounded = std::round(value);
    if (!(rounded > std::numeric_limits<qint32>::min())) {
        return std::numeric_limits<qint32>::min();
    }
    if (rounded >= std::numeric_limits<qint32>::max()) {
        return std::numeric_limits<qint32>::max();
    }
    return static_cast<qint32>(rounded);
}

// The reply's first word: lower-cased letters and digits up to the first other
// character, so "not ready" reads "not".
QString leadingWord(const QString& reply) {
    const QString lower = reply.toLower();
    qsizetype end = 0;
    while (end < lower.size()) {
        const QChar c = lower.at(end);
        if (!((c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
              (c >= QLatin1Char('0') && c <= QLatin1Char('9')))) {
            break;
        }
        ++end;
    }
    return lower.left(end);
}

// Centres a length in an area; a picture larger than the area starts at area − length
// (to the left of or above the area), not at half of that.
qint32 centred(qint32 area, qint32 length) {
    qint32 at = toInt32((static_cast<double>(area) - static_cast<double>(length)) / 2.0);
    if (at < 0) {
        at = area - length;
    }
    return at;
}

QString number(qint64 value) {
    return QString::number(value);
}

}  // namespace

MCI::MCI(MciSender sender)
    : m_sender(std::move(sender)), m_playback(std::make_unique<DevicePlayback>()) {
    if (!m_sender) {
        m_sender = &mciSendString;
    }
}

MCI::~MCI() = default;

PlaybackSession& MCI::playback() const {
    return *m_playback;
}

int MCI::send(const QString& command) {
    return m_sender(command, nullptr);
}

int MCI::sendForReply(const QString& command, QString* reply) {
    QString answer;
    const int result = m_sender(command, &answer);
    *reply = answer.left(kReplyBuffer - 1);
    return result;
}

void MCI::setTimeFormat(const QString& format) {
    // The reply is of no interest and does not count as the last result.
    send(QStringLiteral("set ") + m_alias + QStringLiteral(" time format ") + format);
}

bool MCI::isCDa() const {
    return m_deviceType == QLatin1String("cdaudio");
}

bool MCI::isVideoOnly() {
    setAudioShow(true);
    return !m_isSuccess;
}

void MCI::openMCI(const QString& file, quintptr parentWindow, const QString& alias) {
    const bool wasCD = isCDa();
    m_fileName = file;
    m_totalFrames = 0;
    m_totalSeconds = 0.0f;

    if (parentWindow != 0) {
        m_parentWindow = parentWindow;
    }
    if (m_parentWindow == 0) {
        msgBox(QStringLiteral("務必指定 hWnd 參數"));
    }
    if (!alias.isEmpty()) {
        m_alias = alias;
    } else {
        msgBox(QStringLiteral("務必指定 aliasName 參數"));
    }

    m_deviceType = QStringLiteral("mpegvideo");
    static const QRegularExpression trackFile(QStringLiteral("^track\\d\\d\\.cda$"));
    const FileObject& files = FileObject::shared();
    if (trackFile.match(files.GetFileName(m_fileName).toLower()).hasMatch() &&
        files.GetExtensionName(m_fileName).toLower() == QLatin1String("cda")) {
        bool isNumber = false;
        const int track = m_fileName.right(6).left(2).toInt(&isNumber);
        if (isNumber) {
            m_cdTrack = QString::number(track);
            m_deviceType = QStringLiteral("cdaudio");
        }
    }

    if (!(wasCD && isCDa())) {
        m_lastError = send(QStringLiteral("stop ") + m_alias);
        m_lastError = send(QStringLiteral("close ") + m_alias);
    }

    if (isCDa()) {
        m_lastError = send(QStringLiteral("open ") + files.GetDriveName(m_fileName) +
                           QStringLiteral(" type cdaudio alias ") + m_alias +
                           QStringLiteral(" wait shareable"));
        setTimeFormat(QStringLiteral("ms"));
        if (m_lastError == 0) {
            m_isAudioOnly = true;
        }
    } else {
        m_lastError =
            send(QStringLiteral("open \"") + m_fileName + QStringLiteral("\" type ") +
                 m_deviceType + QStringLiteral(" alias ") + m_alias + QStringLiteral(" parent ") +
                 number(static_cast<qint64>(m_parentWindow)) + QStringLiteral(" style child"));
        setTimeFormat(QStringLiteral("frames"));
    }

    m_startFrame = getStartFrame();
    m_isSuccess = m_lastError == 0;
    if (m_isSuccess) {
        m_playback->attach(m_alias, m_fileName);
    }
}

QString MCI::fromToClause(qint32 from, qint32 to) const {
    qint64 start = from;
    qint64 end = to;
    if (isCDa()) {
        if (end == 0) {
            end = m_totalFrames;
        }
        start += m_startFrame;
        end += m_startFrame;
    }
    if (end > 0) {
        return QStringLiteral(" from ") + number(start) + QStringLiteral(" to ") + number(end);
    }
    return QString();
}

void MCI::playMCI(qint32 from, qint32 to, bool repeatRange, bool noRange, bool loop) {
    from = std::max(from, 0);
    if (m_totalFrames < 1) {
        getTotalFrames();
    }
    if (to > m_totalFrames || (from >= 1 && to <= 0)) {
        to = m_totalFrames;
    }
    if (!noRange && (from > 0 || to >= 1)) {
        m_rngStart = from;
        m_rngEnd = to;
    } else {
        m_rngStart = 0;
        m_rngEnd = 0;
    }
    m_rngRepeat = repeatRange;
    m_lastError = send(QStringLiteral("play ") + m_alias + fromToClause(from, to) +
                       (loop ? QStringLiteral(" repeat") : QString()));
    m_isSuccess = m_lastError == 0;
}

void MCI::putMCI(qint32 width, qint32 height, bool center, qint32 offset, qint32 areaWidth,
                 qint32 areaHeight) {
    if (isCDa()) {
        m_isSuccess = false;
        return;
    }
    if (m_parentWindow == 0) {
        return;
    }
    qint32 x = 0;
    qint32 y = 0;
    if (center) {
        x = centred(areaWidth, width);
        y = centred(areaHeight, height);
    }
    x += offset;
    y += offset;
    m_lastError = send(QStringLiteral("put ") + m_alias + QStringLiteral(" window at ") +
                       number(x) + QLatin1Char(' ') + number(y) + QLatin1Char(' ') + number(width) +
                       QLatin1Char(' ') + number(height));
    m_isAudioOnly = false;
    if (m_lastError == 0) {
        m_isSuccess = true;
    } else {
        // No window: the media has no picture. It is audio only if its sound plays.
        setAudioShow(true);
        m_isAudioOnly = m_isSuccess;
        m_isSuccess = false;
    }
}

void MCI::rngCancel() {
    m_rngStart = 0;
    m_rngEnd = 0;
    m_rngRepeat = false;
}

bool MCI::isRngPlaying() const {
    return !(m_rngStart < 1 && m_rngEnd < 1);
}

void MCI::pauseMCI() {
    m_lastError = send(QStringLiteral("pause ") + m_alias);
    m_isSuccess = m_lastError == 0;
}

void MCI::resumeMCI() {
    m_lastError = send(QStringLiteral("resume ") + m_alias);
    m_isSuccess = m_lastError == 0;
}

void MCI::stepMCI(qint32 n) {
    m_lastError = send(QStringLiteral("step ") + m_alias + QStringLiteral(" by ") + number(n));
    m_isSuccess = true;
}

void MCI::stopMCI(const QString& alias, qint32 position) {
    if (position < 1) {
        position = m_rngStart;
    }
    const QString device = alias.isEmpty() ? m_alias : alias;
    if (m_rngRepeat) {
        // A repeated range starts again instead of stopping.
        playMCI(m_rngStart, m_rngEnd, true, false, false);
        return;
    }
    if (isCDa() && position == 0) {
        pauseMCI();
        return;
    }
    m_lastError = send(QStringLiteral("seek ") + device + QStringLiteral(" to ") +
                       number(static_cast<qint64>(m_startFrame) + position));
    m_isSuccess = m_lastError == 0;
}

void MCI::closeMCI(const QString& alias) {
    const QString device = alias.isEmpty() ? m_alias : alias;
    m_lastError = send(QStringLiteral("stop ") + device);
    m_lastError = send(QStringLiteral("close ") + device);
    m_isSuccess = m_lastError == 0;
}

void MCI::closeAllMCI() {
    if (isCDa()) {
        m_lastError = send(QStringLiteral("stop ") + m_alias);
    }
    m_lastError = send(QStringLiteral("Close All"));
    m_isSuccess = m_lastError == 0;
}

QString MCI::getStatus() {
    QString reply;
    m_lastError =
        sendForReply(QStringLiteral("status ") + m_alias + QStringLiteral(" mode"), &reply);
    return m_lastError == 0 ? leadingWord(reply) : QStringLiteral("error");
}

qint32 MCI::getStartFrame() {
    if (!isCDa()) {
        return 0;
    }
    setTimeFormat(QStringLiteral("ms"));
    QString reply;
    m_lastError = sendForReply(
        QStringLiteral("status ") + m_alias + QStringLiteral(" position track ") + m_cdTrack,
        &reply);
    return toInt32(leadingNumber(reply));
}

qint32 MCI::getTotalFrames() {
    QString reply;
    if (isCDa()) {
        setTimeFormat(QStringLiteral("ms"));
        m_lastError = sendForReply(
            QStringLiteral("status ") + m_alias + QStringLiteral(" length track ") + m_cdTrack,
            &reply);
    } else {
        setTimeFormat(QStringLiteral("frames"));
        m_lastError =
            sendForReply(QStringLiteral("status ") + m_alias + QStringLiteral(" length"), &reply);
    }
    m_totalFrames = m_lastError == 0 ? toInt32(leadingNumber(reply)) : 0;
    return m_totalFrames;
}

float MCI::getTotalSeconds() {
    QString reply;
    setTimeFormat(QStringLiteral("ms"));
    if (isCDa()) {
        m_lastError = sendForReply(
            QStringLiteral("status ") + m_alias + QStringLiteral(" length track ") + m_cdTrack,
            &reply);
    } else {
        m_lastError =
            sendForReply(QStringLiteral("status ") + m_alias + QStringLiteral(" length"), &reply);
        setTimeFormat(QStringLiteral("frames"));
    }
    m_totalSeconds = m_lastError == 0 ? static_cast<float>(leadingNumber(reply) / 1000.0) : 0.0f;
    return m_totalSeconds;
}

void MCI::setCurFrame(qint32 frame, bool play) {
    frame = std::max(frame, 0);
    if (m_totalFrames < 1) {
        getTotalFrames();
    }
    frame = std::min(frame, m_totalFrames);
    const QString playCommand =
        QStringLiteral("play ") + m_alias + fromToClause(frame, m_totalFrames);
    if (play) {
        m_lastError = send(playCommand);
    } else {
        // Play from the frame and pause at once: the paused picture moves there.
        send(QStringLiteral("pause ") + m_alias);
        m_lastError = send(playCommand);
        send(QStringLiteral("pause ") + m_alias);
    }
    m_isSuccess = m_lastError == 0;
}

qint32 MCI::getCurFrame() {
    setTimeFormat(isCDa() ? QStringLiteral("ms") : QStringLiteral("frames"));
    QString reply;
    m_lastError =
        sendForReply(QStringLiteral("status ") + m_alias + QStringLiteral(" position"), &reply);
    if (m_lastError != 0) {
        return 0;
    }
    return toInt32(leadingNumber(reply) - m_startFrame);
}

float MCI::getFramesPerSecond() {
    if (isCDa()) {
        return 1000.0f;  // a track's frames are milliseconds
    }
    if (m_totalFrames < 1) {
        getTotalFrames();
    }
    if (m_totalSeconds <= 0.0f) {
        getTotalSeconds();
    }
    if (m_totalSeconds > 0.0f) {
        return static_cast<float>(m_totalFrames) / m_totalSeconds;
    }
    return -1.0f;
}

float MCI::getFramesRateMPG() {
    QString reply;
    m_lastError =
        sendForReply(QStringLiteral("status ") + m_alias + QStringLiteral(" frame rate"), &reply);
    if (m_lastError != 0) {
        return -1.0f;
    }
    return static_cast<float>(leadingNumber(reply) / 1000.0);
}

void MCI::readSize(const QString& command, qint32& width, qint32& height) {
    QString reply;
    m_lastError = sendForReply(command, &reply);
    if (m_lastError != 0) {
        m_isSuccess = false;
        width = 0;
        height = 0;
        return;
    }
    // "left top width height": the text after the second blank holds the size.
    const qsizetype first = reply.indexOf(QLatin1Char(' '));
    const qsizetype second = first < 0 ? -1 : reply.indexOf(QLatin1Char(' '), first + 1);
    const QString size = second < 0 ? QString() : reply.mid(second + 1);
    const qsizetype blank = size.indexOf(QLatin1Char(' '));
    width = toInt32(leadingNumber(size));
    height = blank < 0 ? 0 : toInt32(leadingNumber(size.mid(blank + 1)));
    m_isSuccess = true;
}

void MCI::getCurSize(qint32& width, qint32& height) {
    readSize(QStringLiteral("where ") + m_alias + QStringLiteral(" destination max"), width,
             height);
}

void MCI::getDefaultSize(qint32& width, qint32& height) {
    readSize(QStringLiteral("where ") + m_alias + QStringLiteral(" source"), width, height);
}

void MCI::setVolume(qint32 volume) {
    m_lastError = send(QStringLiteral("setaudio ") + m_alias + QStringLiteral(" volume to ") +
                       number(volume));
    m_isSuccess = m_lastError == 0;
}

void MCI::setAudioShow(bool on) {
    m_lastError = send(QStringLiteral("set ") + m_alias + QStringLiteral(" audio all ") +
                       (on ? QStringLiteral("on") : QStringLiteral("off")));
    m_isSuccess = m_lastError == 0;
}

QString MCI::getAudioOnOff() {
    QString reply;
    m_lastError =
        sendForReply(QStringLiteral("status ") + m_alias + QStringLiteral(" audio"), &reply);
    return m_lastError == 0 ? leadingWord(reply) : QStringLiteral("error");
}

void MCI::setSpeed(qint32 speed) {
    m_lastError =
        send(QStringLiteral("set ") + m_alias + QStringLiteral(" speed ") + number(speed));
    m_isSuccess = m_lastError == 0;
}

qint32 MCI::getSpeed() {
    QString reply;
    m_lastError =
        sendForReply(QStringLiteral("status ") + m_alias + QStringLiteral(" speed"), &reply);
    return m_lastError == 0 ? toInt32(leadingNumber(reply)) : -1;
}
