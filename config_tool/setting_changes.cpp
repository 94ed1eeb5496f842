// Each change through the check of the box or tab the windows would take it in.
#include "config_tool/setting_changes.h"

#include "connection/port_entries.h"
#include "settings/http_option_fields.h"
#include "settings/influx_option_fields.h"
#include "settings/mqtt_option_fields.h"
#include "settings/option_fields.h"

#include "common/number_text.h"

#include <algorithm>
#include <limits>
#include <map>

namespace {

constexpr std::string_view kRateAboveOneNote =
    "The rate is above 1 per kWh, which the Options window asks to confirm: check it against your electric bill.";

// A tab's boxes as the window would show them: the typed texts over the values as they are.
class TabEntries {
public:
    TabEntries(const SettingsValues& values, const std::map<Setting, std::string>& typed)
        : values_(values), typed_(typed)
    {
    }

    std::string text(Setting key) const
    {
        const auto found = typed_.find(key);
        return found != typed_.end() ? found->second : settingKey(key).save(values_);
    }

    // A check box; its typed text must be yes or no (a stored "True" reads as well).
    bool ticked(Setting key)
    {
        const std::string entry = text(key);
        if (const auto yes = typedYesNo(entry))
            return *yes;
        fail(key, "\"" + entry + "\" is neither yes nor no.");
        return false;
    }

    // A whole number where the window has a choice of buttons.
    std::int32_t whole(Setting key)
    {
        const std::string entry = text(key);
        const auto value = parseWholeNumber(entry, std::numeric_limits<std::int32_t>::min(),
                                            std::numeric_limits<std::int32_t>::max());
        if (value && entry.find_first_of(".,eE") == std::string::npos)
            return static_cast<std::int32_t>(*value);
        fail(key, "\"" + entry + "\" is not a whole number.");
        return 0;
    }

    UploadResolution resolution(Setting key)
    {
        const std::string entry = text(key);
        if (const auto value = parseResolution(entry))
            return *value;
        fail(key, "\"" + entry + "\" is neither packet nor minute.");
        return UploadResolution::Packet;
    }

    void fail(Setting key, std::string reason)
    {
        if (!refusal_)
            refusal_ = ChangeRefusal{std::string(settingNameOf(key).name), std::move(reason)};
    }

    const std::optional<ChangeRefusal>& refusal() const { return refusal_; }

private:
    const SettingsValues& values_;
    const std::map<Setting, std::string>& typed_;
    std::optional<ChangeRefusal> refusal_;
};

std::optional<ChangeRefusal> refused(Setting key, std::string reason)
{
    return ChangeRefusal{std::string(settingNameOf(key).name), std::move(reason)};
}

std::optional<ChangeRefusal> checkMqttTab(SettingsValues& values, const std::map<Setting, std::string>& typed)
{
    using S = Setting;
    TabEntries tab(values, typed);
    const MqttEntries entries{.enable = tab.ticked(S::MqttEnable),
                              .host = tab.text(S::MqttHost),
                              .port = tab.text(S::MqttPort),
                              .tls = tab.ticked(S::MqttTLS),
                              .caFile = tab.text(S::MqttCAFile),
                              .user = tab.text(S::MqttUser),
                              .password = tab.text(S::MqttPassword),
                              .topic = tab.text(S::MqttTopic),
                              .discovery = tab.ticked(S::MqttDiscovery)};
    if (tab.refusal())
        return tab.refusal();
    const MqttVerdict verdict = checkMqttEntries(entries);
    if (verdict.settings) {
        static_cast<MqttSettings&>(values) = *verdict.settings;
        return std::nullopt;
    }
    using Box = MqttVerdict::Box;
    const std::pair<Box, S> boxes[] = {{Box::Host, S::MqttHost}, {Box::Port, S::MqttPort}, {Box::CAFile, S::MqttCAFile},
                                       {Box::User, S::MqttUser}, {Box::Topic, S::MqttTopic}};
    const auto box = std::find_if(std::begin(boxes), std::end(boxes), [&](const auto& b) { return b.first == verdict.box; });
    return refused(box == std::end(boxes) ? S::MqttEnable : box->second, verdict.message);
}

std::optional<ChangeRefusal> checkDashboardTab(SettingsValues& values, const std::map<Setting, std::string>& typed)
{
    using S = Setting;
    TabEntries tab(values, typed);
    const HttpEntries entries{.enable = tab.ticked(S::HttpEnable),
                              .port = tab.text(S::HttpPort),
                              .localOnly = tab.ticked(S::HttpLocalOnly)};
    if (tab.refusal())
        return tab.refusal();
    const HttpVerdict verdict = checkHttpEntries(entries, values.TCPportNum);
    if (!verdict.settings)
        return refused(S::HttpPort, verdict.message);
    static_cast<HttpSettings&>(values) = *verdict.settings;
    return std::nullopt;
}

std::optional<ChangeRefusal> checkInfluxTab(SettingsValues& values, const std::map<Setting, std::string>& typed)
{
    using S = Setting;
    TabEntries tab(values, typed);
    const InfluxEntries entries{.enable = tab.ticked(S::InfluxEnable),
                                .url = tab.text(S::InfluxUrl),
                                .api = tab.whole(S::InfluxApi),
                                .database = tab.text(S::InfluxDatabase),
                                .user = tab.text(S::InfluxUser),
                                .password = tab.text(S::InfluxPassword),
                                .org = tab.text(S::InfluxOrg),
                                .bucket = tab.text(S::InfluxBucket),
                                .token = tab.text(S::InfluxToken),
                                .resolution = tab.resolution(S::InfluxResolution)};
    if (tab.refusal())
        return tab.refusal();
    const InfluxVerdict verdict = checkInfluxEntries(entries);
    if (verdict.settings) {
        static_cast<InfluxSettings&>(values) = *verdict.settings;
        return std::nullopt;
    }
    using Box = InfluxVerdict::Box;
    const std::pair<Box, S> boxes[] = {{Box::Url, S::InfluxUrl},       {Box::Database, S::InfluxDatabase},
                                       {Box::User, S::InfluxUser},     {Box::Org, S::InfluxOrg},
                                       {Box::Bucket, S::InfluxBucket}, {Box::Token, S::InfluxToken}};
    const auto box = std::find_if(std::begin(boxes), std::end(boxes), [&](const auto& b) { return b.first == verdict.box; });
    return refused(box == std::end(boxes) ? S::InfluxEnable : box->second, verdict.message);
}

// Takes a value the check accepted, in the stored form the key's loader reads.
void take(SettingsValues& values, Setting key, const std::string& stored)
{
    settingKey(key).load(values, stored);
}

// One box's check; the value goes into values when it passes.
std::optional<ChangeRefusal> checkBox(const SettingName& name, const std::string& typed, const SettingsValues& current,
                                      SettingsValues& values, NumberSymbols symbols, std::vector<std::string>& notes)
{
    switch (name.rule) {
    case EntryRule::ComPort: {
        const PortEntryVerdict verdict = comPortEntry(typed, current.ComPortNum, false);
        if (verdict.accepted) {
            take(values, name.key, std::to_string(*verdict.accepted));
            return std::nullopt;
        }
        // The panel passes over a text that is no number without a word; here it needs one.
        return refused(name.key, verdict.reason.empty()
                                     ? "\"" + typed + "\" is no COM port number: the numbers run from 1 to 64."
                                     : verdict.reason);
    }
    case EntryRule::TcpPort: {
        const PortEntryVerdict verdict = tcpPortEntry(typed, current.TCPportNum);
        if (!verdict.accepted)
            return refused(name.key, verdict.reason);
        take(values, name.key, std::to_string(*verdict.accepted));
        return std::nullopt;
    }
    case EntryRule::Connection: {
        const auto stored = typedConnection(typed);
        if (!stored)
            return refused(name.key, "\"" + typed + "\" is no connection method: usb, zigbee1 or zigbee2.");
        take(values, name.key, std::string(*stored));
        return std::nullopt;
    }
    case EntryRule::YesNo:
    case EntryRule::TriggerPush: {
        const auto yes = typedYesNo(typed);
        if (!yes)
            return refused(name.key, "\"" + typed + "\" is neither yes nor no.");
        take(values, name.key, name.rule == EntryRule::YesNo ? booleanText(*yes) : std::string(*yes ? "1" : "0"));
        return std::nullopt;
    }
    case EntryRule::Rate: {
        const RateVerdict verdict = checkRate(typed, symbols);
        switch (verdict.kind) {
        case RateVerdict::Kind::NotANumber:
            return refused(name.key, std::string(kRateNotANumberMessage));
        case RateVerdict::Kind::BelowLowest:
            return refused(name.key, std::string(kRateBelowLowestMessage));
        case RateVerdict::Kind::Confirm:
            notes.emplace_back(kRateAboveOneNote);
            break;
        case RateVerdict::Kind::Accept:
            break;
        }
        take(values, name.key, generalNumberText(verdict.value));
        return std::nullopt;
    }
    case EntryRule::WriteInterval:
    case EntryRule::PowerChange: {
        const FieldVerdict verdict = checkThreshold(
            typed, name.rule == EntryRule::WriteInterval ? kWriteIntervalField : kPowerChangeField, symbols);
        // The window corrects a value below the lowest and says so; a command line refuses it instead.
        if (!verdict.message.empty() || !verdict.value)
            return refused(name.key, verdict.message);
        take(values, name.key, std::to_string(*verdict.value));
        return std::nullopt;
    }
    case EntryRule::WebUser: {
        const auto user = acceptedUserName(typed);
        if (!user)
            return refused(name.key, std::string(kUserErrorMessage));
        take(values, name.key, *user);
        return std::nullopt;
    }
    case EntryRule::WebHost: {
        const auto host = acceptedHost(typed);
        if (!host)
            return refused(name.key, std::string(kHostErrorMessage));
        take(values, name.key, *host);
        return std::nullopt;
    }
    case EntryRule::MqttTab:
    case EntryRule::DashboardTab:
    case EntryRule::InfluxTab:
        break;
    }
    return std::nullopt;
}

bool isTab(EntryRule rule)
{
    return rule == EntryRule::MqttTab || rule == EntryRule::DashboardTab || rule == EntryRule::InfluxTab;
}

} // namespace

ChangeVerdict checkChanges(const SettingsValues& current, std::span<const SettingChange> changes, NumberSymbols symbols)
{
    ChangeVerdict verdict{.values = current};
    SettingsValues& values = verdict.values;
    std::map<Setting, std::string> typedInTabs;
    std::vector<EntryRule> tabsTouched;
    for (const SettingChange& change : changes) {
        const SettingName& name = *change.name;
        if (!change.typed) {
            take(values, name.key, std::string(settingKey(name.key).defaultText));
            typedInTabs.erase(name.key);
        } else if (isTab(name.rule))
            typedInTabs[name.key] = *change.typed;
        else if ((verdict.refusal = checkBox(name, *change.typed, current, values, symbols, verdict.notes)))
            return verdict;
        if (isTab(name.rule))
            tabsTouched.push_back(name.rule);
        // The dashboard's port may not be the TCP server's, whichever of the two changes.
        if (name.rule == EntryRule::TcpPort)
            tabsTouched.push_back(EntryRule::DashboardTab);
    }
    const std::pair<EntryRule, std::optional<ChangeRefusal> (*)(SettingsValues&, const std::map<Setting, std::string>&)>
        tabs[] = {{EntryRule::MqttTab, checkMqttTab},
                  {EntryRule::DashboardTab, checkDashboardTab},
                  {EntryRule::InfluxTab, checkInfluxTab}};
    for (const auto& [rule, check] : tabs) {
        if (std::find(tabsTouched.begin(), tabsTouched.end(), rule) == tabsTouched.end())
            continue;
        if ((verdict.refusal = check(values, typedInTabs)))
            return verdict;
    }
    for (const SettingKey& key : settingKeys()) {
        const bool named = std::any_of(changes.begin(), changes.end(),
                                       [&key](const SettingChange& change) { return change.name->key == key.id; });
        const std::string text = key.save(values);
        if (named || text != key.save(current))
            verdict.writes.emplace_back(key.id, text);
    }
    return verdict;
}
