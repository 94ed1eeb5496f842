// A monitor on the far side of a FakeSerialPort that answers the program word by word:
// the attention byte, or three characters written at once or one per write.
#pragma once

#include "link/command_exchange.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class WordPeer {
public:
    // The reply bytes to one word ("" for silence).
    using Script = std::function<std::string(const std::string& word)>;

    explicit WordPeer(Script script = {}) : script_(std::move(script)) {}

    std::string operator()(std::string_view bytes)
    {
        std::string reply;
        for (const char c : bytes) {
            partial_ += c;
            if (partial_.size() == 3 || partial_ == attentionWord()) {
                words.push_back(partial_);
                partial_.clear();
                if (script_)
                    reply += script_(words.back());
            }
        }
        return reply;
    }

    static std::string attentionWord() { return std::string(1, monitor_command::kAck); }

    // Every word seen, in order.
    std::vector<std::string> words;

private:
    Script script_;
    std::string partial_;
};

// Scripts for the usual monitors.
namespace peer_script {
inline std::string ack() { return WordPeer::attentionWord(); }

// Acknowledges every word except those listed, which get no reply at all.
inline WordPeer::Script acknowledgeAllBut(std::vector<std::string> silentWords)
{
    return [silentWords = std::move(silentWords)](const std::string& word) {
        for (const auto& silent : silentWords)
            if (silent == word)
                return std::string();
        return ack();
    };
}
} // namespace peer_script
