// The claims of the running instances of one configuration, kept in the user's runtime
// folder: per instance a lock that its program holds for as long as it runs, and beside it
// a claim file that says who holds it and what it uses.
#pragma once

#include "instance/instance_claim.h"
#include "platform/file_lock.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class ClaimFolder {
public:
    explicit ClaimFolder(std::string path) : path_(std::move(path)) {}

    // This user's, one per configuration folder ($XDG_CONFIG_HOME): programs of two
    // configurations (a test's, the demonstration's) never see each other's instances.
    static ClaimFolder ofThisUser();

    const std::string& path() const { return path_; }
    std::string lockFile(const std::string& instance) const;
    std::string claimFile(const std::string& instance) const;

    // The claims of the instances whose programs run now; the files of ended ones are passed over.
    std::vector<InstanceClaim> running() const;
    // The claim of the instance, when a program runs it.
    std::optional<InstanceClaim> running(const std::string& instance) const;

private:
    std::string path_;
};

// A program's claim on its instance and on what its settings name, from its start to its end.
class HeldClaim {
public:
    explicit HeldClaim(ClaimFolder folder);
    // The claim file goes, then the lock.
    ~HeldClaim();
    HeldClaim(const HeldClaim&) = delete;
    HeldClaim& operator=(const HeldClaim&) = delete;

    enum class Outcome {
        Taken,
        // The instance already runs, or a running instance uses what the claim names.
        Refused,
        // The runtime folder cannot be used: the program runs without a check, said in the line.
        Unchecked,
    };
    struct Result {
        Outcome outcome;
        // Why it is refused or unchecked; empty when taken.
        std::string line;
    };
    Result take(const InstanceClaim& claim);

private:
    Result unchecked(const std::string& reason);
    void release();

    ClaimFolder folder_;
    std::unique_ptr<FileLock> lock_;
    std::string claimFile_;
};
