// The module's end-to-end scenarios, in groups: one program, run as
//   module_e2e.exe PATH-TO-DLL [FILTER]
// where FILTER picks scenarios by pieces of their full names GROUP/NAME
// (see harness.h); the build registers each group as a test of its own.
#include "harness.h"

extern const ScenarioGroup DRIVER_GROUP, LOG_GROUP, LINE_GROUP, HOSTILE_GROUP, LONG_LIFE_GROUP;
#ifdef __i386__
extern const ScenarioGroup STACK_GROUP;  // built for i386 only
#endif

int main(int argc, char **argv)
{
    const ScenarioGroup *const groups[] = {&DRIVER_GROUP, &LOG_GROUP, &LINE_GROUP,
#ifdef __i386__
                                           &STACK_GROUP,
#endif
                                           &HOSTILE_GROUP, &LONG_LIFE_GROUP};
    return RunTestProgram(argc, argv, groups, ARRAY_SIZE(groups));
}
