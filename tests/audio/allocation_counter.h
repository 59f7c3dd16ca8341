#pragma once
// Counts the heap allocations made on the calling thread while a scope is
// open, through a replacement of the global operator new in this test program.

#include <cstddef>

namespace knockbox::test {

class AllocationCounter {
public:
    AllocationCounter();
    ~AllocationCounter();
    AllocationCounter(const AllocationCounter&) = delete;
    AllocationCounter& operator=(const AllocationCounter&) = delete;
    std::size_t count() const;
};

}  // namespace knockbox::test
