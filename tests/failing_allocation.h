// Allocation that fails on purpose: while an AllocationFailure lives, the failAt-th operator
// new on its thread (counting from 0, skipping those the exempt predicate names) throws
// std::bad_alloc. Tests walk failAt up until reached() stays false: every allocation of a
// call has then failed once.
#pragma once

namespace kmm::test {

class AllocationFailure {
public:
    explicit AllocationFailure(int failAt, bool (*exempt)() = nullptr);
    ~AllocationFailure();
    AllocationFailure(const AllocationFailure&) = delete;
    AllocationFailure& operator=(const AllocationFailure&) = delete;
    // Whether the failAt-th allocation was asked for (and failed).
    bool reached() const;
};

}  // namespace kmm::test
