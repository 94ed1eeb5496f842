// How the emulated monitor answers the words it accepts: normally, or faulty on purpose.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>

inline constexpr std::uint8_t kAcknowledgeByte = 252;

struct ResponseMode {
    // Answer nothing at all.
    bool silent = false;
    // The byte sent for an accepted word; anything but 252 is a refusal.
    std::uint8_t answerByte = kAcknowledgeByte;
    // When set, only these words (commands, or "252" for the attention byte) are answered.
    std::optional<std::set<std::string>> answeredWords = std::nullopt;
    // Words never answered; a value byte of a set-up sequence is named after the word
    // it follows with a "+" ("TYP+", "IVL+" for both interval bytes).
    std::set<std::string> unansweredWords;
    // How much of the 33-byte settings block "SET" "RCV" sends (less for a faulty monitor).
    std::size_t settingsBlockLength = 33;

    // The reply to a known word, or nothing when the monitor stays silent.
    std::optional<std::uint8_t> replyTo(const std::string& word) const;
};
