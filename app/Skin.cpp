#include "app/Skin.h"

#include "keyboard/MainWindow.h"
#include "shell/RegularFile.h"
#include "shell/SkinEngine.h"

#include <QApplication>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

namespace {

// Whether the lookup of skin files finds `path`: ordinary files only, no
// folders and, on Windows, no hidden or system files.
bool isSkinFile(const QString& path) {
    if (!isRegularFile(path))
        return false;
#ifdef Q_OS_WIN
    if (QFileInfo(path).isHidden())
        return false;
    const DWORD attributes = GetFileAttributesW(reinterpret_cast<LPCWSTR>(path.utf16()));
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_SYSTEM))
        return false;
#endif
    return true;
}

void paintBackground(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

} // namespace

QColor buttonFaceColour() {
    return QApplication::palette().color(QPalette::Active, QPalette::Button);
}

void ApplySkin(Form1& window, const QString& programFolder) {
    const QString path = programFolder + QStringLiteral("/x/o.cjs");
    if (!isSkinFile(path))
        return;

    const QColor face = buttonFaceColour();
    paintBackground(&window, face);
    // Of the window's controls the frame and the labels take the colour; the
    // scroll bars and the note buttons keep theirs.
    Form1Layout& ui = window.ui();
    paintBackground(ui.Frame1, face);
    for (QLabel* label : ui.labels())
        paintBackground(label, face);

    SkinEngine engine;
    engine.loadSkin(path, QString());
    engine.setOptions(engine.options() | SkinEnabled);
    engine.setSkinFonts(true);
    engine.setSkinWindowBackground(true);
    engine.applyTo(window);
}
