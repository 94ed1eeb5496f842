// The seconds-of-the-minute deadline: its documented length, the turn of the minute,
// and a deadline passed while the waiter was held up.
#include "common/second_deadline.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct DeadlineCase {
    const char* name;
    int start;
    int seconds;
    // The clock's second at each look; the deadline is reached at the last one only.
    std::vector<int> looks;
};

TEST(SecondDeadline, reachedExactlyAtTheLastLook)
{
    const DeadlineCase cases[] = {
        {"two seconds, looked at every second", 10, 2, {10, 11, 12}},
        {"across the turn of the minute", 58, 3, {58, 59, 0, 1}},
        {"starting at the minute's last second", 59, 2, {59, 0, 1}},
        {"passed while held up for five seconds", 10, 2, {10, 15}},
        {"passed across the minute while held up", 57, 3, {57, 2}},
        {"one second late", 20, 3, {21, 24}},
    };
    for (const DeadlineCase& c : cases) {
        SCOPED_TRACE(c.name);
        SecondDeadline deadline(c.start, c.seconds);
        for (std::size_t i = 0; i + 1 < c.looks.size(); ++i)
            EXPECT_FALSE(deadline.reachedAt(c.looks[i])) << "look " << i << " at second " << c.looks[i];
        EXPECT_TRUE(deadline.reachedAt(c.looks.back()));
    }
}

TEST(SecondDeadline, staysReachedOnceReached)
{
    SecondDeadline deadline(30, 2);
    ASSERT_TRUE(deadline.reachedAt(33));
    EXPECT_TRUE(deadline.reachedAt(33));
    EXPECT_TRUE(deadline.reachedAt(34));
}

} // namespace
