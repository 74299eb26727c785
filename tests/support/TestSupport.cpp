#include "TestSupport.h"

#include "core/media/MciInterpreter.h"

#include <algorithm>
#include <utility>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace testsupport {

QString media(const QString& name) {
    const QString dir = qEnvironmentVariable("ZELVO_TEST_MEDIA");
    const QString path = dir + QLatin1Char('/') + name;
    if (dir.isEmpty() || !QFileInfo::exists(path)) {
        qWarning("test media missing: %s (run the testmedia test first)", qPrintable(path));
    }
    return path;
}

QString binDir() {
    return qEnvironmentVariable("ZELVO_BIN_DIR");
}

bool waitUntil(const std::function<bool()>& done, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

RunResult run(const QString& program, const QStringList& args, const QString& workDir,
              int timeoutMs) {
    return run(program, args, QProcessEnvironment::systemEnvironment(), workDir, timeoutMs);
}

RunResult run(const QString& program, const QStringList& args, const QProcessEnvironment& env,
              const QString& workDir, int timeoutMs) {
    RunResult r;
    QProcess p;
    p.setProgram(program);
    p.setArguments(args);
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.setStandardInputFile(QProcess::nullDevice());
    if (!workDir.isEmpty()) {
        p.setWorkingDirectory(workDir);
    }
    p.start();
    if (!p.waitForStarted(10000)) {
        r.output = p.errorString().toUtf8();
        return r;
    }
    r.finished = p.waitForFinished(timeoutMs);
    if (!r.finished) {
        p.kill();
        p.waitForFinished(5000);
    }
    r.output = p.readAll();
    r.exitCode = r.finished && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return r;
}

QHash<QString, QString> desktopEntryKeys(const QString& path) {
    QHash<QString, QString> keys;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return keys;
    }
    bool inEntry = false;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(u'[')) {
            inEntry = line == QLatin1String("[Desktop Entry]");
        } else if (inEntry && line.contains(u'=') && !line.startsWith(u'#')) {
            const qsizetype equals = line.indexOf(u'=');
            keys.insert(line.left(equals).trimmed(), line.mid(equals + 1).trimmed());
        }
    }
    return keys;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

QString digest(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly)
               ? QString::fromLatin1(
                     QCryptographicHash::hash(file.readAll(), QCryptographicHash::Md5).toHex())
               : QString();
}

bool makeLongClip(const QString& path) {
    const QStringList args = u8("-v error -stream_loop 19 -i").split(u' ')
                             << media(QStringLiteral("h264.flv")) << u8("-c") << u8("copy") << path;
    return run(QStringLiteral("ffmpeg"), args).exitCode == 0;
}

QImage decodedFrame(const QString& file, int frame, const QString& png, const QSize& size) {
    QString filter = QStringLiteral("select=eq(n\\,%1)").arg(frame);
    if (size.isValid()) {
        filter += QStringLiteral(",scale=%1:%2").arg(size.width()).arg(size.height());
    }
    const QStringList args{u8("-v"),  u8("error"), u8("-y"),        u8("-i"), file,
                           u8("-vf"), filter,      u8("-frames:v"), u8("1"),  png};
    return run(QStringLiteral("ffmpeg"), args).exitCode == 0
               ? QImage(png).convertToFormat(QImage::Format_RGB32)
               : QImage();
}

double meanDifference(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.isNull()) {
        return 255.0;
    }
    qint64 sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
        }
    }
    return static_cast<double>(sum) / (3.0 * a.width() * a.height());
}

double matchingBlocks(const QImage& shown, const QRect& where, const QImage& reference) {
    int matching = 0;
    int blocks = 0;
    for (int y = 0; y + 16 <= reference.height(); y += 16) {
        for (int x = 0; x + 16 <= reference.width(); x += 16) {
            const QColor a = average(reference, QRect(x, y, 16, 16));
            const QColor b = average(shown, QRect(where.x() + x, where.y() + y, 16, 16));
            ++blocks;
            if (std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                    std::abs(a.blue() - b.blue()) <
                60) {
                ++matching;
            }
        }
    }
    return blocks == 0 ? 0.0 : double(matching) / blocks;
}

bool installTools(const QString& folder) {
    qputenv("TMPDIR", QFile::encodeName(folder));
    return run(binDir() + QStringLiteral("/ZelvoResFLV"), {QStringLiteral("Edit1")}).exitCode == 0;
}

QString mci(const QString& command) {
    QString reply;
    const int error = mciSendString(command, &reply);
    return error == 0 ? reply : QStringLiteral("<error %1>").arg(error);
}

QStringList windowsNamed(const QString& pattern) {
    // A window that goes away while xdotool walks the tree (the picture's own
    // window when a new file opens) makes it print an X error instead of some
    // of the ids: such a search is made again.
    QStringList ids;
    for (int attempt = 0; attempt < 5; ++attempt) {
        const RunResult r = run(QStringLiteral("xdotool"),
                                {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                 QStringLiteral("--name"), pattern},
                                QString(), 10000);
        ids = QString::fromUtf8(r.output).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        const bool clean = std::all_of(ids.cbegin(), ids.cend(), [](const QString& id) {
            bool number = false;
            id.toULongLong(&number);
            return number;
        });
        if (clean) {
            return ids;
        }
    }
    return ids;
}

void stopProcess(QProcess& process) {
    process.terminate();
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

int countPixels(const QImage& image, const QRect& area,
                const std::function<bool(const QColor&)>& match) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            count += match(image.pixelColor(x, y)) ? 1 : 0;
        }
    }
    return count;
}

QColor average(const QImage& image, const QRect& area) {
    qint64 r = 0, g = 0, b = 0, n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            r += qRed(pixel);
            g += qGreen(pixel);
            b += qBlue(pixel);
            ++n;
        }
    }
    return n == 0 ? QColor() : QColor(int(r / n), int(g / n), int(b / n));
}

static QString ffprobe(const QStringList& args) {
    const RunResult r = run(QStringLiteral("ffprobe"), args, QString(), 60000);
    return r.exitCode == 0 ? QString::fromUtf8(r.output).trimmed() : QString();
}

QProcessEnvironment programEnvironment(const QString& runtimeDir, const QString& tempDir,
                                       const QString& configDir, const QString& logPath) {
    QFile::setPermissions(runtimeDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
    env.insert(QStringLiteral("TMPDIR"), tempDir);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), configDir);
    // The settings files go there too, not beside the built program that every test runs.
    env.insert(QStringLiteral("ZELVO_SETTINGS_DIR"), configDir);
    // A user who has run the program before: a first run opens the help in the browser.
    const QString settings = configDir + QStringLiteral("/Zelvo.FLV.ini");
    if (!QFileInfo::exists(settings)) {
        writeFile(settings);
    }
    env.insert(QStringLiteral("ZELVO_TEST_LOG"), logPath);
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    return env;
}

void startProgram(QProcess& process, const QProcessEnvironment& env, const QStringList& args) {
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(binDir() + QStringLiteral("/Zelvo.FLV"), args);
}

QStringList lastLogLine(const QString& logPath, const QString& kind) {
    const QList<QStringList> lines = logLines(logPath, kind);
    return lines.isEmpty() ? QStringList() : lines.constLast();
}

QRect rectField(const QString& text) {
    const QStringList n = text.split(u' ');
    return QRect(n.value(0).toInt(), n.value(1).toInt(), n.value(2).toInt(), n.value(3).toInt());
}

QRect loggedRect(const QString& logPath, const QString& kind, const QString& name) {
    QRect rect;
    for (const QStringList& line : logLines(logPath, kind)) {
        if (line.value(1) == name) {
            rect = rectField(line.constLast());
        }
    }
    return rect;
}

void typeKey(const QString& window, const QString& key) {
    run(QStringLiteral("xdotool"),
        {QStringLiteral("windowfocus"), QStringLiteral("--sync"), window}, QString(), 10000);
    run(QStringLiteral("xdotool"), {QStringLiteral("key"), key}, QString(), 10000);
}

void click(const QPoint& at, int times) {
    run(QStringLiteral("xdotool"),
        {QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(at.x()),
         QString::number(at.y()), QStringLiteral("click"), QStringLiteral("--repeat"),
         QString::number(times), QStringLiteral("--delay"), QStringLiteral("80"),
         QStringLiteral("1")},
        QString(), 10000);
}

QList<QStringList> logLines(const QString& logPath, const QString& kind) {
    QList<QStringList> found;
    QFile file(logPath);
    if (file.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : file.readAll().split('\n')) {
            const QStringList fields = QString::fromUtf8(line).split(QLatin1Char('\t'));
            if (fields.value(0) == kind) {
                found << fields;
            }
        }
    }
    return found;
}

double probeDuration(const QString& path) {
    const QString s = ffprobe({QStringLiteral("-v"), QStringLiteral("error"),
                               QStringLiteral("-show_entries"), QStringLiteral("format=duration"),
                               QStringLiteral("-of"), QStringLiteral("csv=p=0"), path});
    bool ok = false;
    const double d = s.toDouble(&ok);
    return ok ? d : -1.0;
}

QStringList frameDigests(const QString& path) {
    const RunResult r =
        run(QStringLiteral("ffmpeg"),
            {QStringLiteral("-nostdin"), QStringLiteral("-v"), QStringLiteral("error"),
             QStringLiteral("-i"), path, QStringLiteral("-map"), QStringLiteral("0:v:0"),
             QStringLiteral("-f"), QStringLiteral("framemd5"), QStringLiteral("-")},
            QString(), 120000);
    QStringList digests;
    if (r.exitCode != 0) {
        return digests;
    }
    // "stream, dts, pts, duration, size, hash" a line, comments first.
    for (const QByteArray& line : r.output.split('\n')) {
        if (!line.startsWith('#') && line.count(',') >= 5) {
            digests << QString::fromLatin1(line.mid(line.lastIndexOf(',') + 1).trimmed());
        }
    }
    return digests;
}

QStringList probeCodecs(const QString& path) {
    const QString s = ffprobe({QStringLiteral("-v"), QStringLiteral("error"),
                               QStringLiteral("-show_entries"), QStringLiteral("stream=codec_name"),
                               QStringLiteral("-of"), QStringLiteral("csv=p=0"), path});
    QStringList out;
    for (const QString& line : s.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        out << line.trimmed().remove(QLatin1Char(','));
    }
    out.sort();  // a copy may put the streams in another order
    return out;
}

QString probeEntry(const QString& path, const QString& stream, const QString& entry) {
    return ffprobe({QStringLiteral("-v"), QStringLiteral("error"),
                    QStringLiteral("-select_streams"), stream, QStringLiteral("-show_entries"),
                    QStringLiteral("stream=") + entry, QStringLiteral("-of"),
                    QStringLiteral("csv=p=0"), path});
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

quint32 bigEndian(const QByteArray& bytes, qsizetype at, int count) {
    quint32 value = 0;
    for (int i = 0; i < count; ++i) {
        value = (value << 8) | static_cast<quint8>(bytes.at(at + i));
    }
    return value;
}

bool serveHttp(QTcpServer& server, const QByteArray& body, bool withLength) {
    QObject::connect(&server, &QTcpServer::newConnection, &server, [&server, body, withLength] {
        while (QTcpSocket* socket = server.nextPendingConnection()) {
            const QByteArray length = "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: video/x-flv\r\n" +
                          (withLength ? length : QByteArray()) + "Connection: close\r\n\r\n");
            auto* timer = new QTimer(socket);
            QObject::connect(timer, &QTimer::timeout, socket, [=, sent = qsizetype(0)]() mutable {
                const qsizetype chunk = withLength ? body.size() : (sent == 0 ? 8 : 1) * 32 * 1024;
                socket->write(body.mid(std::exchange(sent, sent + chunk), chunk));
                timer->setInterval(100);
                if (withLength) {
                    timer->stop();
                    socket->disconnectFromHost();
                }
            });
            timer->start(150);
        }
    });
    return server.listen(QHostAddress::LocalHost, 0);
}

}  // namespace testsupport
