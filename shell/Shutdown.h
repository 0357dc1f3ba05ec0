#pragma once

class Program;

// The close request: one pass of event dispatch; a close is never refused.
void Form_QueryUnload(Program& program);
// The unload: closes the MIDI output, dispatches twice and ends the program.
void Form_Unload(Program& program);
