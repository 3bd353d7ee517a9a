#include "instrument/Korvanta.h"
#include "tools/make-factory-bank/FactoryBank.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

// make-factory-bank <definition folder> <bank file>: writes the factory bank, or explains on stderr
// which definition line is wrong and writes nothing.
int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make-factory-bank <definition folder> <bank file>\n");
        return 2;
    }
    std::vector<ProgramDefinition> programs;
    std::string error;
    if (!FactoryBank::read(argv[1], &programs, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    // The bank must not depend on whoever builds it: without a home the instrument neither reads a
    // configuration (a startup bank, learned controllers) nor creates one.
    unsetenv("HOME");
    IPlugInstanceInfo info;
    auto plug = std::make_unique<Korvanta>(info);
    FactoryBank::fill(*plug, programs);
    if (!plug->SaveBankAsFXB(argv[2])) {
        std::fprintf(stderr, "%s: cannot be written\n", argv[2]);
        return 1;
    }
    return 0;
}
