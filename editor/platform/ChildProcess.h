#pragma once

#include <string>
#include <vector>

// Runs a helper program (zenity, xdg-open) found on the PATH, without a shell, so no text of ours is
// ever read as a command.
class ChildProcess {
public:
    // Runs the program to its end and returns its exit status, or -1 when it could not be started;
    // what it wrote to its standard output is stored in output (without a final newline).
    static int Run(const std::vector<std::string>& argv, std::string* output);
    // Starts the program and leaves it running; true when it started. Finished ones are reaped on the
    // next start or by ReapFinished.
    static bool Start(const std::vector<std::string>& argv);
    static void ReapFinished();
    // Whether a program of that name lies on the PATH.
    static bool OnPath(const char* name);
};
