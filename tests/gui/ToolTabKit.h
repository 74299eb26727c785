#pragma once
// Shared by the tests of the playlist window's tool tabs: the real player and playlist
// windows wired as the program wires them, folders with blanks and Chinese in their names,
// a run watched for what the busy window showed, and what the tools may leave behind.
#include "PlayerTestKit.h"
#include "app/ConnectWindows.h"
#include "core/common/AppPaths.h"
#include "gui/busy/BusySession.h"
#include "gui/busy/frmBuzy.h"
#include "gui/playlist/frmList.h"

#include <QDir>

#include <functional>

class ToolTabTest : public PlayerTest {
protected:
    void openWindows() {
        openPlayer();
        m_list = std::make_unique<frmList>();
        connectWindows(win(), *m_list);
        m_f->load();
    }
    void closeWindows() {
        disconnectWindows(win(), *m_list);
        appClosing = true;
        m_list.reset();
        appClosing = false;
        closePlayer();
    }
    // A new folder of that name in the test's temporary folder, with a trailing "/".
    QString folder(const QString& name) {
        const QString path = m_f->temp.filePath(name);
        QDir().mkpath(path);
        return path + u'/';
    }
    // A generated media file copied as name into a folder with blanks and Chinese in its name.
    QString source(const QString& media, const QString& name) {
        const QString path = folder(u8("來源 src")) + name;
        QFile::remove(path);
        return QFile::copy(testsupport::media(media), path) ? path : QString();
    }

    // What the busy window showed while run ran: its texts and its bar's values.
    struct Watched {
        QStringList texts;
        QList<int> progress;
    };
    Watched watch(const std::function<void()>& run) {
        Watched seen;
        BusySession& session = BusySession::shared();
        const QMetaObject::Connection texts =
            QObject::connect(&session, &BusySession::busyTextShown, [&seen](const QString& text) {
                if (!seen.texts.contains(text)) {
                    seen.texts << text;
                }
            });
        const QMetaObject::Connection bar =
            QObject::connect(&session, &BusySession::progressShown,
                             [&seen](int percent) { seen.progress << percent; });
        run();
        QObject::disconnect(texts);
        QObject::disconnect(bar);
        return seen;
    }

    // The tools' temporary files and the tools themselves, wherever they could be left.
    static QStringList leftovers(const QStringList& folders) {
        QStringList found;
        for (const QString& dir : folders + QStringList{AppPaths::running().tempFolder()}) {
            for (const QString& name : QDir(dir).entryList(QDir::Files | QDir::Hidden)) {
                if (name.startsWith(u8("~tmpS")) || name.startsWith(u8("~fix~tmpS")) ||
                    name.startsWith(u8("~tmpExtM")) || name.startsWith(u8("~tmpExtFm"))) {
                    found << dir + u'/' + name;
                }
            }
        }
        return found;
    }

    std::unique_ptr<frmList> m_list;
};
