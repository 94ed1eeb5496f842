// Recognising the attention byte and three-character commands in a byte stream.
#include "simulator/command_reader.h"

#include <cstdint>

namespace {

constexpr std::uint8_t kAttentionByte = 252;
constexpr std::size_t kCommandLength = 3;

bool isCommandCharacter(std::uint8_t byte)
{
    return byte > ' ' && byte < 127;
}

} // namespace

std::vector<std::string> CommandReader::take(std::string_view bytes)
{
    std::vector<std::string> words;
    for (const char c : bytes) {
        const auto byte = static_cast<std::uint8_t>(c);
        if (byte == kAttentionByte) {
            // The attention byte opens a fresh exchange: a half-sent command is abandoned.
            partial_.clear();
            words.emplace_back(kAttentionWord);
        } else if (isCommandCharacter(byte)) {
            partial_ += c;
            if (partial_.size() == kCommandLength) {
                words.push_back(partial_);
                partial_.clear();
            }
        } else {
            // Any other byte cannot belong to a command; it spoils the one being collected.
            partial_.clear();
        }
    }
    return words;
}
