#pragma once

// The program's life from start to end: fonts, single instance, skin,
// registered messages, the main window and its message loop, shut-down.
// Returns the process exit code, 0 on every path.
int RunTravix(int argc, char** argv);
