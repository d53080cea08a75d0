#include "platform/lock.h"

#include <pthread.h>

namespace platform {

static_assert(sizeof(pthread_mutex_t) <= 64 && alignof(pthread_mutex_t) <= 8);

static pthread_mutex_t *mutex(unsigned char *storage) { return reinterpret_cast<pthread_mutex_t *>(storage); }

Lock::Lock() {
    // Recursive, as a critical section is: the owner may enter again.
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(mutex(storage_), &attributes);
    pthread_mutexattr_destroy(&attributes);
}

Lock::~Lock() { pthread_mutex_destroy(mutex(storage_)); }
void Lock::enter() { pthread_mutex_lock(mutex(storage_)); }
void Lock::leave() { pthread_mutex_unlock(mutex(storage_)); }

} // namespace platform
