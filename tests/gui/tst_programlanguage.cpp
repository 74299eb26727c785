// Without a language set (the "C" locale), the program's dialogs still speak Chinese: Qt's
// own texts in a file dialog, the sizes and the dates.
#include "TestSupport.h"
#include "gui/dialogs/ProgramLanguage.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QLocale>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>


namespace {

bool hasChinese(const QString& text) {
    return text.contains(QRegularExpression(QStringLiteral("[\\x{4e00}-\\x{9fff}]")));
}

}  // namespace

class tst_ProgramLanguage : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fileDialogTexts() {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        QVERIFY(QDir(folder.path()).mkdir(u8("sub")));
        QFile file(folder.filePath(u8("a.flv")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("FLV", 3) == 3);
        QVERIFY(file.setFileTime(QDateTime(QDate(2026, 12, 7), QTime(10, 0)),
                                 QFileDevice::FileModificationTime));
        file.close();

        // The model is the one the file dialog shows.
        QFileSystemModel model;
        QSignalSpy loaded(&model, &QFileSystemModel::directoryLoaded);
        const QModelIndex root = model.setRootPath(folder.path());
        QVERIFY(loaded.wait(10000));
        const QModelIndex sub = model.index(folder.filePath(u8("sub")));
        const QModelIndex flv = model.index(folder.filePath(u8("a.flv")));
        QVERIFY(sub.isValid() && flv.isValid() && root.isValid());

        const QString folderType = model.data(sub.siblingAtColumn(2)).toString();
        const QString size = model.data(flv.siblingAtColumn(1)).toString();
        const QString date = model.data(flv.siblingAtColumn(3)).toString();
        const QString column = model.headerData(0, Qt::Horizontal).toString();
        QVERIFY2(hasChinese(folderType), qPrintable(folderType));
        const QLocale taiwan(QLocale::Chinese, QLocale::TraditionalHanScript, QLocale::Taiwan);
        QCOMPARE(size, taiwan.formattedDataSize(3));
        QVERIFY(size != QLocale::c().formattedDataSize(3));
        QVERIFY2(!date.contains(u8("Dec")), qPrintable(date));
        QVERIFY2(date.contains(u8("2026")), qPrintable(date));
        QVERIFY2(hasChinese(column), qPrintable(column));
    }
};

int main(int argc, char** argv) {
    // As a session without a language would start the program.
    qputenv("LC_ALL", "C");
    qunsetenv("LANG");
    qunsetenv("LANGUAGE");
    qunsetenv("LC_MESSAGES");
    qunsetenv("LC_TIME");
    chooseProgramLocale();
    QApplication app(argc, argv);
    useProgramLanguage();
    tst_ProgramLanguage test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_programlanguage.moc"
