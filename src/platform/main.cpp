// Program start-up: the Qt application, the port, then the program's own WinMain.
#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "portio.h"
#include "win32_qt.h"
#include "windows.h"

namespace {

// Qt aborts when it cannot reach a display; say why in one line instead.
bool displayAvailable() {
    auto set = [](const char* name) {
        const char* v = std::getenv(name);
        return v && *v;
    };
    return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
}

} // namespace

int main(int argc, char** argv) {
    if (!displayAvailable()) {
        std::fprintf(stderr, "bytescope: no display to open a window on (DISPLAY and "
                             "WAYLAND_DISPLAY are not set)\n");
        return 1;
    }
    std::string tail = Win32_CommandTail(argc, argv);
    // The program takes no options, so none reaches the toolkit either: not -style, -reverse,
    // -platform or any other of Qt's own.
    int toolkitArgc = 1;
    char* toolkitArgv[] = {argv[0], nullptr};
    QApplication app(toolkitArgc, toolkitArgv);
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setApplicationName(QStringLiteral("Bytescope"));
    QApplication::setDesktopFileName(QStringLiteral("io.github.bytescope.Bytescope"));

    std::fprintf(stderr, "bytescope: %s\n", PortIO_Status());

    // The manual: beside the executable (a build tree), in the data folder of the installation
    // the executable belongs to, wherever it was unpacked, then where it was configured to go.
    const std::string exeDir = QCoreApplication::applicationDirPath().toStdString();
    Win32_SetHelpPath({exeDir, exeDir + "/../share/bytescope", BYTESCOPE_DATADIR});

    static HINSTANCE__ module{&g_ModuleResources};
    return WinMain(&module, nullptr, tail.data(), SW_SHOWNORMAL);
}
