// A lock on a file that the system lets go of when its holder ends, however it ends: a
// file left behind by a killed process never looks held.
#pragma once

#include <string>

class FileLock {
public:
    enum class State { Held, HeldElsewhere, Failed };

    // Opens the file at path, creating it when missing, and takes its lock if it is free.
    explicit FileLock(std::string path);
    // Lets go of the lock (and the file, when removeOnRelease was asked for).
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    State state() const { return state_; }
    // Why the file could not be opened or locked (the system's reason), when Failed.
    const std::string& failure() const { return failure_; }

    // The file goes when the lock does: only its holder may remove it, or a newcomer could
    // lock a file that is about to vanish.
    void removeOnRelease() { removeOnRelease_ = true; }

    // Whether someone holds the lock of the file at path now; it is not taken to find out.
    // False when there is no such file.
    static bool heldNow(const std::string& path);

private:
    std::string path_;
    int descriptor_ = -1;
    State state_ = State::Failed;
    std::string failure_;
    bool removeOnRelease_ = false;
};
