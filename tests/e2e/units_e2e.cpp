// The module's Windows-side units checked one by one, where the module as a
// whole cannot be brought to the case: a system error code with no text.
#include <windows.h>
#include <stdio.h>

#include "checks.h"
#include "../../serial/error_text.h"
#include "../../tools/common/module_loader.h"

// An error code the system has no message for.
enum { CODE_WITHOUT_TEXT = 0x2FFFFFFF };

static void ErrorTextWithoutSystemText(void)
{
    char expected[1200];
    snprintf(expected, sizeof expected, "Error writing string : %s", SystemText(ERROR_INVALID_HANDLE));
    const char *first = ComposeErrorText("Error writing string", ERROR_INVALID_HANDLE);
    CheckText(expected, first, "a code with a text");

    CheckText("", SystemText(CODE_WITHOUT_TEXT), "the system has no text for the code");
    const char *second = ComposeErrorText("Serial Port does not exist", CODE_WITHOUT_TEXT);
    CheckText("Serial Port does not exist : ", second, "no text after an earlier error's");
    CheckTrue(first == second, "one buffer holds the latest composed text");
}

static const Scenario SCENARIOS[] = {
    {"error_text_without_system_text", ErrorTextWithoutSystemText},
};

int main(int argc, char **argv)
{
    return RunScenarios(SCENARIOS, ARRAY_SIZE(SCENARIOS), argc > 2 ? argv[2] : NULL);
}
