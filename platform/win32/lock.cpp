#include "platform/lock.h"

#include <windows.h>

namespace platform {

static_assert(sizeof(CRITICAL_SECTION) <= 64 && alignof(CRITICAL_SECTION) <= 8);

static CRITICAL_SECTION *section(unsigned char *storage) { return reinterpret_cast<CRITICAL_SECTION *>(storage); }

Lock::Lock() { InitializeCriticalSection(section(storage_)); }
Lock::~Lock() { DeleteCriticalSection(section(storage_)); }
void Lock::enter() { EnterCriticalSection(section(storage_)); }
void Lock::leave() { LeaveCriticalSection(section(storage_)); }

} // namespace platform
