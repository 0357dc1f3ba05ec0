#include "app/CommandLine.h"
#include "app/DesktopServices.h"
#include "app/Program.h"
#include "appearance/AppIcon.h"
#include "shell/NativeFolder.h"

#include <QApplication>

#include <iostream>

int main(int argc, char* argv[]) {
    // --help, --version and mistakes are answered before anything is made: no
    // window, no setting and no sound device.
    const CommandLine line = readCommandLine(argc, argv);
    if (line.action != CommandLine::Action::Start)
        return answerCommandLine(line, CLAVITONE_VERSION, std::cout, std::cerr);

    dropRelativeConfigurationHome();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Clavitone"));
    QApplication::setOrganizationName(QStringLiteral("Kestrane"));
    QApplication::setDesktopFileName(QStringLiteral("org.kestrane.Clavitone"));
    QApplication::setWindowIcon(appIcon());

    Program program(desktopServices());
    program.start();
    return app.exec();
}
