#include "app/DesktopServices.h"
#include "app/Program.h"
#include "appearance/AppIcon.h"
#include "shell/NativeFolder.h"

#include <QApplication>

int main(int argc, char* argv[]) {
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
