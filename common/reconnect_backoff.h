// The waits between attempts to reach a server: the first one short, each next
// one twice as long, up to a limit; back to the first once a connection stands.
#pragma once

class ReconnectBackoff {
public:
    ReconnectBackoff(int firstMs, int limitMs) : firstMs_(firstMs), limitMs_(limitMs) {}

    // The wait before the next attempt, in milliseconds.
    int next();
    void reset() { nextMs_ = 0; }

private:
    int firstMs_;
    int limitMs_;
    int nextMs_ = 0;
};
