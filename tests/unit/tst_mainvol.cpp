// The master volume's rules over a mixer that the test controls, and the real ALSA
// mixer of this machine (which may have no sound card at all).
#include "ScriptedDialogs.h"
#include "playback/MainVol.h"

#include <QTest>

#include <memory>

namespace {

// What a sound card's master control would do; the test reads and changes its
// state, and sees what was written (mutes as "mute N").
struct TestMixer : MixerControl {
    bool opens = true;
    bool hasVolume = true;
    bool readsWork = true;
    qint32 minimum = 0;
    qint32 maximum = 65536;
    qint32 level = 30000;
    qint32 muted = 0;
    QStringList written;

    bool open() override { return opens; }
    bool volumeRange(qint32* low, qint32* high) override {
        *low = minimum;
        *high = maximum;
        return hasVolume;
    }
    bool volume(qint32* value) override {
        *value = level;
        return readsWork;
    }
    bool setVolume(qint32 value) override {
        written << QString::number(level = value);
        return true;
    }
    bool mute(qint32* value) override {
        *value = muted;
        return readsWork;
    }
    bool setMute(qint32 value) override {
        written << QStringLiteral("mute %1").arg(muted = value);
        return true;
    }
};

// What the volume shows: bounds, level and mute.
QString shown(const MainVol& volume) {
    return QStringLiteral("%1..%2 at %3%4")
        .arg(volume.MinMainVolume())
        .arg(volume.MaxMainVolume())
        .arg(volume.MainVolume())
        .arg(QLatin1String(volume.MainMute() ? ", muted" : ""));
}

}  // namespace

class TestMainVol : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void mixer_data() {
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("muted");  // as the card reports it
        QTest::addColumn<int>("requested");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        const auto row = [](const char* tag, int minimum, int maximum, int muted, int requested,
                            const char* before, const char* after) {
            QTest::newRow(tag) << minimum << maximum << muted << requested
                               << QString::fromUtf8(before) << QString::fromUtf8(after);
        };
        row("inside", 0, 65536, 0, 1234, "0..65536 at 30000", "0..65536 at 1234");
        row("below", 0, 65536, 0, -5, "0..65536 at 30000", "0..65536 at 0");
        row("above", 0, 65536, 0, 70000, "0..65536 at 30000", "0..65536 at 65536");
        row("raised minimum", 100, 200, 0, 50, "100..200 at 30000", "100..200 at 100");
        row("negative range", -6400, 0, 0, 300, "-6400..0 at 30000", "-6400..0 at 0");
        // Only 1 reads as muted.
        row("muted", 0, 65536, 1, 5, "0..65536 at 30000, muted", "0..65536 at 5");
        row("mute 2", 0, 65536, 2, 5, "0..65536 at 30000", "0..65536 at 5");
        row("mute -1", 0, 65536, -1, 5, "0..65536 at 30000", "0..65536 at 5");
    }
    // The bounds are read once, when the object is made; a volume set is
    // clamped to them; mute is written as 1 and 0.
    void mixer() {
        QFETCH(int, minimum);
        QFETCH(int, maximum);
        QFETCH(int, muted);
        QFETCH(int, requested);
        QFETCH(QString, before);
        QFETCH(QString, after);
        auto owned = std::make_unique<TestMixer>();
        TestMixer& mixer = *owned;
        mixer.minimum = minimum;
        mixer.maximum = maximum;
        mixer.muted = muted;
        MainVol volume(std::move(owned));
        mixer.minimum = 10;
        mixer.maximum = 20;
        QCOMPARE(shown(volume), before);
        volume.setMainVolume(requested);
        volume.setMainMute(true);
        volume.setMainMute(false);
        QCOMPARE(shown(volume), after);
        QCOMPARE(volume.lastError(), 0);
        QCOMPARE(mixer.written.join(u'|'),
                 after.section(u' ', 2) + QStringLiteral("|mute 1|mute 0"));
    }

    // Reads that fail give 0; a card without a volume control has empty
    // bounds, and no mute either.
    void failedReads() {
        auto owned = std::make_unique<TestMixer>();
        owned->muted = 1;
        owned->readsWork = false;
        MainVol volume(std::move(owned));
        QCOMPARE(shown(volume), QStringLiteral("0..65536 at 0"));

        auto bare = std::make_unique<TestMixer>();
        TestMixer& mixer = *bare;
        mixer.hasVolume = false;
        mixer.muted = 1;
        MainVol noVolume(std::move(bare));
        noVolume.setMainMute(false);
        QCOMPARE(noVolume.MinMainVolume(), 0);
        QCOMPARE(noVolume.MaxMainVolume(), 0);
        QVERIFY(!noVolume.MainMute());
        QCOMPARE(mixer.written, QStringList());
    }

    // Without a sound card, "No mixer found!" is told once and every read gives 0.
    void noMixer_data() {
        QTest::addColumn<bool>("thisMachine");
        QTest::newRow("mixer that does not open") << false;
        QTest::newRow("this machine's") << true;
    }
    void noMixer() {
        QFETCH(bool, thisMachine);
        ScriptedDialogs dialogs;
        dialogs.answerMessage(MsgResult::Ok);
        auto owned = std::make_unique<TestMixer>();
        TestMixer& mixer = *owned;
        mixer.opens = false;
        MainVol volume(thisMachine ? nullptr : std::move(owned));
        if (thisMachine && dialogs.messages().isEmpty()) {
            // A sound card: its master volume lies within the bounds, and
            // setting it back to where it was changes nothing the user hears.
            const qint32 now = volume.MainVolume();
            QVERIFY(volume.MinMainVolume() <= now && now <= volume.MaxMainVolume());
            volume.setMainVolume(now);
            QCOMPARE(volume.MainVolume(), now);
            return;
        }
        QCOMPARE(dialogs.messageTexts(), QStringList(QStringLiteral("No mixer found!")));
        QCOMPARE(dialogs.lastMessage().buttons, MsgButtons::Ok);
        QCOMPARE(dialogs.lastMessage().title, titles::app());
        volume.setMainVolume(100);
        volume.setMainMute(true);
        QCOMPARE(shown(volume), QStringLiteral("0..0 at 0"));
        QCOMPARE(dialogs.messages().size(), 1);
        QVERIFY(thisMachine || mixer.written.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestMainVol)
#include "tst_mainvol.moc"
