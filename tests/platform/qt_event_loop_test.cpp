// The call backs of Qt's event loop: each on its own deadline, a cancelled one never, and
// one started from another's call back. Bounds are wide: the machine may be busy.
#include "platform/qt_event_loop.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <gtest/gtest.h>

#include <vector>

namespace {

// Runs the application's loop until done is called or 5 s pass.
void runLoopUntilQuit()
{
    QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(1); });
    QCoreApplication::exec();
}

TEST(QtEventLoop, callBacksComeInTheOrderOfTheirDeadlines_andACancelledOneNever)
{
    QtEventLoop loop;
    QElapsedTimer since;
    std::vector<std::pair<char, qint64>> fired;
    since.start();
    loop.callAfter(300, [&] {
        fired.emplace_back('c', since.elapsed());
        QCoreApplication::exit(0);
    });
    const auto cancelled = loop.callAfter(100, [&] { fired.emplace_back('x', since.elapsed()); });
    loop.callAfter(150, [&] { fired.emplace_back('b', since.elapsed()); });
    loop.callAfter(50, [&] { fired.emplace_back('a', since.elapsed()); });
    loop.cancel(cancelled);

    runLoopUntilQuit();

    ASSERT_EQ(fired.size(), 3u);
    EXPECT_EQ(fired[0].first, 'a');
    EXPECT_EQ(fired[1].first, 'b');
    EXPECT_EQ(fired[2].first, 'c');
    EXPECT_GE(fired[0].second, 45);
    EXPECT_GE(fired[2].second, 290);
    EXPECT_LT(fired[2].second, 2000);
}

TEST(QtEventLoop, aCallBackMayStartAnother_whichKeepsItsOwnDeadline)
{
    QtEventLoop loop;
    QElapsedTimer since;
    qint64 innerAt = -1;
    since.start();
    loop.callAfter(50, [&] {
        loop.callAfter(140, [&] {
            innerAt = since.elapsed();
            QCoreApplication::exit(0);
        });
    });

    runLoopUntilQuit();

    EXPECT_GE(innerAt, 185);
    EXPECT_LT(innerAt, 2000);
}

TEST(QtEventLoop, callBacksStillWaitingWhenTheLoopGoes_neverRun)
{
    bool fired = false;
    {
        QtEventLoop loop;
        loop.callAfter(10, [&] { fired = true; });
    }
    QTimer::singleShot(100, qApp, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
    EXPECT_FALSE(fired);
}

} // namespace
