#pragma once

// Runs the benchmarks the command line names, inside the framework but with no
// application object, and with a home folder of the run's own for the log and
// the settings, deleted when the run ends. Returns the program's exit code.
int runBenchmarksWithOwnHome (int argc, char** argv);
