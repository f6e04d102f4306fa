// Telling a held line from a lost port, for every driver's way of ending a
// write.
#include "serial/write_outcome.h"

#include <gtest/gtest.h>

#include "serial_drivers.h"

namespace {

// The port's answer to a read of its state, and how often it was asked.
bool portAnswers;
int asked;

bool AskPort()
{
    asked++;
    return portAnswers;
}

const char *const OUTCOMES[] = {"whole", "stalled", "aborted", "lost"};

TEST(WriteOutcomeOf, EachDriverEndsEachEventItsWay)
{
    for (const SerialDriverRow &row : SERIAL_DRIVER_ROWS) {
        WriteReport report = {row.succeeds, row.written == WROTE_HALF ? 4ul : 0ul, 8,
                              row.errorCode};
        portAnswers = row.stateError == 0;
        EXPECT_STREQ(OUTCOMES[row.expected], OUTCOMES[WriteOutcomeOf(&report, false, AskPort)])
            << row.driver << ", " << row.event;
    }
}

// What else decides: a whole or empty write, a timeout or gone code that
// needs no question, an abort on its retry, a code the table does not name.
TEST(WriteOutcomeOf, AsksThePortOnlyWhenTheCodeLeavesItOpen)
{
    const struct {
        WriteReport report;
        bool retried, answers;
        WriteOutcome expected;
        int asked;
    } cases[] = {
        {{true, 8, 8, 0}, false, false, WRITE_WHOLE, 0},
        {{true, 0, 0, 0}, false, false, WRITE_WHOLE, 0},
        {{false, 0, 8, 1460}, false, false, WRITE_STALLED, 0},
        {{false, 0, 8, 121}, false, false, WRITE_STALLED, 0},
        {{false, 0, 8, 1121}, false, false, WRITE_STALLED, 0},
        {{false, 0, 8, 6}, false, true, WRITE_LOST, 0},
        {{false, 0, 8, 1617}, false, true, WRITE_LOST, 0},
        {{false, 0, 8, 995}, true, true, WRITE_STALLED, 1},
        {{false, 0, 8, 995}, true, false, WRITE_LOST, 1},
        {{false, 0, 8, 87}, false, true, WRITE_STALLED, 1},
    };
    for (const auto &c : cases) {
        portAnswers = c.answers;
        asked = 0;
        EXPECT_STREQ(OUTCOMES[c.expected], OUTCOMES[WriteOutcomeOf(&c.report, c.retried, AskPort)])
            << "code " << c.report.errorCode << (c.retried ? " retried" : "");
        EXPECT_EQ(c.asked, asked) << "code " << c.report.errorCode;
    }
}

}  // namespace
