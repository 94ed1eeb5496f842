// Doubling waits with a ceiling.
#include "common/reconnect_backoff.h"

#include <algorithm>

int ReconnectBackoff::next()
{
    const int wait = nextMs_ == 0 ? firstMs_ : nextMs_;
    nextMs_ = std::min(wait > limitMs_ / 2 ? limitMs_ : wait * 2, limitMs_);
    return std::min(wait, limitMs_);
}
