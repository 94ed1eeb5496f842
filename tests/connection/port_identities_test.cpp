// Port rows and the pinning of a number to its adapter, on a temporary folder that
// plays both the user's configuration and /dev/serial/by-id, with files as devices.
#include "connection/port_identities.h"
#include "platform/com_port_path.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>

namespace fs = std::filesystem;

namespace {

struct Folders {
    Folders()
        : root(fs::temp_directory_path() / ("port_identities_" + std::to_string(std::random_device{}())))
    {
        fs::create_directories(root / "dev");
        fs::create_directories(root / "by-id");
        fs::create_directories(comPortLinkFolder(config()));
    }
    ~Folders() { fs::remove_all(root); }

    std::string config() const { return (root / "config").string(); }
    PortFolders folders() const { return {.configDir = config(), .byIdFolder = (root / "by-id").string()}; }
    std::string device(const std::string& name) const
    {
        const fs::path path = root / "dev" / name;
        std::ofstream{path};
        return path.string();
    }
    std::string byId(const std::string& name, const std::string& device) const
    {
        const fs::path path = root / "by-id" / name;
        fs::create_symlink(device, path);
        return path.string();
    }
    void link(int n, const std::string& target) const { fs::create_symlink(target, comPortLinkPath(n, config())); }
    std::string linkTarget(int n) const { return fs::read_symlink(comPortLinkPath(n, config())).string(); }

    fs::path root;
};

const std::string kAdapter = "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";

} // namespace

TEST(PortIdentities, rowsShowWhatIsKnown_fromTheBareNumberToTheWholeAdapter)
{
    Folders f;
    const std::string usb = f.device("ttyUSB0");
    const std::string pty = f.device("pts7");
    f.byId(kAdapter, usb);
    f.link(3, usb);
    f.link(5, pty);
    f.link(6, (f.root / "dev" / "gone").string());
    const PortIdentities ports(f.folders(), {{.location = usb, .description = "FT232R USB UART",
                                              .manufacturer = "FTDI", .serialNumber = "A50285BI"}});

    EXPECT_EQ(ports.rowText(3), "3   com3 -> " + usb + ", FT232R USB UART, FTDI, serial A50285BI, by-id " + kAdapter);
    EXPECT_EQ(ports.rowText(5), "5   com5 -> " + pty);
    // A link whose device is gone still says where it points.
    EXPECT_EQ(ports.rowText(6), "6   com6 -> " + (f.root / "dev" / "gone").string());
    // No link, no device at the fixed name: only the number (as the search found it).
    EXPECT_EQ(ports.rowText(64), "64");
}

TEST(PortIdentities, pickingAPortWithAByIdName_pointsItsLinkAtThatName_once)
{
    Folders f;
    const std::string usb = f.device("ttyUSB1");
    const std::string stable = f.byId(kAdapter, usb);
    f.link(4, usb);
    const PortIdentities ports(f.folders(), {});

    const auto line = ports.followAdapter(4);
    ASSERT_TRUE(line.has_value());
    EXPECT_EQ(*line, "COM 4 now follows " + kAdapter + " (" + comPortLinkPath(4, f.config())
                         + "), even when it is unplugged or renumbered.");
    EXPECT_EQ(f.linkTarget(4), stable);
    EXPECT_FALSE(fs::exists(comPortLinkPath(4, f.config()) + ".new"));
    // Already following: nothing to do, nothing said.
    EXPECT_FALSE(ports.followAdapter(4).has_value());
    EXPECT_EQ(f.linkTarget(4), stable);
    EXPECT_EQ(ports.rowText(4), "4   com4 -> " + stable + ", " + usb);
}

TEST(PortIdentities, portsWithoutAByIdName_keepTheirLinkOrHaveNone)
{
    Folders f;
    const std::string pty = f.device("pts2");
    f.link(2, pty);
    const PortIdentities ports(f.folders(), {});
    EXPECT_FALSE(ports.followAdapter(2).has_value());
    EXPECT_EQ(f.linkTarget(2), pty);
    EXPECT_FALSE(ports.followAdapter(9).has_value());
    EXPECT_FALSE(fs::is_symlink(comPortLinkPath(9, f.config())));
}

TEST(PortIdentities, aLinkFolderThatCannotBeWritten_isReportedNotThrown)
{
    Folders f;
    const std::string usb = f.device("ttyUSB2");
    f.byId(kAdapter, usb);
    f.link(7, usb);
    // A file where the new link must go stops the replacement.
    fs::create_directory(comPortLinkPath(7, f.config()) + ".new");
    std::ofstream{comPortLinkPath(7, f.config()) + ".new/blocker"};
    const auto line = PortIdentities(f.folders(), {}).followAdapter(7);
    ASSERT_TRUE(line.has_value());
    EXPECT_EQ(line->rfind("COM 7 could not be tied to " + (f.root / "by-id" / kAdapter).string() + ": ", 0), 0u) << *line;
    EXPECT_EQ(f.linkTarget(7), usb);
}
