#include "ScriptedDialogs.h"
#include "services/DialogService.h"

#include <QObject>
#include <QRegularExpression>
#include <QtTest>

Q_DECLARE_METATYPE(MsgButtons)
Q_DECLARE_METATYPE(MsgIcon)
Q_DECLARE_METATYPE(MsgResult)

class TestDialogService : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { DialogService::setHandler(nullptr); }

    void msgBox_showsRequest_data();
    void msgBox_showsRequest();
    void inputBox_answers_data();
    void inputBox_answers();
    void noHandler_neverBlocks_data();
    void noHandler_neverBlocks();
    void noHandler_cancelsInputAndFiles();
    void scripted_unansweredAndWrongAnswers();
    void scripted_restoresPreviousHandler();
};

void TestDialogService::msgBox_showsRequest_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<MsgButtons>("buttons");
    QTest::addColumn<QString>("title");
    QTest::addColumn<MsgIcon>("icon");
    QTest::addColumn<int>("defaultButton");
    QTest::addColumn<MsgResult>("answer");
    QTest::addColumn<QString>("shownTitle");

    QTest::newRow("ok box, default title")
        << QStringLiteral("找不到說明檔") << MsgButtons::Ok << QString() << MsgIcon::None << 0
        << MsgResult::Ok << QStringLiteral("Zelvo.FLV");
    QTest::newRow("question, second button default")
        << QStringLiteral("確定要結束嗎？\r\n範圍標記尚未儲存") << MsgButtons::YesNo
        << QStringLiteral("注意事項") << MsgIcon::Question << 1 << MsgResult::No
        << QStringLiteral("注意事項");
    QTest::newRow("error with cancel")
        << QStringLiteral("檔案無法播放") << MsgButtons::OkCancel << QStringLiteral("錯誤訊息")
        << MsgIcon::Critical << 0 << MsgResult::Cancel << QStringLiteral("錯誤訊息");
    QTest::newRow("three buttons, cancel default")
        << QStringLiteral("要重新編碼音訊嗎？") << MsgButtons::YesNoCancel
        << QStringLiteral("注意事項") << MsgIcon::Exclamation << 2 << MsgResult::Yes
        << QStringLiteral("注意事項");
}

void TestDialogService::msgBox_showsRequest() {
    QFETCH(QString, text);
    QFETCH(MsgButtons, buttons);
    QFETCH(QString, title);
    QFETCH(MsgIcon, icon);
    QFETCH(int, defaultButton);
    QFETCH(MsgResult, answer);
    QFETCH(QString, shownTitle);

    QObject owner;
    ScriptedDialogs dialogs;
    dialogs.answerMessage(answer);
    QCOMPARE(msgBox(text, buttons, title, icon, &owner, defaultButton), answer);

    QCOMPARE(dialogs.messages().size(), 1);
    const MessageRequest shown = dialogs.lastMessage();
    QCOMPARE(shown.text, text);
    QCOMPARE(shown.title, shownTitle);
    QCOMPARE(shown.buttons, buttons);
    QCOMPARE(shown.icon, icon);
    QCOMPARE(shown.defaultButton, defaultButton);
    QCOMPARE(shown.owner, &owner);
    QCOMPARE(dialogs.unexpected(), 0);
    QCOMPARE(dialogs.pending(), 0);
}

void TestDialogService::inputBox_answers_data() {
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("shownTitle");

    QTest::newRow("typed text, default title")
        << false << QStringLiteral("http://example.com/a.flv") << QString()
        << QStringLiteral("http://example.com/a.flv") << QStringLiteral("Zelvo.FLV");
    QTest::newRow("empty text accepted") << false << QString() << QStringLiteral("注意事項")
                                         << QString() << QStringLiteral("注意事項");
    QTest::newRow("cancelled") << true << QString() << QStringLiteral("注意事項") << QString()
                               << QStringLiteral("注意事項");
}

void TestDialogService::inputBox_answers() {
    QFETCH(bool, cancel);
    QFETCH(QString, typed);
    QFETCH(QString, title);
    QFETCH(QString, expected);
    QFETCH(QString, shownTitle);

    ScriptedDialogs dialogs;
    if (cancel) {
        dialogs.cancelInput();
    } else {
        dialogs.answerInput(typed);
    }
    QObject owner;
    bool cancelled = !cancel;
    const QString result = inputBox(QStringLiteral("請輸入播放速度"), title, QStringLiteral("100"),
                                    &owner, &cancelled);
    QCOMPARE(result, expected);
    QCOMPARE(cancelled, cancel);

    QCOMPARE(dialogs.inputs().size(), 1);
    const InputRequest& shown = dialogs.inputs().constFirst();
    QCOMPARE(shown.prompt, QStringLiteral("請輸入播放速度"));
    QCOMPARE(shown.title, shownTitle);
    QCOMPARE(shown.defaultText, QStringLiteral("100"));
    QCOMPARE(shown.owner, &owner);
    QCOMPARE(dialogs.unexpected(), 0);
}

void TestDialogService::noHandler_neverBlocks_data() {
    QTest::addColumn<MsgButtons>("buttons");
    QTest::addColumn<MsgResult>("expected");

    QTest::newRow("ok") << MsgButtons::Ok << MsgResult::Ok;
    QTest::newRow("ok cancel") << MsgButtons::OkCancel << MsgResult::Cancel;
    QTest::newRow("yes no") << MsgButtons::YesNo << MsgResult::No;
    QTest::newRow("yes no cancel") << MsgButtons::YesNoCancel << MsgResult::Cancel;
}

void TestDialogService::noHandler_neverBlocks() {
    QFETCH(MsgButtons, buttons);
    QFETCH(MsgResult, expected);

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("要刪除檔案嗎")));
    QCOMPARE(msgBox(QStringLiteral("要刪除檔案嗎？"), buttons, QStringLiteral("注意事項")),
             expected);
}

void TestDialogService::noHandler_cancelsInputAndFiles() {
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("請輸入網址")));
    bool cancelled = false;
    QCOMPARE(inputBox(QStringLiteral("請輸入網址"), QString(), QStringLiteral("http://"), nullptr,
                      &cancelled),
             QString());
    QVERIFY(cancelled);

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("選取資料夾")));
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Folder;
    request.title = QStringLiteral("選取資料夾");
    const FileDialogReply reply = DialogService::handler().fileDialog(request);
    QVERIFY(!reply.accepted);
    QVERIFY(reply.paths.isEmpty());
}

void TestDialogService::scripted_unansweredAndWrongAnswers() {
    ScriptedDialogs dialogs;
    dialogs.answerMessage(MsgResult::Yes);  // not a button of an OK box
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("not a button")));
    QCOMPARE(msgBox(QStringLiteral("完成")), MsgResult::Ok);

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("no answer")));
    QCOMPARE(msgBox(QStringLiteral("覆蓋嗎？"), MsgButtons::YesNo), MsgResult::No);

    dialogs.answerMessage(MsgResult::Cancel);
    QCOMPARE(msgBox(QStringLiteral("繼續嗎？"), MsgButtons::YesNoCancel), MsgResult::Cancel);

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("no answer")));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("no answer")));
    bool cancelled = false;
    QCOMPARE(inputBox(QStringLiteral("秒數")), QString());
    QCOMPARE(inputBox(QStringLiteral("秒數"), QString(), QString(), nullptr, &cancelled),
             QString());
    QVERIFY(cancelled);

    QCOMPARE(dialogs.messageTexts(),
             (QStringList{QStringLiteral("完成"), QStringLiteral("覆蓋嗎？"),
                          QStringLiteral("繼續嗎？")}));
    QCOMPARE(dialogs.messageTitles(), QStringList(3, QStringLiteral("Zelvo.FLV")));
    QCOMPARE(dialogs.inputs().size(), 2);
    QCOMPARE(dialogs.unexpected(), 4);

    dialogs.answerFile({QStringLiteral("/a.flv")});
    QCOMPARE(dialogs.pending(), 1);
    dialogs.clear();
    QCOMPARE(dialogs.pending(), 0);
    QCOMPARE(dialogs.unexpected(), 0);
    QVERIFY(dialogs.messages().isEmpty());
}

void TestDialogService::scripted_restoresPreviousHandler() {
    {
        ScriptedDialogs outer;
        {
            ScriptedDialogs inner;
            QCOMPARE(&DialogService::handler(), static_cast<DialogHandler*>(&inner));
            inner.answerMessage(MsgResult::Ok);
            msgBox(QStringLiteral("內層"));
            QCOMPARE(inner.messages().size(), 1);
        }
        QCOMPARE(&DialogService::handler(), static_cast<DialogHandler*>(&outer));
        outer.answerMessage(MsgResult::Ok);
        msgBox(QStringLiteral("外層"));
        QCOMPARE(outer.messageTexts(), QStringList{QStringLiteral("外層")});
    }
    QCOMPARE(DialogService::setHandler(nullptr), nullptr);
}

QTEST_GUILESS_MAIN(TestDialogService)
#include "tst_dialogservice.moc"
