#include "app/Program.h"

#include "midi/MidiPort.h"
#include "shell/ErrorTrap.h"

#include <QCoreApplication>

void Program::Form_QueryUnload() {
    ErrorTrap trap(*services_.errorReporter, locationTag("Form1", "Form_QueryUnload"));
    trap.step(100, [] { QCoreApplication::processEvents(); });
}

void Program::Form_Unload() {
    port_->closePort();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    end();
}
