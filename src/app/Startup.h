// The program's start, the sequence that runs once its window exists, and
// the clean-up at exit.
#pragma once

// The process entry: creates the skin module, registers the exit routine,
// loads the skin library, builds the main window and runs its message loop
// until the window is closed.
void ProgramStart();

// The main window's created event: skin, settings, login, a one-second wait
// that keeps the window responsive, then the upload of the file named first
// on the command line.
void RunStartupSequence();

// Releases the process-wide state; registered at start, runs once at exit.
void ReleaseGlobals();
