#include "core/jobs/ResourceTools.h"

#include "core/common/mdlZelvoFLV.h"
#include "core/jobs/ToolCommands.h"

namespace resourceTools {

void setPaths() {
    sampleWmvPath = tempDir + QStringLiteral("~tmpExtFlv.wmv");
    mencoderPath = tempDir + QStringLiteral("~tmpExtMcd");
    ffmpegPath = tempDir + QStringLiteral("~tmpExtFmg");
    flvMetaPath = tempDir + QStringLiteral("~tmpExtFmd");
}

ToolCommand installCommand(const QString& modeWord) {
    return resourceCommand(appDir + QStringLiteral("ZelvoResFLV"), modeWord);
}

QProcessEnvironment installEnvironment() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QString folder = tempDir;
    if (folder.size() > 1 && folder.endsWith(QLatin1Char('/'))) {
        folder.chop(1);
    }
    env.insert(QStringLiteral("TMPDIR"), folder);
    return env;
}

void remove(const QString& mode) {
    if (mode == QLatin1String("notCapMCI") || mode == QLatin1String("All")) {
        killFile(mencoderPath, true);
        killFile(ffmpegPath, true);
        killFile(flvMetaPath, true);
    }
    if (mode == QLatin1String("CapMCI") || mode == QLatin1String("All")) {
        killFile(sampleWmvPath, false);
    }
}

}  // namespace resourceTools
