// Layout of the options window's tabs, frames, captions and tips.
#include "settings/options_window_controls.h"

#include "common/support_address.h"
#include "settings/influx_settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <initializer_list>

namespace {

template <typename Control>
Control* named(Control* control, const char* name, const char* tip = nullptr)
{
    control->setObjectName(QString::fromLatin1(name));
    if (tip)
        control->setToolTip(QString::fromLatin1(tip));
    return control;
}

QCheckBox* checkBox(const char* name, const char* caption, const char* tip = nullptr)
{
    return named(new QCheckBox(QString::fromLatin1(caption)), name, tip);
}

QLineEdit* textBox(const char* name, const char* tip = nullptr)
{
    return named(new QLineEdit, name, tip);
}

QPushButton* button(const char* name, const char* caption)
{
    return named(new QPushButton(QString::fromLatin1(caption)), name);
}

QLabel* label(const char* caption)
{
    return new QLabel(QString::fromLatin1(caption));
}

QGroupBox* frame(const char* caption, QLayout* contents)
{
    auto* box = new QGroupBox(QString::fromLatin1(caption));
    box->setLayout(contents);
    return box;
}

QWidget* page(QLayout* contents)
{
    auto* widget = new QWidget;
    widget->setLayout(contents);
    return widget;
}

QWidget* generalTab(OptionsWindowControls& c)
{
    c.listenAtStartBox = checkBox("Check1", "Server Listens when Program Starts");
    c.openPortAtStartBox = checkBox("Check2", "Open COM Port when Program Starts", "Recommended");
    c.realTimeAtStartBox = checkBox("Check3", "Start Real-Time when Program Starts", "Not recommended.");
    c.writeToWebAtStartBox = checkBox("Check4", "Write to Web Server",
                        "Automaticaly writes to web server when software starts, providing an account has been "
                        "established.");
    auto* startUp = new QVBoxLayout;
    for (QCheckBox* box : {c.listenAtStartBox, c.openPortAtStartBox, c.realTimeAtStartBox, c.writeToWebAtStartBox})
        startUp->addWidget(box);

    c.rateBox = textBox("Text7", "Cost of electricity from your power company. May be acquired from electric bill.");
    auto* cost = new QHBoxLayout;
    cost->addWidget(c.rateBox);
    cost->addWidget(label("per Kilowatt-Hour (KWh)"));

    c.triggerPushBox = checkBox("Check5", "Send Data to Client when Triggering Power triggering Events Occur.");
    c.localOnlyBox = checkBox("TCPlocalOnly", "Listen on this computer only",
                              "The TCP server takes clients from this computer alone, from the next time it listens.");
    c.localOnlyBox->setAccessibleName(c.localOnlyBox->text());
    c.readingsAtStartBox = checkBox("ShowReadingsAtStart", "Show the live readings at start-up",
                                    "The live readings window opens with the main window.");
    c.readingsAtStartBox->setAccessibleName(c.readingsAtStartBox->text());

    c.intervalBox = textBox("Text3", "How often to update the web server.");
    c.channel1ThresholdBox = textBox("Text4", "Minimum change in CH1 power which will cause data to be writen to the web server.");
    c.channel2ThresholdBox = textBox("Text5", "Minimum change in CH2 power which will cause data to be writen to the web server.");
    auto* triggers = new QGridLayout;
    triggers->addWidget(label("Write Interval:"), 0, 0);
    triggers->addWidget(c.intervalBox, 0, 1);
    triggers->addWidget(label("Second"), 0, 2);
    triggers->addWidget(label("CH1 Power Change:"), 1, 0);
    triggers->addWidget(c.channel1ThresholdBox, 1, 1);
    triggers->addWidget(label("CH2 Power Change:"), 2, 0);
    triggers->addWidget(c.channel2ThresholdBox, 2, 1);

    auto* layout = new QVBoxLayout;
    layout->addWidget(frame("Start Up", startUp));
    layout->addWidget(frame("Cost of Electricity", cost));
    layout->addWidget(c.triggerPushBox);
    layout->addWidget(c.localOnlyBox);
    layout->addWidget(c.readingsAtStartBox);
    layout->addWidget(frame("Trigger Values", triggers));
    return page(layout);
}

QWidget* webServerTab(OptionsWindowControls& c)
{
    c.userBox = textBox("Text1");
    c.accountPageBox = textBox("Text6");
    c.webHost = textBox("WebHost", "Host name of the web service, optionally followed by \":\" and a port.");
    auto* account = new QGridLayout;
    account->addWidget(label("User Account:"), 0, 0);
    account->addWidget(c.userBox, 0, 1);
    account->addWidget(c.accountPageBox, 1, 0, 1, 2);
    account->addWidget(label("Web Server Host:"), 2, 0);
    account->addWidget(c.webHost, 2, 1);

    c.doneButton = button("Command1", "Done");
    auto* layout = new QVBoxLayout;
    layout->addWidget(frame("Account", account));
    layout->addWidget(c.doneButton);
    layout->addStretch();
    return page(layout);
}

QLineEdit* resultBox(const char* name)
{
    QLineEdit* box = textBox(name);
    box->setText(QStringLiteral("Idle"));
    box->setReadOnly(true);
    box->setAlignment(Qt::AlignCenter);
    return box;
}

QWidget* polarityTab(OptionsWindowControls& c)
{
    c.polarityTestButton = button("Command2", "Test Energy Polarity");
    c.polarityResultBox = resultBox("Text8");
    c.polaritySecondResultBox = resultBox("Text9");
    c.polarityDoneButton = button("Command4", "Done");
    auto* polarity = new QVBoxLayout;
    for (QWidget* control : std::initializer_list<QWidget*>{c.polarityTestButton, c.polarityResultBox, c.polaritySecondResultBox, c.polarityDoneButton})
        polarity->addWidget(control);

    auto* construction = new QLabel(QStringLiteral("This page is under construction. Please visit %1 for news.")
                                        .arg(QString::fromLatin1(kSupportAddress.data(), kSupportAddress.size())));
    construction->setWordWrap(true);

    auto* layout = new QVBoxLayout;
    layout->addWidget(frame("CH1 Polarity Setup", polarity));
    layout->addWidget(construction);
    layout->addStretch();
    return page(layout);
}

// A box with its caption as a label that names it and gives it a keyboard shortcut.
void addLabelledBox(QGridLayout& grid, const char* caption, QWidget* box)
{
    auto* caption_ = label(caption);
    caption_->setBuddy(box);
    box->setAccessibleName(caption_->text().remove(QLatin1Char('&')).remove(QLatin1Char(':')));
    const int row = grid.rowCount();
    grid.addWidget(caption_, row, 0);
    grid.addWidget(box, row, 1);
}

QCheckBox* namedCheckBox(const char* name, const char* caption, const char* tip)
{
    QCheckBox* box = checkBox(name, caption, tip);
    box->setAccessibleName(box->text().remove(QLatin1Char('&')));
    return box;
}

QWidget* mqttTab(MqttControls& c)
{
    c.enableBox = namedCheckBox("MqttEnable", "&Publish the readings to an MQTT broker", nullptr);
    c.hostBox = textBox("MqttHost", "Host name or address of the MQTT broker.");
    c.portBox = textBox("MqttPort", "The broker's port: 1883 usually, 8883 with TLS.");
    c.tlsBox = namedCheckBox("MqttTLS", "Use &TLS", "Encrypt the connection and check the broker's certificate.");
    c.caFileBox = textBox("MqttCAFile", "Certificate of the authority that signed the broker's; empty for the system's.");
    c.userBox = textBox("MqttUser");
    c.passwordBox = textBox("MqttPassword");
    c.passwordBox->setEchoMode(QLineEdit::Password);
    c.topicBox = textBox("MqttTopic", "Every message is published under this topic.");
    c.discoveryBox = namedCheckBox("MqttDiscovery", "Home Assistant &discovery",
                                   "Announce the sensors so that Home Assistant shows the monitor without set-up.");
    c.applyButton = button("MqttApply", "&Apply");
    c.message = named(new QLabel, "MqttMessage");
    c.message->setWordWrap(true);

    auto* broker = new QGridLayout;
    addLabelledBox(*broker, "&Host:", c.hostBox);
    addLabelledBox(*broker, "P&ort:", c.portBox);
    broker->addWidget(c.tlsBox, broker->rowCount(), 1);
    addLabelledBox(*broker, "&CA file:", c.caFileBox);
    addLabelledBox(*broker, "&User:", c.userBox);
    addLabelledBox(*broker, "Pass&word:", c.passwordBox);
    auto* topics = new QGridLayout;
    addLabelledBox(*topics, "&Base topic:", c.topicBox);
    topics->addWidget(c.discoveryBox, topics->rowCount(), 1);

    auto* layout = new QVBoxLayout;
    layout->addWidget(c.enableBox);
    layout->addWidget(frame("Broker", broker));
    layout->addWidget(frame("Topics", topics));
    layout->addWidget(c.applyButton);
    layout->addWidget(c.message);
    layout->addStretch();
    return page(layout);
}

QWidget* httpTab(HttpControls& c)
{
    c.enableBox = namedCheckBox("HttpEnable", "&Serve the dashboard and the HTTP API",
                                "A web page with the live readings and the history, JSON and Prometheus metrics.");
    c.portBox = textBox("HttpPort", "The port browsers connect to: http://this-computer:port/");
    c.localOnlyBox = namedCheckBox("HttpLocalOnly", "Only &this computer may connect",
                                   "Clear it to reach the dashboard from other machines of your network.");
    c.applyButton = button("HttpApply", "&Apply");
    c.message = named(new QLabel, "HttpMessage");
    c.message->setWordWrap(true);

    auto* server = new QGridLayout;
    addLabelledBox(*server, "P&ort:", c.portBox);
    server->addWidget(c.localOnlyBox, server->rowCount(), 1);

    auto* layout = new QVBoxLayout;
    layout->addWidget(c.enableBox);
    layout->addWidget(frame("HTTP server", server));
    layout->addWidget(c.applyButton);
    layout->addWidget(c.message);
    layout->addStretch();
    return page(layout);
}

QComboBox* choiceBox(const char* name, std::initializer_list<std::pair<const char*, int>> choices)
{
    auto* box = named(new QComboBox, name);
    for (const auto& [caption, value] : choices)
        box->addItem(QString::fromLatin1(caption), value);
    return box;
}

QWidget* influxTab(InfluxControls& c)
{
    c.enableBox = namedCheckBox("InfluxEnable", "&Send the history to InfluxDB",
                                "Every reading with its own time, and after an outage everything that waited.");
    c.urlBox = textBox("InfluxUrl", "The server's address, such as http://localhost:8086.");
    c.apiBox = choiceBox("InfluxApi", {{"Version 1 (database)", 1}, {"Version 2 (bucket and token)", 2}});
    c.resolutionBox = choiceBox("InfluxResolution", {{"Every packet", static_cast<int>(UploadResolution::Packet)},
                                                     {"One per minute", static_cast<int>(UploadResolution::Minute)}});
    c.databaseBox = textBox("InfluxDatabase");
    c.userBox = textBox("InfluxUser", "Empty for a server without authentication.");
    c.passwordBox = textBox("InfluxPassword");
    c.passwordBox->setEchoMode(QLineEdit::Password);
    c.orgBox = textBox("InfluxOrg");
    c.bucketBox = textBox("InfluxBucket");
    c.tokenBox = textBox("InfluxToken", "An API token that may write to the bucket.");
    c.tokenBox->setEchoMode(QLineEdit::Password);
    c.applyButton = button("InfluxApply", "&Apply");
    c.message = named(new QLabel, "InfluxMessage");
    c.message->setWordWrap(true);

    auto* server = new QGridLayout;
    addLabelledBox(*server, "Addr&ess:", c.urlBox);
    addLabelledBox(*server, "A&PI:", c.apiBox);
    addLabelledBox(*server, "&Readings:", c.resolutionBox);
    auto* version1 = new QGridLayout;
    addLabelledBox(*version1, "&Database:", c.databaseBox);
    addLabelledBox(*version1, "&User:", c.userBox);
    addLabelledBox(*version1, "Pass&word:", c.passwordBox);
    auto* version2 = new QGridLayout;
    addLabelledBox(*version2, "&Organisation:", c.orgBox);
    addLabelledBox(*version2, "&Bucket:", c.bucketBox);
    addLabelledBox(*version2, "&Token:", c.tokenBox);
    c.version1Frame = frame("Version 1", version1);
    c.version2Frame = frame("Version 2", version2);

    auto* layout = new QVBoxLayout;
    layout->addWidget(c.enableBox);
    layout->addWidget(frame("Server", server));
    layout->addWidget(c.version1Frame);
    layout->addWidget(c.version2Frame);
    layout->addWidget(c.applyButton);
    layout->addWidget(c.message);
    layout->addStretch();
    return page(layout);
}

} // namespace

OptionsWindowControls buildOptionsWindowControls(QWidget& parent)
{
    OptionsWindowControls c{};
    c.tabs = named(new QTabWidget, "SSTab1");
    // Every tab in sight: the window is as wide as its tabs' captions.
    c.tabs->setUsesScrollButtons(false);
    c.tabs->addTab(generalTab(c), QStringLiteral("General"));
    c.tabs->addTab(webServerTab(c), QStringLiteral("Web Server"));
    c.tabs->addTab(polarityTab(c), QStringLiteral("Solar/Wind Systems"));
    c.tabs->addTab(mqttTab(c.mqtt), QStringLiteral("MQTT"));
    c.tabs->addTab(httpTab(c.http), QStringLiteral("Dashboard"));
    c.tabs->addTab(influxTab(c.influx), QStringLiteral("InfluxDB"));
    auto* layout = new QVBoxLayout(&parent);
    layout->addWidget(c.tabs);
    return c;
}
