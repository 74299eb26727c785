#include "app/ConnectWindows.h"
#include "core/common/SingleInstance.h"
#include "core/common/mdlZelvoFLV.h"
#include "core/files/DialogService.h"
#include "gui/dialogs/ProgramLanguage.h"
#include "gui/dialogs/WidgetDialogHandler.h"
#include "gui/player/frmMain.h"
#include "gui/playlist/frmList.h"

#include <QApplication>
#include <QDir>

#include <clocale>
#include <cstdio>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

int main(int argc, char** argv) {
#if defined(__GLIBC__)
    // Two players decode on a dozen threads; with an allocation arena for each of them
    // the memory they free stays spread over the arenas instead of being used again
    // (about 10 MB at the peak while playing). The decoders reuse their frame buffers
    // and allocate little while they play, so they hardly ever wait on each other here.
    mallopt(M_ARENA_MAX, 1);
#endif
    // The whole text after the program name is one path or URL, whatever it looks like. It
    // is taken before Qt sees it, because Qt would take words such as "-reverse" or
    // "-platform X" for its own options; Qt gets the program name alone (the platform comes
    // from QT_QPA_PLATFORM in the environment).
    QStringList args;
    for (int i = 1; i < argc; ++i) {
        args << QString::fromLocal8Bit(argv[i]);
    }
    chooseProgramLocale();
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication app(qtArgc, qtArgv);
    // The media library reads numbers in the C locale only.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("Zelvo.FLV"));
    // The desktop entry's name: a Wayland desktop shows the window with that entry's icon
    // and name.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.zelvo.ZelvoFLV"));

    // A relative path means the folder this process was started in, which the running
    // window does not know: it gets the absolute path.
    const QString commandLine = absoluteTarget(args.join(QLatin1Char(' ')), QDir::currentPath());

    SingleInstance instance;
    switch (instance.start(commandLine)) {
        case SingleInstance::Role::Forwarded:
            return 0;
        case SingleInstance::Role::Failed:
            std::fputs("Zelvo.FLV is already running but does not answer.\n", stderr);
            return 1;
        case SingleInstance::Role::First:
            break;
    }

    useProgramLanguage();

    WidgetDialogHandler dialogs;
    DialogService::setHandler(&dialogs);

    // The windows and what they may ask of each other, wired here and nowhere else.
    frmMain window;
    frmList list;
    connectWindows(window, list);
    // A later start's activation token lets the window come to the front on Wayland: Qt
    // uses (and clears) XDG_ACTIVATION_TOKEN when the window next asks to be activated,
    // which linkExecute does.
    QObject::connect(&instance, &SingleInstance::activationToken, &window,
                     [](const QString& token) { qputenv("XDG_ACTIVATION_TOKEN", token.toUtf8()); });
    QObject::connect(&instance, &SingleInstance::linkExecute, &window, &frmMain::linkExecute);
    // Once closing starts, a new start waits for us to finish and becomes first itself.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &instance, &SingleInstance::stop);
    window.formLoad(commandLine);
    window.show();
    const int code = QApplication::exec();
    disconnectWindows(window, list);
    DialogService::setHandler(nullptr);
    return code;
}
