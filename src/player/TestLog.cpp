#include "player/TestLog.h"

#include "player/frmMain.h"

#include <QEvent>
#include <QRect>
#include <QWidget>

namespace {

QString oneLine(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\\n"));
    text.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    return text;
}

QString buttonsName(MsgButtons buttons) {
    switch (buttons) {
        case MsgButtons::Ok:
            return QStringLiteral("Ok");
        case MsgButtons::OkCancel:
            return QStringLiteral("OkCancel");
        case MsgButtons::YesNo:
            return QStringLiteral("YesNo");
        case MsgButtons::YesNoCancel:
            return QStringLiteral("YesNoCancel");
    }
    return QString();
}

// The box's default button, as Enter would answer it.
MsgResult defaultAnswer(const MessageRequest& request) {
    const bool yesNo =
        request.buttons == MsgButtons::YesNo || request.buttons == MsgButtons::YesNoCancel;
    switch (request.defaultButton) {
        case 1:
            if (request.buttons == MsgButtons::Ok) {
                return MsgResult::Ok;
            }
            return yesNo ? MsgResult::No : MsgResult::Cancel;
        case 2:
            return request.buttons == MsgButtons::YesNoCancel
                       ? MsgResult::Cancel
                       : DialogService::closedResult(request.buttons);
        default:
            return yesNo ? MsgResult::Yes : MsgResult::Ok;
    }
}

}  // namespace

TestLog* TestLog::installFromEnvironment(frmMain* window) {
    const QString path = qEnvironmentVariable("ZELVO_TEST_LOG");
    if (path.isEmpty()) {
        return nullptr;
    }
    return new TestLog(path, window);
}

TestLog::TestLog(const QString& path, frmMain* window) : QObject(window), m_file(path) {
    m_file.open(QIODevice::WriteOnly | QIODevice::Append);
    m_previous = DialogService::setHandler(this);
    connect(window, &frmMain::statusChanged, this,
            [this](const QString& status, const QString& time, qint32 frame) {
                write({QStringLiteral("status"), status, time, QString::number(frame)});
            });
    window->installEventFilter(this);
    connect(window, &frmMain::picturePlaced, this, [this](const QRect& rect) {
        write({QStringLiteral("picture"), QStringLiteral("%1 %2 %3 %4")
                                              .arg(rect.x())
                                              .arg(rect.y())
                                              .arg(rect.width())
                                              .arg(rect.height())});
    });
}

TestLog::~TestLog() {
    if (&DialogService::handler() == this) {
        DialogService::setHandler(m_previous);
    }
}

void TestLog::write(const QStringList& fields) {
    QStringList line;
    for (const QString& field : fields) {
        line << oneLine(field);
    }
    m_file.write((line.join(QLatin1Char('\t')) + QLatin1Char('\n')).toUtf8());
    m_file.flush();
}

bool TestLog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::WindowStateChange) {
        const auto* window = static_cast<const QWidget*>(watched);
        const QString state = window->isMaximized()   ? QStringLiteral("maximised")
                              : window->isMinimized() ? QStringLiteral("minimised")
                                                      : QStringLiteral("normal");
        write({QStringLiteral("window"), state,
               QStringLiteral("%1 %2").arg(window->width()).arg(window->height())});
    }
    return QObject::eventFilter(watched, event);
}

MsgResult TestLog::message(const MessageRequest& request) {
    write({QStringLiteral("message"), request.title, buttonsName(request.buttons), request.text});
    return defaultAnswer(request);
}

std::optional<QString> TestLog::input(const InputRequest& request) {
    write({QStringLiteral("input"), request.title, request.prompt});
    return std::nullopt;
}

FileDialogReply TestLog::fileDialog(const FileDialogRequest& request) {
    write({QStringLiteral("file"), request.title});
    return {};
}
