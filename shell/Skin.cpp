#include "shell/Skin.h"

#include "keyboard/MainWindow.h"

void ApplySkin(Form1& window, const QString& programFolder) {
    Q_UNUSED(window);
    Q_UNUSED(programFolder);
}
