// The master volume's rules over a mixer that the test controls, and the real ALSA
// mixer of this machine (which may have no sound card at all).
#include "ScriptedDialogs.h"
#include "playback/MainVol.h"

#include <QTest>

#include <memory>
#include <utility>

namespace {

// What a sound card's master control would do; what is written goes to a list the
// test keeps (mutes as "mute N"), as MainVol drops a mixer that does not open.
struct TestMixer : MixerControl {
    explicit TestMixer(QStringList& log) : written(log) {}
    bool opens = true, hasVolume = true, readsWork = true;
    qint32 minimum = 0, maximum = 65536, level = 30000, muted = 0;
    QStringList& written;

    static bool give(qint32* to, qint32 value, bool ok) {
        *to = value;
        return ok;
    }
    bool open() override { return opens; }
    // Bounds read a second time would be others.
    bool volumeRange(qint32* low, qint32* high) override {
        return give(low, std::exchange(minimum, 10), true) &&
               give(high, std::exchange(maximum, 20), hasVolume);
    }
    bool volume(qint32* value) override { return give(value, level, readsWork); }
    bool mute(qint32* value) override { return give(value, muted, readsWork); }
    bool setVolume(qint32 value) override {
        written << QString::number(level = value);
        return true;
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
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("requested");
        QTest::addColumn<QString>("result");  // shown before; shown after; written; messages
        const auto row = [](const char* tag, int minimum, int maximum, int muted, const char* fault,
                            int requested, const char* result) {
            QTest::newRow(tag) << minimum << maximum << muted << QString::fromUtf8(fault)
                               << requested << QString::fromUtf8(result);
        };
        row("inside", 0, 65536, 0, "", 1234,
            "0..65536 at 30000; 0..65536 at 1234; 1234|mute 1|mute 0");
        row("below", 0, 65536, 0, "", -5, "0..65536 at 30000; 0..65536 at 0; 0|mute 1|mute 0");
        row("above", 0, 65536, 0, "", 70000,
            "0..65536 at 30000; 0..65536 at 65536; 65536|mute 1|mute 0");
        row("raised minimum", 100, 200, 0, "", 50,
            "100..200 at 30000; 100..200 at 100; 100|mute 1|mute 0");
        row("negative range", -6400, 0, 0, "", 300,
            "-6400..0 at 30000; -6400..0 at 0; 0|mute 1|mute 0");
        // Only 1 reads as muted.
        row("muted", 0, 65536, 1, "", 5,
            "0..65536 at 30000, muted; 0..65536 at 5; 5|mute 1|mute 0");
        row("mute 2", 0, 65536, 2, "", 5, "0..65536 at 30000; 0..65536 at 5; 5|mute 1|mute 0");
        row("mute -1", 0, 65536, -1, "", 5, "0..65536 at 30000; 0..65536 at 5; 5|mute 1|mute 0");
        // Reads that fail give 0; a card without a volume control has empty bounds,
        // and no mute either; without a mixer "No mixer found!" is told once.
        row("reads fail", 0, 65536, 1, "reads", 5, "0..65536 at 0; 0..65536 at 0; 5|mute 1|mute 0");
        row("no volume control", 0, 65536, 1, "volume", 5, "0..0 at 30000; 0..0 at 0; 0");
        row("no mixer", 0, 65536, 1, "open", 5, "0..0 at 0; 0..0 at 0; ; No mixer found!");
    }
    // The bounds are read once, when the object is made; a volume set is clamped
    // to them; mute is written as 1 and 0.
    void mixer() {
        QFETCH(int, minimum);
        QFETCH(int, maximum);
        QFETCH(int, muted);
        QFETCH(QString, fault);
        QFETCH(int, requested);
        QFETCH(QString, result);
        ScriptedDialogs dialogs;
        dialogs.answerMessage(MsgResult::Ok);
        QStringList written;
        auto mixer = std::make_unique<TestMixer>(written);
        mixer->minimum = minimum;
        mixer->maximum = maximum;
        mixer->muted = muted;
        mixer->readsWork = fault != QLatin1String("reads");
        mixer->hasVolume = fault != QLatin1String("volume");
        mixer->opens = fault != QLatin1String("open");
        MainVol volume(std::move(mixer));
        QStringList seen = {shown(volume)};
        volume.setMainVolume(requested);
        volume.setMainMute(true);
        volume.setMainMute(false);
        seen << shown(volume) << written.join(u'|');
        for (const MessageRequest& message : dialogs.messages()) {
            QCOMPARE(message.buttons, MsgButtons::Ok);
            QCOMPARE(message.title, titles::app());
            seen << message.text;
        }
        QCOMPARE(seen.join(QLatin1String("; ")), result);
        QCOMPARE(volume.lastError(), 0);
    }

    // Without a sound card as a mixer that does not open; with one, its master volume
    // lies within the bounds, and setting it back to where it was changes nothing.
    void thisMachine() {
        ScriptedDialogs dialogs;
        dialogs.answerMessage(MsgResult::Ok);
        MainVol volume;
        const qint32 now = volume.MainVolume();
        QVERIFY(volume.MinMainVolume() <= now && now <= volume.MaxMainVolume());
        volume.setMainVolume(now);
        QCOMPARE(volume.MainVolume(), now);
        if (!dialogs.messages().isEmpty()) {
            QCOMPARE(dialogs.messageTexts(), QStringList(QStringLiteral("No mixer found!")));
            QCOMPARE(shown(volume), QStringLiteral("0..0 at 0"));
        }
    }
};

QTEST_GUILESS_MAIN(TestMainVol)
#include "tst_mainvol.moc"
