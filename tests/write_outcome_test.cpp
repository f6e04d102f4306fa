// Telling a held line from a lost port, for every driver's way of ending a
// write.
#include "serial/write_outcome.h"

#include <gtest/gtest.h>

#include "serial_drivers.h"

namespace {

// The port's answer to a read of its state.
bool portAnswers;

bool AskPort()
{
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

// A timeout code is a stall and a gone code a loss whatever the port
// answers; an abort on its retry is judged by the port's answer.
TEST(WriteOutcomeOf, CodesThatNeedNoQuestion)
{
    const struct {
        unsigned long code;
        bool retried, answers;
        WriteOutcome expected;
    } cases[] = {
        {121, false, false, WRITE_STALLED}, {1121, false, false, WRITE_STALLED},
        {1460, false, false, WRITE_STALLED}, {6, false, true, WRITE_LOST},
        {1617, false, true, WRITE_LOST},    {995, true, true, WRITE_STALLED},
        {995, true, false, WRITE_LOST},
    };
    for (const auto &c : cases) {
        WriteReport report = {false, 0, 8, c.code};
        portAnswers = c.answers;
        EXPECT_STREQ(OUTCOMES[c.expected], OUTCOMES[WriteOutcomeOf(&report, c.retried, AskPort)])
            << "code " << c.code << (c.retried ? ", retried" : "");
    }
}

}  // namespace
