#pragma once

class Program;

// The main window's load procedure: the whole start-up, before the window shows.
void Form_Load(Program& program);
