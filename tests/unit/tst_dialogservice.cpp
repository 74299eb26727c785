#include "ScriptedDialogs.h"
#include "services/DialogService.h"

#include <QObject>
#include <QRegularExpression>
#include <QtTest>

Q_DECLARE_METATYPE(MsgButtons)
Q_DECLARE_METATYPE(MsgResult)

class TestDialogService : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { DialogService::setHandler(nullptr); }

    void msgBox_showsRequest() {
        const QString text = QStringLiteral("確定要結束嗎？\r\n範圍標記尚未儲存");
        QObject owner;
        ScriptedDialogs dialogs;
        dialogs.answerMessage(MsgResult::Ok);
        dialogs.answerMessage(MsgResult::No);
        QCOMPARE(msgBox(text), MsgResult::Ok);
        QCOMPARE(msgBox(text, MsgButtons::YesNoCancel, QStringLiteral("注意事項"),
                        MsgIcon::Exclamation, &owner, 2),
                 MsgResult::No);
        QCOMPARE(dialogs.messages().size(), 2);
        const MessageRequest plain = dialogs.messages().constFirst();
        QCOMPARE(plain.title, QStringLiteral("Zelvo.FLV"));
        QCOMPARE(plain.buttons, MsgButtons::Ok);
        const MessageRequest shown = dialogs.lastMessage();
        QCOMPARE(shown.text, text);
        QCOMPARE(shown.title, QStringLiteral("注意事項"));
        QCOMPARE(shown.buttons, MsgButtons::YesNoCancel);
        QCOMPARE(shown.icon, MsgIcon::Exclamation);
        QCOMPARE(shown.defaultButton, 2);
        QCOMPARE(shown.owner, &owner);
    }

    void inputBox_answers() {
        ScriptedDialogs dialogs;
        dialogs.answerInput(QStringLiteral("http://a/b.flv"));
        dialogs.answerInput(QString());
        dialogs.cancelInput();
        QObject owner;
        bool cancelled = true;
        QCOMPARE(inputBox(QStringLiteral("請輸入網址"), QString(), QStringLiteral("http://"),
                          &owner, &cancelled),
                 QStringLiteral("http://a/b.flv"));
        QVERIFY(!cancelled);
        const InputRequest& shown = dialogs.inputs().constFirst();
        QCOMPARE(shown.prompt, QStringLiteral("請輸入網址"));
        QCOMPARE(shown.title, QStringLiteral("Zelvo.FLV"));
        QCOMPARE(shown.defaultText, QStringLiteral("http://"));
        QCOMPARE(shown.owner, &owner);
        cancelled = true;
        QCOMPARE(inputBox(QStringLiteral("秒數"), QStringLiteral("注意事項"), QString(), nullptr,
                          &cancelled),
                 QString());
        QVERIFY(!cancelled);  // an empty answer is not a cancel
        QCOMPARE(dialogs.inputs().at(1).title, QStringLiteral("注意事項"));
        QCOMPARE(inputBox(QStringLiteral("秒數"), QString(), QString(), nullptr, &cancelled),
                 QString());
        QVERIFY(cancelled);
    }

    void noHandler_neverBlocks_data() {
        QTest::addColumn<MsgButtons>("buttons");
        QTest::addColumn<MsgResult>("expected");
        QTest::newRow("ok") << MsgButtons::Ok << MsgResult::Ok;
        QTest::newRow("ok cancel") << MsgButtons::OkCancel << MsgResult::Cancel;
        QTest::newRow("yes no") << MsgButtons::YesNo << MsgResult::No;
        QTest::newRow("yes no cancel") << MsgButtons::YesNoCancel << MsgResult::Cancel;
    }
    // Without a handler every dialog is answered at once, as by a user closing it.
    void noHandler_neverBlocks() {
        QFETCH(MsgButtons, buttons);
        QFETCH(MsgResult, expected);
        for (int box = 0; box < 3; ++box) {  // each kind of box leaves a warning
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Unanswered")));
        }
        QCOMPARE(msgBox(QStringLiteral("要刪除檔案嗎？"), buttons), expected);
        bool cancelled = false;
        QCOMPARE(inputBox(QStringLiteral("網址"), QString(), QStringLiteral("http://"), nullptr,
                          &cancelled),
                 QString());
        QVERIFY(cancelled);
        QVERIFY(!DialogService::handler().fileDialog(FileDialogRequest{}).accepted);
    }
};

QTEST_GUILESS_MAIN(TestDialogService)
#include "tst_dialogservice.moc"
