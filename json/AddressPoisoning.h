#pragma once

// Under AddressSanitizer, memory that the library keeps but nobody may use (a free node slot, a
// cached block) is poisoned, so that a stale pointer into it is reported instead of reading
// whatever reuses it. Elsewhere these do nothing.
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define UJSON_POISON(address, size) ASAN_POISON_MEMORY_REGION(address, size)
#define UJSON_UNPOISON(address, size) ASAN_UNPOISON_MEMORY_REGION(address, size)
#else
#define UJSON_POISON(address, size) ((void)(address), (void)(size))
#define UJSON_UNPOISON(address, size) ((void)(address), (void)(size))
#endif
