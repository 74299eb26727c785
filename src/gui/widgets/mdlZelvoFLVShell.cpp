#include "gui/widgets/mdlZelvoFLVShell.h"

#include "core/common/mdlZelvoFLV.h"
#include "core/files/DialogService.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QFileInfo>
#include <QFrame>
#include <QRegularExpression>
#include <QStringList>
#include <QUrl>
#include <QWidget>
#include <QWindow>

namespace {

// Long enough for a file manager that has to start first, short enough that the
// fallback still feels like an answer to the click.
constexpr int showItemsTimeoutMs = 5000;

// The desktop has nothing to open it with (no browser, no file manager): said, not
// swallowed.
void openOrSay(const QUrl& url, const QString& shown, bool folder, QWidget* owner) {
    if (!QDesktopServices::openUrl(url)) {
        msgBox(shellTexts::cannotOpen(shown, folder), MsgButtons::Ok, titles::error(),
               MsgIcon::Critical, owner);
    }
}

bool looksLikeUrl(const QString& text) {
    // Two letters at least, so a leftover "C:" drive prefix is not a scheme.
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    return scheme.match(text).hasMatch();
}

}  // namespace

void shellOpen(const QString& target, QWidget* owner) {
    if (target.isEmpty()) {
        return;
    }
    const QFileInfo info(target);
    if (!info.exists() && looksLikeUrl(target)) {
        openOrSay(QUrl(target, QUrl::TolerantMode), target, false, owner);
        return;
    }
    openOrSay(QUrl::fromLocalFile(info.absoluteFilePath()), info.absoluteFilePath(), info.isDir(),
              owner);
}

void explorerSelect(const QString& path) {
    // A stream has no place in a file manager.
    if (path.isEmpty() || isUrl(path)) {
        return;
    }
    const QFileInfo info(path);
    const QString fileUrl = QUrl::fromLocalFile(info.absoluteFilePath()).toString();
    const QUrl folderUrl = QUrl::fromLocalFile(info.absolutePath());

    const QString folder = info.absolutePath();
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        openOrSay(folderUrl, folder, true, nullptr);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{fileUrl} << QString();
    // Asynchronous, so a slow or absent file manager never freezes the window.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, showItemsTimeoutMs));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished,
                     [folderUrl, folder](QDBusPendingCallWatcher* finished) {
                         if (finished->isError()) {
                             openOrSay(folderUrl, folder, true, nullptr);
                         }
                         finished->deleteLater();
                     });
}

void setTopMost(QWidget* window, bool onTop) {
    if (window == nullptr) {
        return;
    }
    QWidget* top = window->window();
    Qt::WindowFlags flags = top->windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, onTop);
    if (flags == top->windowFlags()) {
        return;
    }
    QWindow* handle = top->windowHandle();
    if (handle == nullptr) {
        // Not created yet: nothing is on screen, so the plain call is safe.
        top->setWindowFlags(flags);
        return;
    }
    // setWindowFlags would recreate the native window, hiding it and possibly
    // moving it; telling the existing window keeps place, size and visibility.
    top->overrideWindowFlags(flags);
    handle->setFlags(flags);
}

void drawEdgeBox(QFrame* box, int edge) {
    if (box == nullptr) {
        return;
    }
    constexpr int raisedOuter = 1;
    constexpr int sunkenOuter = 2;
    constexpr int raisedInner = 4;
    constexpr int sunkenInner = 8;
    const bool hasOuter = (edge & (raisedOuter | sunkenOuter)) != 0;
    const bool hasInner = (edge & (raisedInner | sunkenInner)) != 0;
    const bool outerSunken = (edge & sunkenOuter) != 0;
    const bool innerSunken = (edge & sunkenInner) != 0;

    int style = QFrame::NoFrame;
    if (hasOuter && hasInner) {
        if (outerSunken == innerSunken) {
            style = QFrame::WinPanel | (outerSunken ? QFrame::Sunken : QFrame::Raised);
        } else {
            style = QFrame::Box | (outerSunken ? QFrame::Sunken : QFrame::Raised);
        }
    } else if (hasOuter || hasInner) {
        const bool sunken = hasOuter ? outerSunken : innerSunken;
        style = QFrame::Panel | (sunken ? QFrame::Sunken : QFrame::Raised);
    }
    box->setFrameStyle(style);
    box->setLineWidth(1);
    box->setMidLineWidth(0);
    box->update();
}
