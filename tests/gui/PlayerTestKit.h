#pragma once
// Shared by the player window's tests: a master volume that needs no sound card, a
// playlist the tests fill with real entries, a loaded player window in a private temporary
// folder, playing through the real media interpreter without sound, and a base for the
// test classes.
#include "FakeWindows.h"
#include "ScriptedDialogs.h"
#include "TestSupport.h"
#include "core/common/mdlZelvoFLV.h"
#include "core/media/MciInterpreter.h"
#include "core/media/MixerControl.h"
#include "gui/busy/BusySession.h"
#include "gui/player/PlaybackControl.h"
#include "gui/player/PlayerPanel.h"
#include "gui/player/RangeMarks.h"
#include "gui/player/SaveRanges.h"
#include "gui/player/SpeedSteps.h"
#include "gui/player/StatusTimer.h"
#include "gui/player/VideoSizing.h"
#include "gui/player/frmMain.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>
#include <cstdlib>
#include <memory>

struct FakeMixerState {
    qint32 minimum = 0;
    qint32 maximum = 100;
    qint32 volume = 50;
    qint32 mute = 0;
};

class FakeMixer : public MixerControl {
public:
    explicit FakeMixer(FakeMixerState* state) : m_s(state) {}
    bool open() override { return true; }
    bool volumeRange(qint32* minimum, qint32* maximum) override {
        return put(minimum, m_s->minimum) && put(maximum, m_s->maximum);
    }
    bool volume(qint32* value) override { return put(value, m_s->volume); }
    bool setVolume(qint32 value) override { return put(&m_s->volume, value); }
    bool mute(qint32* value) override { return put(value, m_s->mute); }
    bool setMute(qint32 value) override { return put(&m_s->mute, value); }

private:
    static bool put(qint32* to, qint32 value) {
        *to = value;
        return true;
    }
    FakeMixerState* m_s;
};

// A playlist of item texts with a selection and a play mode, as the playlist window
// offers them; it records what the player asks of it.
class TestList : public FakeListWindow {
public:
    int upLook = -1;
    int downLook = -1;
    int stopLoops = 0;

    void setMoveLooks(int up, int down) override {
        upLook = up;
        downLook = down;
    }
    void mbStopLoop_Click() override {
        ++stopLoops;
        listPlayState = 0;
    }
};

class PlayerFixture {
public:
    PlayerFixture() {
        std::setlocale(LC_NUMERIC, "C");
        MciInterpreter::instance().setAudioOutput(QStringLiteral("null"));
        qputenv("TMPDIR", temp.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", (temp.path() + QStringLiteral("/config")).toUtf8());
        qputenv("ZELVO_SETTINGS_DIR", (temp.path() + QStringLiteral("/config")).toUtf8());
        // A user who has run the program before: a first run opens the help in the browser.
        QDir().mkpath(temp.path() + QStringLiteral("/config"));
        testsupport::writeFile(temp.path() + QStringLiteral("/config/Zelvo.FLV.ini"));
        appClosing = false;
        listPlayState = 0;
        w = std::make_unique<frmMain>();
        w->useMixer(std::make_unique<FakeMixer>(&mixer));
        BusySession::shared().setWindows(w.get(), nullptr);
    }
    ~PlayerFixture() {
        w.reset();
        BusySession::shared().setWindows(nullptr, nullptr);
        MciInterpreter::instance().closeAll();
    }

    void load(const QString& commandLine = QString()) {
        w->formLoad(commandLine);
        w->show();
        loaded = true;
    }
    // The playlist window the player goes through from now on (nullptr: none).
    void setList(ListWindow* list) {
        w->setListWindow(list);
        BusySession::shared().setWindows(w.get(), list);
    }
    // A copy of a generated media file under another name in the temporary folder.
    QString copy(const QString& media, const QString& name) {
        const QString path = temp.filePath(name);
        QFile::remove(path);
        QFile::copy(testsupport::media(media), path);
        return path;
    }
    QString status() const { return w->panel().lblFnName->text(); }
    bool waitStatus(const QString& start, int ms = 5000) {
        return testsupport::waitUntil([&] { return status().startsWith(start); }, ms);
    }
    // Waits for n more ticks of the status timer, the point by which the player has seen
    // whatever happened before.
    bool waitTicks(int n = 2) {
        QSignalSpy ticks(&w->checkTimer(), &QTimer::timeout);
        return testsupport::waitUntil([&] { return ticks.count() >= n; }, 1000 * n);
    }
    bool waitPlaying() { return waitStatus(QStringLiteral("正在播放")); }
    // Plays a file (a path, or the name of a generated media file) and waits until it plays.
    bool play(const QString& file) {
        w->playSingle(QFileInfo(file).isAbsolute() ? file : testsupport::media(file), false);
        return waitPlaying();
    }
    // The window title while a file of this name is open.
    static QString title(const QString& name) {
        return QStringLiteral(" %1 - Zelvo.FLV").arg(name);
    }
    // Loads the window unless it is, plays media and pauses it on frame (-1: the last frame).
    void playPaused(const QString& media, qint32 frame) {
        if (!loaded) {
            load();
        }
        QVERIFY(play(media));
        w->playback().mbPause_Click();
        if (frame < 0) {
            frame = w->state().totalFrames - 1;
        }
        {
            const PlayerParts::MciBusy seeking(w->parts());
            w->session().setCurFrame(frame, false);
        }
        w->statusTimer().tick();
        // A paused seek plays a moment: at the very end it may run onto the end.
        QVERIFY(std::abs(w->session().getCurFrame() - frame) <= 1);
    }
    // Moves playback close to the end, so the end of the file comes within a second.
    void nearEnd() {
        const PlayerParts::MciBusy seeking(w->parts());
        w->session().setCurFrame(w->session().getTotalFrames() - 8, true);
    }

    QTemporaryDir temp;
    FakeMixerState mixer;
    std::unique_ptr<frmMain> w;
    bool loaded = false;
};

// Base of the player window's test classes, whose init() and cleanup() call openPlayer() and
// closePlayer(): a new window for each test function, its dialogs answered from a script.
// Every dialog shown must have been scripted, and every scripted answer used.
class PlayerTest : public QObject {
protected:
    void openPlayer(bool loaded = false) {
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_f = std::make_unique<PlayerFixture>();
        if (loaded) {
            m_f->load();
        }
    }
    void closePlayer() {
        m_f.reset();
        const int unexpected = m_dialogs->unexpected();
        const int pending = m_dialogs->pending();
        m_dialogs.reset();
        QCOMPARE(unexpected, 0);
        QCOMPARE(pending, 0);
    }
    frmMain& win() const { return *m_f->w; }

    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<PlayerFixture> m_f;
};
