// The module's end-to-end scenarios on Linux: the scenario files, run
// against libKESMARD.so as
//   module_e2e PATH-TO-LIBRARY [FILTER [FOLDER]]   (see harness.h)
#include "harness.h"

int main(int argc, char **argv)
{
    return RunTestProgram(argc, argv, NULL, 0);
}
