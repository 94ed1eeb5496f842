// Splits the bytes the program sends to the monitor into the monitor's words.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The attention byte 252, named as a word so it can stand in a list next to commands.
inline constexpr std::string_view kAttentionWord = "252";

// A word is the attention byte or a command of three printable characters. The
// program may write a command in one write or one character per write, so the
// characters of a command are collected across calls.
class CommandReader {
public:
    // The words that these bytes complete, in order.
    std::vector<std::string> take(std::string_view bytes);

private:
    std::string partial_;
};
