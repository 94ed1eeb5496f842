// A status list that keeps its lines for the test to read.
#pragma once

#include "platform/status_list.h"

#include <string>
#include <vector>

class RecordingStatusList : public StatusList {
public:
    void addLine(const std::string& line) override { lines.push_back(line); }
    void clear() override
    {
        lines.clear();
        ++clears;
    }

    std::vector<std::string> lines;
    int clears = 0;
};
