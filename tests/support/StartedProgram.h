#pragma once

// The whole program started on test services, with an instrument names file
// of the test's own beside it: the fixture of the tests that drive the window.

#include "app/Program.h"
#include "keyboard/MainWindow.h"
#include "support/TestServices.h"

#include <QByteArray>
#include <QString>

#include <memory>

struct StartedProgram {
    TestServices t;
    std::unique_ptr<Program> program;
    Form1Layout* ui = nullptr;

    // realClock: the system clock; otherwise a ManualClock the test moves.
    explicit StartedProgram(const QByteArray& patchIni, bool realClock = true) {
        t.writeProgramFile(QStringLiteral("PATCH.INI"), patchIni);
        program = std::make_unique<Program>(t.make(realClock));
        program->start();
        ui = &program->window().ui();
    }
};
