// The master volume's rules over a mixer that the test controls, and the real ALSA
// mixer of this machine (which may have no sound card at all).
#include "ScriptedDialogs.h"
#include "playback/MainVol.h"

#include <QTest>

#include <memory>

namespace {

// What a sound card's master control would do; the test reads and changes its state.
struct FakeState {
    bool opens = true;
    bool hasVolume = true;
    bool readsWork = true;
    qint32 minimum = 0;
    qint32 maximum = 65536;
    qint32 volume = 30000;
    qint32 mute = 0;
    QList<qint32> writtenVolumes;
    QList<qint32> writtenMutes;
};

class FakeMixer : public MixerControl {
public:
    explicit FakeMixer(FakeState* state) : m_state(state) {}
    bool open() override { return m_state->opens; }
    bool volumeRange(qint32* minimum, qint32* maximum) override {
        *minimum = m_state->minimum;
        *maximum = m_state->maximum;
        return m_state->hasVolume;
    }
    bool volume(qint32* value) override {
        *value = m_state->volume;
        return m_state->readsWork;
    }
    bool setVolume(qint32 value) override {
        m_state->writtenVolumes.append(value);
        m_state->volume = value;
        return true;
    }
    bool mute(qint32* value) override {
        *value = m_state->mute;
        return m_state->readsWork;
    }
    bool setMute(qint32 value) override {
        m_state->writtenMutes.append(value);
        m_state->mute = value;
        return true;
    }

private:
    FakeState* m_state;
};

}  // namespace

class TestMainVol : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void boundsAreReadOnce();
    void setIsClamped_data();
    void setIsClamped();
    void muteReadsOnlyOne_data();
    void muteReadsOnlyOne();
    void failedReadsGiveZero();
    void noMixerIsReportedOnce();
    void thisMachinesMixer();
};

void TestMainVol::boundsAreReadOnce() {
    FakeState state;
    MainVol volume(std::make_unique<FakeMixer>(&state));
    QCOMPARE(volume.MinMainVolume(), 0);
    QCOMPARE(volume.MaxMainVolume(), 65536);
    QCOMPARE(volume.MainVolume(), 30000);
    state.minimum = 10;
    state.maximum = 20;
    QCOMPARE(volume.MinMainVolume(), 0);
    QCOMPARE(volume.MaxMainVolume(), 65536);
    volume.setMainVolume(40000);
    QCOMPARE(state.writtenVolumes, QList<qint32>({40000}));
    QCOMPARE(volume.MainVolume(), 40000);
}

void TestMainVol::setIsClamped_data() {
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("requested");
    QTest::addColumn<int>("written");
    QTest::newRow("inside") << 0 << 65536 << 1234 << 1234;
    QTest::newRow("below") << 0 << 65536 << -5 << 0;
    QTest::newRow("above") << 0 << 65536 << 70000 << 65536;
    QTest::newRow("raised minimum") << 100 << 200 << 50 << 100;
    QTest::newRow("negative range") << -6400 << 0 << 300 << 0;
}

void TestMainVol::setIsClamped() {
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QFETCH(int, requested);
    QFETCH(int, written);
    FakeState state;
    state.minimum = minimum;
    state.maximum = maximum;
    MainVol volume(std::make_unique<FakeMixer>(&state));
    volume.setMainVolume(requested);
    QCOMPARE(state.writtenVolumes, QList<qint32>({written}));
    QCOMPARE(volume.MainVolume(), written);
    QCOMPARE(volume.lastError(), 0);
}

void TestMainVol::muteReadsOnlyOne_data() {
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("muted");
    QTest::newRow("0") << 0 << false;
    QTest::newRow("1") << 1 << true;
    QTest::newRow("2") << 2 << false;
    QTest::newRow("-1") << -1 << false;
}

void TestMainVol::muteReadsOnlyOne() {
    QFETCH(int, value);
    QFETCH(bool, muted);
    FakeState state;
    state.mute = value;
    MainVol volume(std::make_unique<FakeMixer>(&state));
    QCOMPARE(volume.MainMute(), muted);
    volume.setMainMute(true);
    volume.setMainMute(false);
    QCOMPARE(state.writtenMutes, QList<qint32>({1, 0}));
}

void TestMainVol::failedReadsGiveZero() {
    FakeState state;
    state.mute = 1;
    state.readsWork = false;
    MainVol volume(std::make_unique<FakeMixer>(&state));
    QCOMPARE(volume.MainVolume(), 0);
    QCOMPARE(volume.MainMute(), false);

    // A card without a volume control: empty bounds, and no mute either.
    FakeState noVolume;
    noVolume.hasVolume = false;
    noVolume.mute = 1;
    MainVol bare(std::make_unique<FakeMixer>(&noVolume));
    QCOMPARE(bare.MinMainVolume(), 0);
    QCOMPARE(bare.MaxMainVolume(), 0);
    QCOMPARE(bare.MainMute(), false);
    bare.setMainMute(false);
    QVERIFY(noVolume.writtenMutes.isEmpty());
}

void TestMainVol::noMixerIsReportedOnce() {
    ScriptedDialogs dialogs;
    dialogs.answerMessage(MsgResult::Ok);
    FakeState state;
    state.opens = false;
    MainVol volume(std::make_unique<FakeMixer>(&state));
    QCOMPARE(dialogs.messageTexts(), QStringList(QStringLiteral("No mixer found!")));
    QCOMPARE(dialogs.lastMessage().buttons, MsgButtons::Ok);
    QCOMPARE(dialogs.lastMessage().title, titles::app());
    QCOMPARE(volume.MinMainVolume(), 0);
    QCOMPARE(volume.MaxMainVolume(), 0);
    QCOMPARE(volume.MainVolume(), 0);
    QCOMPARE(volume.MainMute(), false);
    volume.setMainVolume(100);
    volume.setMainMute(true);
    QVERIFY(state.writtenVolumes.isEmpty());
    QVERIFY(state.writtenMutes.isEmpty());
    QCOMPARE(dialogs.messages().size(), 1);
}

void TestMainVol::thisMachinesMixer() {
    ScriptedDialogs dialogs;
    dialogs.answerMessage(MsgResult::Ok);
    MainVol volume;
    if (!dialogs.messages().isEmpty()) {
        // No sound card here: told once, and everything reads 0.
        QCOMPARE(dialogs.messageTexts(), QStringList(QStringLiteral("No mixer found!")));
        QCOMPARE(volume.MinMainVolume(), 0);
        QCOMPARE(volume.MaxMainVolume(), 0);
        QCOMPARE(volume.MainVolume(), 0);
        QCOMPARE(volume.MainMute(), false);
        volume.setMainVolume(5);
        QCOMPARE(volume.MainVolume(), 0);
        QCOMPARE(dialogs.messages().size(), 1);
        return;
    }
    // A sound card: its master volume lies within the bounds, and setting it back to
    // where it was changes nothing the user hears.
    QVERIFY(volume.MinMainVolume() <= volume.MaxMainVolume());
    const qint32 now = volume.MainVolume();
    QVERIFY(now >= volume.MinMainVolume() && now <= volume.MaxMainVolume());
    volume.setMainVolume(now);
    QCOMPARE(volume.MainVolume(), now);
}

QTEST_GUILESS_MAIN(TestMainVol)
#include "tst_mainvol.moc"
