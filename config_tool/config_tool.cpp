// kvo7730-config's commands.
#include "config_tool/config_tool.h"

#include "config_tool/user_units.h"
#include "platform/instance_name.h"
#include "platform/settings_store.h"
#include "settings/persisted_settings.h"

#include <algorithm>
#include <ostream>
#include <set>

namespace {

// The keys a running program writes back from its own memory, at its end or every few
// minutes: a change of one while it runs would be lost.
std::set<Setting> keysWrittenBack()
{
    std::set<Setting> keys(shutdownSaveOrder().begin(), shutdownSaveOrder().end());
    keys.insert(periodicSaveOrder().begin(), periodicSaveOrder().end());
    return keys;
}

std::string namesOf(const std::vector<std::pair<Setting, std::string>>& writes, const std::set<Setting>& among)
{
    std::string names;
    for (const auto& [key, text] : writes) {
        if (!among.contains(key) || isProgramState(key))
            continue;
        names += (names.empty() ? "" : ", ") + std::string(settingNameOf(key).name);
    }
    return names;
}

std::string runnerText(const InstanceClaim& runner)
{
    return runner.program + " (process " + std::to_string(runner.pid) + ")";
}

} // namespace

int ConfigTool::run(const ConfigRequest& request)
{
    using C = ConfigRequest::Command;
    switch (request.command) {
    case C::List: return list();
    case C::Get: return get(request.names);
    case C::Choices: return choices(*request.names.front());
    case C::Names: return names();
    case C::Instances: return instances();
    case C::Set:
    case C::Reset: return change(request);
    }
    return config_exit::Refused;
}

SettingsValues ConfigTool::loaded()
{
    PersistedSettings settings(context_.store);
    settings.loadAtStartup();
    for (const std::string& line : settings.fallbacks())
        context_.err << line << '\n';
    if (const auto failure = context_.store.failure())
        context_.err << "The settings file " << failure->path << " cannot be read: " << failure->reason << ".\n";
    return settings.values();
}

int ConfigTool::list()
{
    const SettingsValues values = loaded();
    context_.out << "Settings of " << instanceLabel(context_.instance) << ", in " << context_.storeLocation << ":\n";
    for (const SettingName& name : settingNames()) {
        std::string value = shownValue(name, values);
        if (name.form == ValueForm::Secret && !value.empty())
            value = "(set; get shows it)";
        context_.out << '\n' << name.name << " = " << value << "   (default: " << shownDefault(name) << ")\n    "
                     << name.meaning << '\n';
    }
    context_.out << "\nNot set here: the energy counters (";
    for (const Setting key : programStateKeys())
        context_.out << (key == programStateKeys().front() ? "" : ", ") << settingKey(key).name;
    context_.out << ") are the program's own state, which it keeps itself.\n";
    return config_exit::Success;
}

int ConfigTool::get(const std::vector<const SettingName*>& names)
{
    const SettingsValues values = loaded();
    for (const SettingName* name : names)
        context_.out << shownValue(*name, values) << '\n';
    return config_exit::Success;
}

int ConfigTool::choices(const SettingName& name)
{
    for (const std::string_view word : valueChoices(name.form))
        context_.out << word << '\n';
    return config_exit::Success;
}

int ConfigTool::names()
{
    for (const SettingName& name : settingNames())
        context_.out << name.name << '\n';
    return config_exit::Success;
}

int ConfigTool::instances()
{
    std::vector<std::string> instances = context_.configuredInstances();
    const std::vector<InstanceClaim> running = context_.claims.running();
    for (const InstanceClaim& claim : running) {
        if (std::find(instances.begin(), instances.end(), claim.instance) == instances.end())
            instances.push_back(claim.instance);
    }
    for (const std::string& instance : instances) {
        const auto runner = std::find_if(running.begin(), running.end(),
                                         [&instance](const InstanceClaim& claim) { return claim.instance == instance; });
        context_.out << (instance.empty() ? std::string(kDefaultInstanceWord) : instance) << '\t'
                     << (runner == running.end() ? std::string("not running") : "run by " + runnerText(*runner)) << '\n';
    }
    return config_exit::Success;
}

bool ConfigTool::write(const ChangeVerdict& verdict)
{
    for (const auto& [key, text] : verdict.writes)
        context_.store.write(std::string(settingKey(key).name), text);
    if (const auto failure = context_.store.failure()) {
        context_.err << "The settings cannot be saved in " << failure->path << ": " << failure->reason << ".\n";
        return false;
    }
    return true;
}

int ConfigTool::change(const ConfigRequest& request)
{
    const SettingsValues current = loaded();
    const ChangeVerdict verdict = checkChanges(current, request.changes, context_.symbols);
    if (verdict.refusal) {
        context_.err << verdict.refusal->name << ": " << verdict.refusal->reason << "\nNothing was saved.\n";
        return config_exit::Refused;
    }
    for (const std::string& note : verdict.notes)
        context_.err << note << '\n';

    const auto runner = context_.claims.running(context_.instance);
    if (runner && request.restart)
        return restartWith(verdict, *runner);
    if (runner) {
        const std::string lost = namesOf(verdict.writes, keysWrittenBack());
        if (!lost.empty()) {
            context_.err << runnerText(*runner) << " runs " << instanceLabel(context_.instance)
                         << " and saves its own " << lost
                         << " when it ends, over this change. Nothing was saved: add --restart to restart its systemd "
                            "unit with the change, or stop it first.\n";
            return config_exit::Busy;
        }
    }
    if (!write(verdict))
        return config_exit::Failure;
    context_.out << "Saved in " << context_.storeLocation << ".\n";
    if (runner)
        context_.out << runnerText(*runner) << " runs " << instanceLabel(context_.instance)
                     << ": it takes the change at its next start (kvo7730-config --restart, or systemctl --user restart "
                     << serviceUnitOf(context_.instance) << ").\n";
    else if (request.restart)
        context_.out << "No program runs " << instanceLabel(context_.instance) << ": there is nothing to restart.\n";
    for (const std::string& sentence : context_.sharedWithOthers(verdict.values))
        context_.err << sentence << '\n';
    return config_exit::Success;
}

int ConfigTool::restartWith(const ChangeVerdict& verdict, const InstanceClaim& runner)
{
    const std::string unit = serviceUnitOf(context_.instance);
    if (!context_.units.isActive(unit)) {
        context_.err << runnerText(runner) << " runs " << instanceLabel(context_.instance) << ", not the systemd unit "
                     << unit << ": end it, then run this again. Nothing was saved.\n";
        return config_exit::Busy;
    }
    // Stopped first, so that what it saves as it ends comes before the change, not over it.
    if (const auto failure = context_.units.stop(unit)) {
        context_.err << *failure << " Nothing was saved.\n";
        return config_exit::Failure;
    }
    if (const auto still = context_.claims.running(context_.instance)) {
        context_.err << runnerText(*still) << " still runs " << instanceLabel(context_.instance)
                     << ": end it, then run this again. Nothing was saved.\n";
        return config_exit::Busy;
    }
    const bool saved = write(verdict);
    if (saved)
        context_.out << "Saved in " << context_.storeLocation << ".\n";
    if (const auto failure = context_.units.start(unit)) {
        context_.err << *failure << '\n';
        return config_exit::Failure;
    }
    context_.out << unit << " restarted" << (saved ? " with the change.\n" : " as it was.\n");
    for (const std::string& sentence : context_.sharedWithOthers(verdict.values))
        context_.err << sentence << '\n';
    return saved ? config_exit::Success : config_exit::Failure;
}
