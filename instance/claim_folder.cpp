// Claim files and their locks in the runtime folder.
#include "instance/claim_folder.h"

#include "platform/com_port_path.h"
#include "platform/instance_name.h"

#include <QCryptographicHash>
#include <QDir>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kClaimSuffix = ".claim";

std::string fileLabel(const std::string& instance)
{
    return instance.empty() ? std::string(kDefaultInstanceWord) : instance;
}

std::optional<InstanceClaim> readClaim(const std::string& path)
{
    std::ifstream file(path);
    if (!file)
        return std::nullopt;
    std::ostringstream text;
    text << file.rdbuf();
    return parseClaim(text.str());
}

// Written beside the claim file and renamed over it, so a reader never sees half of one.
bool writeClaim(const std::string& path, const InstanceClaim& claim, std::string& reason)
{
    const std::string next = path + ".new-" + std::to_string(claim.pid);
    {
        std::ofstream file(next, std::ios::trunc);
        file << claimText(claim);
        file.flush();
        if (!file) {
            reason = std::strerror(errno);
            return false;
        }
    }
    std::error_code error;
    fs::rename(next, path, error);
    if (error) {
        reason = error.message();
        fs::remove(next, error);
        return false;
    }
    return true;
}

// The user's runtime folder. Without XDG_RUNTIME_DIR (a login without a session, as su
// gives) Qt would warn on standard error, where the service's log is; a folder of the
// user's own in the temporary folder stands in.
std::string runtimeFolder()
{
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return QDir::tempPath().toStdString() + "/runtime-" + std::to_string(::getuid());
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation).toStdString();
}

} // namespace

ClaimFolder ClaimFolder::ofThisUser()
{
    std::error_code error;
    const fs::path config = fs::weakly_canonical(fs::absolute(userConfigDir(), error), error);
    const QByteArray key = QCryptographicHash::hash(QByteArray::fromStdString(config.string()),
                                                    QCryptographicHash::Sha1)
                               .toHex()
                               .left(12);
    return ClaimFolder(runtimeFolder() + "/DARavev/config-" + key.toStdString());
}

std::string ClaimFolder::lockFile(const std::string& instance) const
{
    return path_ + "/" + fileLabel(instance) + ".lock";
}

std::string ClaimFolder::claimFile(const std::string& instance) const
{
    return path_ + "/" + fileLabel(instance) + std::string(kClaimSuffix);
}

std::vector<InstanceClaim> ClaimFolder::running() const
{
    std::vector<InstanceClaim> claims;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(path_, error)) {
        if (entry.path().extension() != kClaimSuffix)
            continue;
        const std::string label = entry.path().stem().string();
        if (!FileLock::heldNow(path_ + "/" + label + ".lock"))
            continue;
        if (auto claim = readClaim(entry.path().string()))
            claims.push_back(std::move(*claim));
    }
    return claims;
}

std::optional<InstanceClaim> ClaimFolder::running(const std::string& instance) const
{
    if (!FileLock::heldNow(lockFile(instance)))
        return std::nullopt;
    return readClaim(claimFile(instance));
}

HeldClaim::HeldClaim(ClaimFolder folder)
    : folder_(std::move(folder))
{
}

HeldClaim::~HeldClaim()
{
    release();
}

void HeldClaim::release()
{
    if (!claimFile_.empty()) {
        std::error_code ignored;
        fs::remove(claimFile_, ignored);
        claimFile_.clear();
    }
    lock_.reset();
}

HeldClaim::Result HeldClaim::unchecked(const std::string& reason)
{
    release();
    return {Outcome::Unchecked, "Whether another instance uses the same port or topic cannot be checked: " + reason + "."};
}

HeldClaim::Result HeldClaim::take(const InstanceClaim& claim)
{
    release();
    std::error_code error;
    fs::create_directories(folder_.path(), error);
    if (error)
        return unchecked("the folder " + folder_.path() + " cannot be made (" + error.message() + ")");
    fs::permissions(folder_.path(), fs::perms::owner_all, error);

    lock_ = std::make_unique<FileLock>(folder_.lockFile(claim.instance));
    switch (lock_->state()) {
    case FileLock::State::Held:
        break;
    case FileLock::State::HeldElsewhere: {
        lock_.reset();
        const auto holder = folder_.running(claim.instance);
        return {Outcome::Refused, instanceLabelFirst(claim.instance) + " already runs"
                                      + (holder ? " (" + holderText(*holder) + ")." : std::string("."))};
    }
    case FileLock::State::Failed:
        return unchecked(folder_.lockFile(claim.instance) + " cannot be locked (" + lock_->failure() + ")");
    }
    lock_->removeOnRelease();

    // Written before the others are read: of two instances that start at once with one
    // port, each sees the other, and neither is let through unseen.
    std::string reason;
    if (!writeClaim(folder_.claimFile(claim.instance), claim, reason))
        return unchecked(folder_.claimFile(claim.instance) + " cannot be written (" + reason + ")");
    claimFile_ = folder_.claimFile(claim.instance);

    std::vector<InstanceClaim> others = folder_.running();
    std::erase_if(others, [&claim](const InstanceClaim& other) { return other.instance == claim.instance; });
    if (const auto clash = clashWith(claim, others)) {
        release();
        return {Outcome::Refused, *clash};
    }
    return {Outcome::Taken, {}};
}
