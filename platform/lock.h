// Mutual exclusion: a critical section on Windows, a mutex elsewhere.
#pragma once

namespace platform {

class Lock {
public:
    Lock();
    ~Lock();
    Lock(const Lock &) = delete;
    Lock &operator=(const Lock &) = delete;

    void enter();
    void leave();

private:
    // Large enough for a CRITICAL_SECTION (40 bytes) and a pthread_mutex_t (40 bytes);
    // each backend asserts that it fits, so the header needs no system includes.
    alignas(8) unsigned char storage_[64];
};

// Holds a Lock for the life of a scope.
class LockGuard {
public:
    explicit LockGuard(Lock &lock) : lock_(lock) { lock_.enter(); }
    ~LockGuard() { lock_.leave(); }
    LockGuard(const LockGuard &) = delete;
    LockGuard &operator=(const LockGuard &) = delete;

private:
    Lock &lock_;
};

} // namespace platform
