#include "gui/dialogs/ProgramLanguage.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

void chooseProgramLocale() {
    // A Chinese setting of the user's is kept; any other (none, "C", English) gives way to
    // Taiwan's. Qt reads the system's locale from the environment once, the first time it is
    // asked: it is asked here, with Taiwan's in the environment, and the environment is put
    // back at once, so the C library and the programs this one starts keep the user's.
    const QByteArray all = qgetenv("LC_ALL");
    const QByteArray messages = qgetenv("LC_MESSAGES");
    const QByteArray lang = qgetenv("LANG");
    const QByteArray shown = !all.isEmpty() ? all : !messages.isEmpty() ? messages : lang;
    if (shown.startsWith("zh_")) {
        return;
    }
    qputenv("LC_ALL", "zh_TW.UTF-8");
    // A default-made locale is the system's: making one reads the environment now.
    const QString read = QLocale().name();
    Q_UNUSED(read)
    if (all.isEmpty()) {
        qunsetenv("LC_ALL");
    } else {
        qputenv("LC_ALL", all);
    }
}

namespace {

// Texts of Qt's file dialogs that its Chinese catalogue leaves in English.
class MissingQtTexts : public QTranslator {
public:
    using QTranslator::QTranslator;
    QString translate(const char* context, const char* sourceText, const char* /*disambiguation*/,
                      int /*n*/) const override {
        if (qstrcmp(context, "QAbstractFileIconProvider") != 0) {
            return QString();
        }
        if (qstrcmp(sourceText, "Folder") == 0) {
            return QStringLiteral("資料夾");
        }
        if (qstrcmp(sourceText, "File") == 0) {
            return QStringLiteral("檔案");
        }
        if (qstrcmp(sourceText, "%1 File") == 0) {
            return QStringLiteral("%1 檔案");
        }
        if (qstrcmp(sourceText, "Drive") == 0) {
            return QStringLiteral("磁碟");
        }
        if (qstrcmp(sourceText, "Alias") == 0 || qstrcmp(sourceText, "Shortcut") == 0) {
            return QStringLiteral("捷徑");
        }
        return QString();
    }
    bool isEmpty() const override { return false; }
};

}  // namespace

void useProgramLanguage() {
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::TraditionalHanScript, QLocale::Taiwan));
    auto* qtTexts = new QTranslator(QCoreApplication::instance());
    if (qtTexts->load(QStringLiteral("qtbase_zh_TW"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(qtTexts);
    } else {
        delete qtTexts;
    }
    QCoreApplication::installTranslator(new MissingQtTexts(QCoreApplication::instance()));
}
