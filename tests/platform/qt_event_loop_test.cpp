// The Qt event loop behind the waits on a real Qt event loop: delays started by an
// event during another delay, the end of every wait when the program ends, and the
// blocking wait for events. Bounds are wide: the machine may be busy.
#include "platform/qt_event_loop.h"

#include <QElapsedTimer>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

TEST(QtEventLoop, aDelayStartedByAnEventDuringAnother_endsOnItsOwnDeadline_andTheOuterKeepsItsOwn)
{
    QtEventLoop events;
    QElapsedTimer sinceStart;
    qint64 innerStartedAt = -1;
    qint64 innerEndedAt = -1;
    QTimer::singleShot(100, Qt::PreciseTimer, [&] {
        innerStartedAt = sinceStart.elapsed();
        events.Dly(140);
        innerEndedAt = sinceStart.elapsed();
    });

    sinceStart.start();
    events.Dly(1000);
    const qint64 outerMs = sinceStart.elapsed();

    ASSERT_GE(innerStartedAt, 0) << "the timer fired during the outer delay";
    ASSERT_GE(innerEndedAt, 0);
    const qint64 innerMs = innerEndedAt - innerStartedAt;
    EXPECT_GE(innerMs, 135);
    EXPECT_LT(innerMs, 600) << "the inner delay waited for something else than its own deadline";
    EXPECT_GE(outerMs, 950) << "the outer delay ended with the inner one";
    EXPECT_LT(outerMs, 1500);
}

TEST(QtEventLoop, afterEndWaits_delaysAndWaitsReturnAtOnce)
{
    QtEventLoop events;
    events.endWaits();

    QElapsedTimer took;
    took.start();
    events.Dly(5000);
    events.waitForEvents(5000);

    EXPECT_LT(took.elapsed(), 500);
}

TEST(QtEventLoop, endWaitsDuringADelay_releasesIt)
{
    QtEventLoop events;
    QTimer::singleShot(100, Qt::PreciseTimer, [&] { events.endWaits(); });

    QElapsedTimer took;
    took.start();
    events.Dly(5000);

    EXPECT_LT(took.elapsed(), 1500) << "a shut-down must not sit out a delay in progress";
}

TEST(QtEventLoop, waitForEvents_returnsAtTheFirstEvent_orAfterItsLimit)
{
    QtEventLoop events;
    events.yield();  // nothing left over from before
    QElapsedTimer took;

    took.start();
    events.waitForEvents(200);
    const qint64 idleMs = took.elapsed();
    EXPECT_GE(idleMs, 190);
    EXPECT_LT(idleMs, 1000);

    bool fired = false;
    QTimer::singleShot(50, Qt::PreciseTimer, [&] { fired = true; });
    took.restart();
    while (!fired && took.elapsed() < 3000)
        events.waitForEvents(2000);
    EXPECT_TRUE(fired);
    EXPECT_LT(took.elapsed(), 1000) << "the event ended the wait, not the limit";
}

} // namespace
