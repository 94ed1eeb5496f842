// The channel 1 energy direction test.
#include "settings/polarity_test.h"

#include "link/live_readings.h"

PolarityTest::Result PolarityTest::tick(const LiveReadings& readings)
{
    if (FirstTestScan) {
        FirstTestScan = false;
        TestBaseline = {readings.AbsWs1, readings.AbsWs2, readings.PolWs1, readings.PolWs2};
        return Result::BaselineTaken;
    }
    // The absolute counter moves with energy in either direction, the polarised
    // one only with energy sent back to the line.
    const double absoluteChange = readings.AbsWs1 - TestBaseline[0];
    const double polarisedChange = readings.PolWs1 - TestBaseline[2];
    if (absoluteChange == 0)
        return Result::NoEnergy;
    return polarisedChange == 0 ? Result::Consumed : Result::Generated;
}
