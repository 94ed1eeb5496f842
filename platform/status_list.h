// A window's status list: the plain lines in which progress and failures are reported.
#pragma once

#include <string>

class StatusList {
public:
    virtual ~StatusList() = default;

    virtual void addLine(const std::string& line) = 0;
    virtual void clear() = 0;
};
