// Parsing and answering one command line of the resident server.
#include "server/command_protocol.h"

#include "server/reading_lines.h"

#include <optional>

namespace {

constexpr char kCarriageReturn = '\r';
const std::string kLineEnd = "\r\n";
// The shortest text that can hold a command: a prefix, a two-letter word, the CR.
constexpr std::size_t kShortestCommand = 5;
constexpr std::size_t kPrefixLength = 3;
// The search for a prefix stops where fewer than two characters would follow it.
constexpr std::size_t kShortestWord = 2;

std::string upperCase(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

// The word after the first prefix at a searched position, if there is one.
std::optional<std::string_view> wordAfter(std::string_view prefix, std::string_view line)
{
    for (std::size_t p = 0; p + kPrefixLength + kShortestWord <= line.size(); ++p) {
        if (line.substr(p, kPrefixLength) == prefix)
            return line.substr(p + kPrefixLength);
    }
    return std::nullopt;
}

} // namespace

bool endsWithCommand(std::string_view buffered)
{
    return !buffered.empty() && buffered.back() == kCarriageReturn;
}

CommandProtocol::CommandProtocol(const LiveReadings& readings, NumberSymbols symbols, SetCommandTarget& target)
    : readings_(readings), symbols_(symbols), target_(target)
{
}

std::string CommandProtocol::reply(std::string_view taken) const
{
    std::string line = upperCase(taken);
    if (line.size() < kShortestCommand)
        return "Error! Command length too short" + kLineEnd;
    line.pop_back();
    // The whole line is searched for GET before SET is looked for at all.
    if (const auto word = wordAfter("GET", line))
        return getReply(*word) + kLineEnd;
    if (const auto word = wordAfter("SET", line))
        return setReply(*word) + kLineEnd;
    return "Error! Command must start with \"get\" or \"set\"." + kLineEnd;
}

std::string CommandProtocol::getReply(std::string_view word) const
{
    return readingText(word, readings_, symbols_).value_or("Error! Improper command");
}

std::string CommandProtocol::setReply(std::string_view word) const
{
    if (word == "POL1") {
        target_.TogglePolarity(1);
        return "Toggled CH1 Polarity";
    }
    if (word == "POL2") {
        target_.TogglePolarity(2);
        return "Toggled CH2 Polarity";
    }
    if (word == "TRIGON") {
        target_.setTriggerPush(true);
        return "Auto Triggering has been Enabled";
    }
    if (word == "TRIGOFF") {
        target_.setTriggerPush(false);
        return "Auto Triggering has been Disabled";
    }
    return {};
}
