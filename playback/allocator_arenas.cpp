#include "allocator_arenas.h"

#include <malloc.h>

void LimitAllocatorArenas()
{
    mallopt(M_ARENA_MAX, 2);
}
