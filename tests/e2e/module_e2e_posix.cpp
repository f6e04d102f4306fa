// The module's end-to-end scenarios on Linux: the groups written in C++
// that need no Windows call, then the scenario files, run against
// libKESMARD.so as
//   module_e2e PATH-TO-LIBRARY [FILTER [FOLDER]]   (see harness.h)
#include "harness.h"

extern const ScenarioGroup HOSTILE_GROUP, LONG_LIFE_GROUP;

int main(int argc, char **argv)
{
    const ScenarioGroup *const groups[] = {&HOSTILE_GROUP, &LONG_LIFE_GROUP};
    return RunTestProgram(argc, argv, groups, ARRAY_SIZE(groups));
}
