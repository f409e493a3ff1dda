// The one exception barrier at the C boundary. Every export runs its body through
// guardExport, so no exception (an allocation that cannot be had, above all) ever leaves an
// extern "C" function: the call ends with the export's documented "nothing written" result.
// Bodies take their work memory before they write an output, so stopping early leaves the
// caller's buffers as they were.
#pragma once

#include <new>
#include <type_traits>

#include "KModuleMeasureStatus.h"

namespace kmm {

// For exports that return nothing.
template <class Body>
void guardExport(Body&& body) noexcept {
    try {
        body();
    } catch (...) {
    }
}

// For exports that return a value: onFailure when the body throws.
template <class Result, class Body>
Result guardExport(Result onFailure, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return onFailure;
    }
}

// For the kmm_ API: the body's status, or the status that names the failure.
template <class Body>
kmm_status guardStatus(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return KMM_ERROR_OUT_OF_MEMORY;
    } catch (...) {
        return KMM_ERROR_INTERNAL;
    }
}

}  // namespace kmm
