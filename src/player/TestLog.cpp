#include "player/TestLog.h"

#include "player/frmMain.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
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

QString rectText(const QRect& rect) {
    return QStringLiteral("%1 %2 %3 %4")
        .arg(rect.x())
        .arg(rect.y())
        .arg(rect.width())
        .arg(rect.height());
}

std::optional<MsgResult> answerNamed(const QString& name) {
    if (name == QLatin1String("Ok")) {
        return MsgResult::Ok;
    }
    if (name == QLatin1String("Cancel")) {
        return MsgResult::Cancel;
    }
    if (name == QLatin1String("Yes")) {
        return MsgResult::Yes;
    }
    if (name == QLatin1String("No")) {
        return MsgResult::No;
    }
    return std::nullopt;
}

}  // namespace

TestLog* TestLog::installFromEnvironment(frmMain* window) {
    const QString path = qEnvironmentVariable("ZELVO_TEST_LOG");
    if (path.isEmpty()) {
        return nullptr;
    }
    return new TestLog(path, window);
}

TestLog::TestLog(const QString& path, frmMain* window)
    : QObject(window), m_file(path), m_window(window) {
    m_file.open(QIODevice::WriteOnly | QIODevice::Append);
    readAnswers(qEnvironmentVariable("ZELVO_TEST_ANSWERS"));
    qApp->installEventFilter(this);
    m_previous = DialogService::setHandler(this);
    connect(window, &frmMain::statusChanged, this,
            [this](const QString& status, const QString& time, qint32 frame) {
                write({QStringLiteral("status"), status, time, QString::number(frame)});
            });
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

void TestLog::readAnswers(const QString& path) {
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        return;
    }
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QStringList fields = QString::fromUtf8(line).split(QLatin1Char('\t'));
        if (fields.value(0) == QLatin1String("message")) {
            m_messageAnswers << MessageAnswer{fields.value(1), fields.value(2)};
        } else if (fields.value(0) == QLatin1String("file")) {
            m_fileAnswers << fields.value(1);
        }
    }
}

void TestLog::writeMenuBar() {
    const auto* main = qobject_cast<QMainWindow*>(m_window);
    if (main == nullptr) {
        return;
    }
    QMenuBar* bar = main->menuBar();
    for (QAction* title : bar->actions()) {
        const QRect rect = bar->actionGeometry(title);
        write({QStringLiteral("menu"), title->text(),
               rectText(QRect(bar->mapToGlobal(rect.topLeft()), rect.size()))});
    }
}

void TestLog::writeMenu(const QMenu* menu) {
    for (QAction* item : menu->actions()) {
        if (item->isSeparator()) {
            continue;
        }
        const QRect rect = menu->actionGeometry(item);
        write({QStringLiteral("menuitem"), item->objectName(),
               item->isEnabled() ? QStringLiteral("enabled") : QStringLiteral("disabled"),
               rectText(QRect(menu->mapToGlobal(rect.topLeft()), rect.size()))});
    }
}

bool TestLog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show) {
        if (watched == m_window) {
            writeMenuBar();
        } else if (const auto* menu = qobject_cast<const QMenu*>(watched)) {
            writeMenu(menu);
        }
        return QObject::eventFilter(watched, event);
    }
    if (event->type() == QEvent::WindowStateChange && watched == m_window) {
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
    for (qsizetype i = 0; i < m_messageAnswers.size(); ++i) {
        if (request.text.startsWith(m_messageAnswers.at(i).textStart)) {
            if (const std::optional<MsgResult> answer =
                    answerNamed(m_messageAnswers.takeAt(i).answer)) {
                return *answer;
            }
            break;
        }
    }
    return defaultAnswer(request);
}

std::optional<QString> TestLog::input(const InputRequest& request) {
    write({QStringLiteral("input"), request.title, request.prompt});
    return std::nullopt;
}

FileDialogReply TestLog::fileDialog(const FileDialogRequest& request) {
    write({QStringLiteral("file"), request.title});
    if (m_fileAnswers.isEmpty()) {
        return {};
    }
    FileDialogReply reply;
    reply.accepted = true;
    reply.paths << m_fileAnswers.takeFirst();
    reply.filterIndex = request.filterIndex;
    return reply;
}
