// Values typed for a setting, each with what the windows make of it: the text stored, or the
// reason they refuse it. kvo7730-config's tests and the windows' tests both go through this
// one table, so that the tool and the windows keep to one rule. Every case starts from the
// defaults.
#pragma once

struct SettingValueCase {
    // The name kvo7730-config gives the setting.
    const char* name;
    const char* typed;
    // The stored text once taken; nullptr when refused.
    const char* stored;
    // The reason shown; nullptr when taken.
    const char* reason;
};

inline const SettingValueCase kSettingValueCases[] = {
    {"com-port", "5", "5", nullptr},
    {"com-port", "2.6", "3", nullptr},
    {"com-port", "65", nullptr, "COM port 65 does not exist: the numbers run from 1 to 64. Keeping COM 1."},
    {"com-port", "0", nullptr, "COM port 0 does not exist: the numbers run from 1 to 64. Keeping COM 1."},
    {"tcp-port", "1235", "1235", nullptr},
    {"tcp-port", "70000", nullptr, "\"70000\" is no TCP port: the numbers run from 1 to 65535. Keeping port 1234."},
    {"tcp-port", "abc", nullptr, "\"abc\" is no TCP port: the numbers run from 1 to 65535. Keeping port 1234."},
    {"rate", "0.2", "0.2", nullptr},
    {"rate", "2", "2", nullptr},
    {"rate", "-1", nullptr, "The rate cannot be negative. Re-enter the value for \"Rate\"."},
    {"rate", "cheap", nullptr, "This is not a numeric value. Re-enter the value for \"Rate\". "},
    {"write-interval", "30", "30", nullptr},
    {"write-interval", "5", nullptr, "Must be set above 10 seconds."},
    {"write-interval", "abc", nullptr, "Interval must be a numeric value"},
    {"write-interval", "40000", nullptr, "Must not be set above 32767 seconds."},
    {"power-change1", "100", "100", nullptr},
    {"power-change1", "20", nullptr, "Must be set above 40 watt."},
    {"power-change2", "x", nullptr, "This must be a numeric value"},
    {"web-user", "alice", "alice", nullptr},
    {"web-user", "", nullptr, "User error"},
    {"web-host", " example.org:8080 ", "example.org:8080", nullptr},
    {"web-host", "two words", nullptr,
     "Enter the web server's host name or address, optionally followed by \":\" and a port number."},
    {"mqtt-host", "broker.lan", "broker.lan", nullptr},
    {"mqtt-host", "mqtt://broker", nullptr, "The broker's host is a name or an address, without blanks or \"/\"."},
    {"mqtt-enable", "yes", nullptr, "Enter the host name or address of the MQTT broker."},
    {"mqtt-port", "8883", "8883", nullptr},
    {"mqtt-port", "1883.5", nullptr, "The broker's port must be a whole number from 1 to 65535."},
    {"mqtt-password", "secret", nullptr, "A password needs a user name."},
    {"mqtt-topic", "house/kvo/", "house/kvo", nullptr},
    {"mqtt-topic", "house/#", nullptr, "The base topic may not hold \"+\" or \"#\", nor begin with \"/\"."},
    {"mqtt-ca-file", "/nonexistent/ca.crt", nullptr,
     "The CA file \"/nonexistent/ca.crt\" cannot be read: No such file or directory."},
    {"dashboard-port", "7731", "7731", nullptr},
    {"dashboard-port", "1234", nullptr, "The dashboard's port must differ from the TCP server's port (1234)."},
    {"dashboard-port", "0", nullptr, "The dashboard's port must be a whole number from 1 to 65535."},
    {"influx-url", "http://localhost:8086/", "http://localhost:8086", nullptr},
    {"influx-url", "ftp://localhost", nullptr,
     "The InfluxDB address must begin with http:// or https:// and name a host, such as http://localhost:8086."},
    {"influx-enable", "yes", nullptr, "Enter the address of the InfluxDB server, such as http://localhost:8086."},
    {"influx-api", "2", "2", nullptr},
    {"influx-resolution", "minute", "minute", nullptr},
};
