#include "app/Skin.h"

#include "appearance/SkinEngine.h"
#include "keyboard/MainWindow.h"
#include "shell/RegularFile.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>

namespace {

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
    if (!isVisibleRegularFile(path))
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
