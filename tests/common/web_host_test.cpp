// The "WebHost" setting read as a host and a port: plain names, ports, IPv6
// literals, and the texts that would break a request.
#include "common/web_host.h"

#include <gtest/gtest.h>

namespace {

TEST(WebHost, aNameOrAddressWithoutPort_goesToPort80)
{
    EXPECT_EQ(parseWebHost("www.kvo7730.com"), (WebHostAddress{"www.kvo7730.com", 80}));
    EXPECT_EQ(parseWebHost("127.0.0.1"), (WebHostAddress{"127.0.0.1", 80}));
    EXPECT_EQ(parseWebHost("local_host-2"), (WebHostAddress{"local_host-2", 80}));
}

TEST(WebHost, aPortAfterTheColon_isUsed)
{
    EXPECT_EQ(parseWebHost("127.0.0.1:8080"), (WebHostAddress{"127.0.0.1", 8080}));
    EXPECT_EQ(parseWebHost("example.org:1"), (WebHostAddress{"example.org", 1}));
    EXPECT_EQ(parseWebHost("example.org:65535"), (WebHostAddress{"example.org", 65535}));
    EXPECT_EQ(parseWebHost("[::1]"), (WebHostAddress{"::1", 80}));
    EXPECT_EQ(parseWebHost("[::1]:8080"), (WebHostAddress{"::1", 8080}));
}

TEST(WebHost, textsThatWouldBreakTheRequestOrTheConnection_areRefused)
{
    for (const char* text : {"", " ", "two words", "host\r\nX-Injected: 1", "host/path", "host?q", "host#frag",
                             "user@host", "host:", "host:0", "host:65536", "host:80x", "host:8:8", ":80",
                             "[::1", "[]:80", "[::1]x", "[::1]:", "h\xC3\xA9te", "host\t"})
        EXPECT_FALSE(parseWebHost(text).has_value()) << text;
}

} // namespace
