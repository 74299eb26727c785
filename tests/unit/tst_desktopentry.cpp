// The desktop entry's media types: a file manager offers Zelvo.FLV under "Open with" for
// exactly the types it lists, so every kind of file the program plays must be there, and
// every type there must be one the desktop knows.
#include "TestSupport.h"
#include "core/common/mdlZelvoFLV.h"

#include <QFile>
#include <QMimeDatabase>
#include <QtTest>

namespace {

QString desktopFile() {
    return qEnvironmentVariable("ZELVO_SOURCE_DIR") +
           QStringLiteral("/data/io.github.zelvo.ZelvoFLV.desktop");
}

QStringList listedTypes() {
    return testsupport::desktopEntryKeys(desktopFile())
        .value(QStringLiteral("MimeType"))
        .split(u';', Qt::SkipEmptyParts);
}

}  // namespace

class tst_DesktopEntry : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        QVERIFY2(QFile::exists(desktopFile()), qPrintable(desktopFile()));
        QVERIFY(!listedTypes().isEmpty());
    }

    // One row per extension the program plays; the type the desktop gives such a file must
    // be listed, itself or a type it belongs to.
    void everyPlayedKindIsListed_data() {
        QTest::addColumn<QString>("extension");
        for (const QString& extension : QString(mediaExtensions).split(u';', Qt::SkipEmptyParts)) {
            QTest::newRow(qPrintable(extension)) << extension;
        }
    }
    void everyPlayedKindIsListed() {
        QFETCH(QString, extension);
        QVERIFY(isMediaFile(QStringLiteral("x.") + extension));
        const QMimeDatabase mime;
        const QMimeType type =
            mime.mimeTypeForFile(QStringLiteral("x.") + extension, QMimeDatabase::MatchExtension);
        if (type.isDefault()) {
            QSKIP("the desktop has no media type for this extension");
        }
        bool listed = false;
        for (const QString& name : listedTypes()) {
            listed = listed || type.inherits(mime.mimeTypeForName(name).name());
        }
        QVERIFY2(listed, qPrintable(type.name() + QStringLiteral(" is not in MimeType")));
    }

    // A misspelt type would offer the program for nothing; an alias listed beside its own
    // type is listed twice.
    void everyListedTypeIsKnownOnce() {
        const QMimeDatabase mime;
        QStringList seen;
        for (const QString& name : listedTypes()) {
            const QMimeType type = mime.mimeTypeForName(name);
            QVERIFY2(type.isValid(), qPrintable(name));
            QVERIFY2(!seen.contains(type.name()), qPrintable(name));
            seen << type.name();
        }
        for (const char* named :
             {"video/x-flv", "video/mp4", "video/mpeg", "video/x-msvideo", "video/x-ms-wmv",
              "video/quicktime", "audio/mpeg", "audio/x-wav"}) {
            QVERIFY2(listedTypes().contains(QLatin1String(named)), named);
        }
    }
};

QTEST_GUILESS_MAIN(tst_DesktopEntry)
#include "tst_desktopentry.moc"
