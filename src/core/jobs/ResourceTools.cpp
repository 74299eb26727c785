#include "core/jobs/ResourceTools.h"

#include "core/common/AppPaths.h"
#include "core/common/mdlZelvoFLV.h"
#include "core/jobs/ToolCommands.h"

namespace resourceTools {

ToolCommand installCommand(const QString& modeWord, const QString& helperProgram) {
    return resourceCommand(
        helperProgram.isEmpty() ? AppPaths::running().resourceProgram() : helperProgram, modeWord);
}

QProcessEnvironment installEnvironment() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QString folder = AppPaths::running().tempFolder();
    if (folder.size() > 1 && folder.endsWith(QLatin1Char('/'))) {
        folder.chop(1);
    }
    env.insert(QStringLiteral("TMPDIR"), folder);
    return env;
}

void remove(const QString& mode) {
    const AppPaths& paths = AppPaths::running();
    if (mode == QLatin1String("notCapMCI") || mode == QLatin1String("All")) {
        killFile(paths.mencoder());
        killFile(paths.ffmpeg());
        killFile(paths.flvMeta());
    }
    if (mode == QLatin1String("CapMCI") || mode == QLatin1String("All")) {
        killFile(paths.sampleClip());
    }
}

}  // namespace resourceTools
