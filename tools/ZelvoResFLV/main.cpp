#include "ResourceInstaller.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

// ZelvoResFLV <mode word>: installs into the temporary folder what the jobs
// of that mode need, then ends. The tools are copies of the tool program that
// sits beside this one.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    const QString modeWord = args.value(0);
    if (args.size() != 1 || ResourceInstaller::filesFor(modeWord).isEmpty()) {
        std::fprintf(stderr,
                     "ZelvoResFLV: unknown mode word \"%s\"\n"
                     "usage: ZelvoResFLV {Edit1|Edit2|Edit3|Fix1|Fix2|Fix3|Snap|Encode|CapMCI}\n",
                     modeWord.toLocal8Bit().constData());
        return 2;
    }
    ResourceInstaller installer(
        QCoreApplication::applicationDirPath() + QStringLiteral("/ZelvoToolFLV"),
        QDir::tempPath() + QLatin1Char('/'));
    QString error;
    if (!installer.install(modeWord, &error)) {
        std::fprintf(stderr, "ZelvoResFLV: %s\n", error.toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
