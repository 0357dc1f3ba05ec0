#include "shell/Shutdown.h"

#include "midi/MidiPort.h"
#include "shell/ErrorTrap.h"
#include "shell/Program.h"

#include <QCoreApplication>

void Form_QueryUnload(Program& program) {
    ErrorTrap trap(*program.services().errorReporter, locationTag("Form1", "Form_QueryUnload"));
    trap.step(100, [] { QCoreApplication::processEvents(); });
}

void Form_Unload(Program& program) {
    program.port().closePort();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    program.end();
}
