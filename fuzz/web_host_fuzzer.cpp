// Arbitrary host settings: a text taken as a host names a host and a port, and
// nothing else gets through.
#include "common/web_host.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto address = parseWebHost(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!address)
        return 0;
    if (address->host.empty() || address->port == 0)
        std::abort();
    // A host that went into a request line must not be able to break it.
    for (const char c : address->host) {
        if (c == ' ' || c == '\r' || c == '\n' || c == '/' || c == '?' || c == '#')
            std::abort();
    }
    return 0;
}
