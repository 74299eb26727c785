#include "gui/player/TestLog.h"

#include "gui/busy/BusySession.h"
#include "gui/player/SeekPreview.h"
#include "gui/player/frmMain.h"
#include "gui/playlist/frmList.h"
#include "gui/playlist/frmListBrowser.h"

#include "gui/widgets/ZelvoButton.h"

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QRect>
#include <QTimer>
#include <QWidget>

#include <algorithm>

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

// An image button's look as a user tells it: it can be pressed, it is held down, or it is
// greyed out.
QString lookName(int state) {
    switch (state) {
        case ZelvoButton::Down:
            return QStringLiteral("down");
        case ZelvoButton::Disabled:
            return QStringLiteral("disabled");
        default:
            return QStringLiteral("enabled");
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
    write({QStringLiteral("caption"), window->windowTitle()});
    connect(window, &frmMain::statusChanged, this,
            [this](const QString& status, const QString& time, qint32 frame) {
                write({QStringLiteral("status"), status, time, QString::number(frame)});
            });
    connect(window, &frmMain::playStarted, this, [this](const QString& file, const QString& marks) {
        write({QStringLiteral("play"), file, marks});
    });
    connect(&BusySession::shared(), &BusySession::batchReported, this,
            [this](const QStringList& lines) {
                for (const QString& line : lines) {
                    write({QStringLiteral("report"), line});
                }
            });
    if (const auto* preview = window->findChild<SeekPreview*>()) {
        connect(preview, &SeekPreview::seekBarPlaced, this, [this](const QRect& rect) {
            write({QStringLiteral("seekbar"), rectText(rect)});
        });
        connect(preview, &SeekPreview::previewShown, this,
                [this](const QString& time, const QRect& rect) {
                    write({QStringLiteral("preview"), time, rectText(rect)});
                });
    }
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
            m_fileAnswers << fields.mid(1);
        }
    }
}

void TestLog::writeMenuBar(const QWidget* window) {
    const auto* main = qobject_cast<const QMainWindow*>(window);
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
        const QString name = item->objectName().isEmpty() && item->menu() != nullptr
                                 ? item->menu()->objectName()
                                 : item->objectName();
        write({QStringLiteral("menuitem"), name,
               item->isEnabled() ? QStringLiteral("enabled") : QStringLiteral("disabled"),
               rectText(QRect(menu->mapToGlobal(rect.topLeft()), rect.size()))});
    }
}

void TestLog::watchWindow(QWidget* window) {
    m_watched << window;
    if (auto* list = qobject_cast<frmList*>(window)) {
        connect(list, &frmList::tabShown, this, [this](int id) {
            write({QStringLiteral("tab"), QString::number(id)});
        });
    }
    for (BrowserTab* browser : window->findChildren<BrowserTab*>()) {
        connect(browser, &BrowserTab::browsed, this, [this, browser] {
            write({QStringLiteral("browser"), browser->folder(),
                   QFileInfo(browser->getFnFn(-1)).fileName()});
        });
    }
    for (const QAbstractItemView* view : window->findChildren<QAbstractItemView*>()) {
        const QAbstractItemModel* model = view->model();
        if (model == nullptr) {
            continue;
        }
        const auto changed = [this, window] { schedulePlaces(window); };
        connect(model, &QAbstractItemModel::rowsInserted, this, changed);
        connect(model, &QAbstractItemModel::rowsRemoved, this, changed);
        connect(model, &QAbstractItemModel::rowsMoved, this, changed);
        connect(model, &QAbstractItemModel::modelReset, this, changed);
        connect(model, &QAbstractItemModel::layoutChanged, this, changed);
        connect(model, &QAbstractItemModel::dataChanged, this, changed);
    }
    if (window->isVisible()) {
        schedulePlaces(window);
    }
}

QWidget* TestLog::watchedWindowOf(QObject* object) const {
    const auto* widget = qobject_cast<const QWidget*>(object);
    if (widget == nullptr || m_watched.isEmpty()) {
        return nullptr;
    }
    for (const QPointer<QWidget>& window : m_watched) {
        if (window != nullptr && window == widget->window()) {
            return window;
        }
    }
    return nullptr;
}

void TestLog::schedulePlaces(QWidget* window) {
    // A change comes in many signals (a list filled line by line): one write after them.
    if (m_placesDue.contains(window)) {
        return;
    }
    m_placesDue << window;
    QPointer<QWidget> guard(window);
    QTimer::singleShot(0, this, [this, guard, window] {
        m_placesDue.removeAll(window);
        if (guard != nullptr && guard->isVisible()) {
            writePlaces(guard);
        }
    });
}

void TestLog::writePlaces(QWidget* window) {
    writeMenuBar(window);
    const auto onScreen = [](const QWidget* widget, const QRect& rect) {
        return rectText(QRect(widget->mapToGlobal(rect.topLeft()), rect.size()));
    };
    for (const ZelvoButton* button : window->findChildren<ZelvoButton*>()) {
        if (button->isVisible()) {
            write({QStringLiteral("button"), button->objectName(), lookName(button->State()),
                   onScreen(button, button->rect())});
        }
    }
    for (const QAbstractItemView* view : window->findChildren<QAbstractItemView*>()) {
        const QAbstractItemModel* model = view->model();
        if (!view->isVisible() || model == nullptr) {
            continue;
        }
        // The first line (a reader starts a list's lines there) and the lines on screen: a
        // list of a million lines written whole on every change would hold the window up.
        const int count = model->rowCount();
        const QModelIndex top = view->indexAt(QPoint(1, 1));
        const QModelIndex bottom = view->indexAt(QPoint(1, view->viewport()->height() - 1));
        const int first = top.isValid() ? top.row() : 0;
        const int last = bottom.isValid() ? bottom.row() : count - 1;
        for (int row = 0; row < count && row <= last;
             row = row == 0 ? std::max(1, first) : row + 1) {
            const QModelIndex index = model->index(row, 0);
            QString line = index.data().toString();
            line.replace(QLatin1Char('\t'), QStringLiteral("\\t"));
            write({QStringLiteral("row"), view->objectName(), QString::number(row), line,
                   onScreen(view->viewport(), view->visualRect(index))});
        }
    }
}

bool TestLog::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::Show || type == QEvent::Move || type == QEvent::Resize) {
        if (QWidget* window = watchedWindowOf(watched)) {
            // The window itself placed, or one of its lists shown (another tab).
            if (watched == window ||
                (type == QEvent::Show && qobject_cast<QAbstractItemView*>(watched) != nullptr)) {
                schedulePlaces(window);
            }
        }
    }
    if (event->type() == QEvent::Show) {
        if (watched == m_window) {
            writeMenuBar(m_window);
        } else if (const auto* menu = qobject_cast<const QMenu*>(watched)) {
            writeMenu(menu);
        }
        return QObject::eventFilter(watched, event);
    }
    if (type == QEvent::WindowTitleChange && watched == m_window) {
        write({QStringLiteral("caption"), m_window->windowTitle()});
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
    // A button of the caller's own follows the box's buttons: "OkCancel+修復檔案".
    const QString extra = request.extraButton.isEmpty() ? QString() : u'+' + request.extraButton;
    write({QStringLiteral("message"), request.title, buttonsName(request.buttons) + extra,
           request.text});
    for (qsizetype i = 0; i < m_messageAnswers.size(); ++i) {
        if (request.text.startsWith(m_messageAnswers.at(i).textStart)) {
            const QString name = m_messageAnswers.takeAt(i).answer;
            if (!request.extraButton.isEmpty() && name == request.extraButton) {
                return MsgResult::Extra;
            }
            if (const std::optional<MsgResult> answer = answerNamed(name)) {
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
    write({QStringLiteral("file"), request.title, request.initDir, request.fileName});
    if (m_fileAnswers.isEmpty()) {
        return {};
    }
    FileDialogReply reply;
    reply.accepted = true;
    reply.paths = m_fileAnswers.takeFirst();
    reply.filterIndex = request.filterIndex;
    return reply;
}
