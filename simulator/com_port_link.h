// The per-user link that names the simulator's terminal as a COM port, for as long as it lives.
#pragma once

#include <string>

class ComPortLink {
public:
    // Creates (or replaces) the link for the port number in the instance's port folder of
    // configDir, pointing at target; throws std::filesystem::filesystem_error when it cannot.
    ComPortLink(int portNumber, const std::string& configDir, const std::string& target,
                const std::string& instance = {});
    // Removes the link, unless another program has since pointed it elsewhere.
    ~ComPortLink();
    ComPortLink(const ComPortLink&) = delete;
    ComPortLink& operator=(const ComPortLink&) = delete;

    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::string target_;
};
