// The per-user COM port link: created where the program looks, replaced, and removed.
#include "simulator/com_port_link.h"

#include "platform/com_port_path.h"

#include <QTemporaryDir>
#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

TEST(ComPortLink, linkNamesTheTargetAsThatComPort)
{
    QTemporaryDir config;
    const std::string dir = config.path().toStdString();
    ComPortLink link(7, dir, "/dev/pts/77");
    EXPECT_EQ(link.path(), dir + "/DARavev/ports/com7");
    EXPECT_EQ(fs::read_symlink(link.path()), fs::path("/dev/pts/77"));
    EXPECT_EQ(comPortDevicePath(7, dir), link.path());
}

TEST(ComPortLink, existingLinkIsReplacedAndTheNewOneRemovedAtTheEnd)
{
    QTemporaryDir config;
    const std::string dir = config.path().toStdString();
    fs::create_directories(comPortLinkFolder(dir));
    fs::create_symlink("/dev/ttyUSB9", comPortLinkPath(3, dir));
    {
        ComPortLink link(3, dir, "/dev/pts/5");
        EXPECT_EQ(fs::read_symlink(link.path()), fs::path("/dev/pts/5"));
    }
    EXPECT_FALSE(fs::is_symlink(comPortLinkPath(3, dir)));
    EXPECT_EQ(fs::directory_iterator(comPortLinkFolder(dir)), fs::directory_iterator()) << "stray files left";
}

TEST(ComPortLink, linkRepointedByAnotherProgram_isLeftInPlace)
{
    QTemporaryDir config;
    const std::string dir = config.path().toStdString();
    {
        ComPortLink link(4, dir, "/dev/pts/6");
        fs::remove(link.path());
        fs::create_symlink("/dev/pts/8", link.path());
    }
    EXPECT_EQ(fs::read_symlink(comPortLinkPath(4, dir)), fs::path("/dev/pts/8"));
}

} // namespace
