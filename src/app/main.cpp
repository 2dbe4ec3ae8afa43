#include "app/AppShell.h"

int main(int argc, char** argv) { return RunTravix(argc, argv); }
