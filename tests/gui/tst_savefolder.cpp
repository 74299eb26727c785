// Where the tools' file dialogs open, with both real windows wired as the program wires them:
// beside the source, whatever folder the file list shows, and in the default save folder
// once one is set ("預設存取目錄", picked with its own folder dialog).
#include "ToolTabKit.h"
#include "gui/player/SaveRanges.h"
#include "gui/player/frmCap.h"
#include "gui/playlist/frmListBrowser.h"
#include "gui/tooltabs/EncodeTab.h"
#include "gui/tooltabs/FixTab.h"
#include "gui/tooltabs/SourceBox.h"

#include <QDir>
#include <QLineEdit>

namespace {

enum class Dialog { Cut, Split, Capture, Repair, ConvertTarget };

struct Row {
    Dialog dialog;
    bool saveFolderSet;
    const char* proposed;  // the file name the dialog offers
};

}  // namespace

Q_DECLARE_METATYPE(Row)

class tst_SaveFolder : public ToolTabTest {
    Q_OBJECT

private Q_SLOTS:
    void init() { openWindows(); }
    void cleanup() { closeWindows(); }

    void startFolder_data() {
        testsupport::addRows<Row>({
            {"另存裁剪", {Dialog::Cut, false, "clip 1_part.flv"}},
            {"另存裁剪, save folder set", {Dialog::Cut, true, "clip 1_part.flv"}},
            {"另存分割", {Dialog::Split, false, ""}},
            {"另存分割, save folder set", {Dialog::Split, true, ""}},
            {"the capture's picture", {Dialog::Capture, false, ""}},
            {"the capture's picture, save folder set", {Dialog::Capture, true, ""}},
            {"修復", {Dialog::Repair, false, "clip 1_fix.flv"}},
            {"修復, save folder set", {Dialog::Repair, true, "clip 1_fix.flv"}},
            {"轉檔 target", {Dialog::ConvertTarget, false, ""}},
            {"轉檔 target, save folder set", {Dialog::ConvertTarget, true, ""}},
        });
    }
    void startFolder() {
        QFETCH(Row, row);
        const QString sourceFolder = m_f->temp.filePath(u8("來源 folder"));
        const QString saveFolder = m_f->temp.filePath(u8("存取 folder"));
        QVERIFY(QDir().mkpath(sourceFolder) && QDir().mkpath(saveFolder));
        const QString source = sourceFolder + u8("/clip 1.flv");
        QVERIFY(QFile::copy(testsupport::media(u8("h264.flv")), source));
        // The file list shows another folder, as it does at start.
        m_list->changeToTab(1, 1, false);
        QVERIFY(m_list->browserFolder() != sourceFolder + u'/');
        if (row.saveFolderSet) {
            m_dialogs->answerFile({saveFolder});
            m_list->browserTab()->mbSaveDir_Click();
            QCOMPARE(m_list->browserTab()->txtSaveDir->text(), saveFolder + u'/');
            const FileDialogRequest& pick = m_dialogs->fileDialogs().constLast();
            QCOMPARE(pick.kind, FileDialogRequest::Kind::Folder);
            QCOMPARE(pick.title, u8("請選取預設的存取目錄\r\n或者你也可以新建資料夾！"));
        }
        m_dialogs->clear();

        switch (row.dialog) {
            case Dialog::Cut:
            case Dialog::Split:
                QVERIFY(m_f->play(source + u8("∥100-200")));
                m_dialogs->answerMessage(MsgResult::Ok);
                m_dialogs->cancelFile();
                win().saving().saveRanges(row.dialog == Dialog::Cut ? 0 : 1);
                break;
            case Dialog::Capture:
                QVERIFY(m_f->play(source));
                m_dialogs->cancelFile();
                win().captureWindow().mnuSaveCap_Click();
                break;
            case Dialog::Repair:
                m_list->fixTab()->txtMdFix->setText(source);
                m_dialogs->cancelFile();
                m_list->fixTab()->run();
                break;
            case Dialog::ConvertTarget:
                m_list->encodeTab(0)->txtEncodeSrc->setText(source);
                m_dialogs->cancelFile();
                m_list->encodeTab(0)->target->browse();
                break;
        }
        QCOMPARE(m_dialogs->fileDialogs().size(), 1);
        const FileDialogRequest& request = m_dialogs->fileDialogs().constFirst();
        QCOMPARE(request.initDir, (row.saveFolderSet ? saveFolder : sourceFolder) + u'/');
        if (*row.proposed != '\0') {
            QCOMPARE(request.fileName, u8(row.proposed));
        }
    }

    // A target typed without a folder goes where the dialogs open.
    void bareConvertTarget() {
        const QString source = m_f->copy(u8("h264.flv"), u8("clip.flv"));
        EncodeTab& tab = *m_list->encodeTab(0);
        tab.txtEncodeSrc->setText(source);
        tab.txtEncodeTo->setText(u8("new.avi"));
        QCOMPARE(tab.targetPath(), m_f->temp.filePath(u8("new.avi")));
        QVERIFY(QDir().mkpath(m_f->temp.filePath(u8("存取"))));
        m_list->browserTab()->txtSaveDir->setText(m_f->temp.filePath(u8("存取")));
        QCOMPARE(tab.targetPath(), m_f->temp.filePath(u8("存取/new.avi")));
    }
};

QTEST_MAIN(tst_SaveFolder)
#include "tst_savefolder.moc"
