// The number of heap allocations made so far through any form of global
// operator new; counted only in a binary that links counting_allocator.cpp.
#pragma once

long AllocationCount();
