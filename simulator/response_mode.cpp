// The reply the emulated monitor gives to a word it knows.
#include "simulator/response_mode.h"

std::optional<std::uint8_t> ResponseMode::replyTo(const std::string& word) const
{
    if (silent)
        return std::nullopt;
    if (unansweredWords.contains(word) || (answeredWords && !answeredWords->contains(word)))
        return std::nullopt;
    return answerByte;
}
