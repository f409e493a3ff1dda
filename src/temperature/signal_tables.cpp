// Signal tables and their primitives. The wide table is generated data (data/); the narrow
// table is derived from it at compile time. The binary searches are answered from tables of
// their results, built once per process from the searches themselves.
#include "temperature/signal_tables.h"

#include <algorithm>
#include <array>
#include <vector>

namespace kmm {
namespace {

constexpr std::array<int16_t, kWideSignalTableSize> kWide = {
#include "temperature/data/wide_signal_table.inc"
};

constexpr int16_t kNarrowCeiling = 8500;

constexpr std::array<int16_t, kNarrowSignalTableSize> makeNarrow() {
    std::array<int16_t, kNarrowSignalTableSize> narrow{};
    for (int32_t i = 0; i < kNarrowSignalTableSize; ++i)
        narrow[size_t(i)] = std::min(kWide[size_t(i)], kNarrowCeiling);
    return narrow;
}
constexpr auto kNarrow = makeNarrow();

// The raw tables the searches walk; the tabulated forms below are built from them.
constexpr SignalTable kWideSearch{kWide.data(), kWideSignalTableSize - 1, 21000, nullptr, nullptr};
constexpr SignalTable kNarrowSearch{kNarrow.data(), kNarrowSignalTableSize - 1, kNarrowCeiling,
                                    nullptr, nullptr};

int32_t searchLastMid(const SignalTable& table, int32_t tenths) {
    int32_t lo = 0;
    int32_t hi = table.last;
    int32_t mid = 0;
    do {
        mid = (lo + hi) / 2;
        const int32_t v = table.entries[mid];
        if (v < tenths) {
            lo = mid + 1;
        } else if (v > tenths) {
            hi = mid - 1;
        } else {
            break;
        }
    } while (lo <= hi);
    return mid;
}

// A search's result depends only on the table and the tenths searched for, and only tenths
// strictly between the floor and the upper bound are searched: 21,449 of them on the wide
// table, 8,949 on the narrow one. Both answers for each, ~180 KB in all, built at first use.
struct TabulatedTable {
    std::vector<uint16_t> lastMids;  // fits: last <= 40959
    std::vector<float> positions;
    SignalTable view;

    explicit TabulatedTable(const SignalTable& search) : view(search) {
        lastMids.reserve(searchSlot(search.upperBound));
        positions.reserve(searchSlot(search.upperBound));
        for (int32_t t = kSignalTableFloor + 1; t < search.upperBound; ++t) {
            lastMids.push_back(uint16_t(searchSignalIndex(search, t)));
            positions.push_back(searchSignalPosition(search, int16_t(t)));
        }
        view.lastMids = lastMids.data();
        view.positions = positions.data();
    }
};

}  // namespace

// Function-local statics: built once, thread-safely, and only read afterwards.
const SignalTable& wideSignalTable() {
    static const TabulatedTable wide(kWideSearch);
    return wide.view;
}
const SignalTable& narrowSignalTable() {
    static const TabulatedTable narrow(kNarrowSearch);
    return narrow.view;
}

uint32_t searchSignalIndex(const SignalTable& table, int32_t tenths) {
    if (tenths >= table.upperBound) return uint32_t(table.last);
    if (tenths <= kSignalTableFloor) return 0;
    return uint32_t(searchLastMid(table, tenths));
}

float searchSignalPosition(const SignalTable& table, int16_t tenths) {
    if (tenths >= table.upperBound) return float(table.last);
    if (tenths <= kSignalTableFloor) return 0.0f;
    const int32_t m = searchLastMid(table, tenths);
    const int32_t v = table.entries[m];
    if (m == 0 || m == table.last || tenths == v) return float(m);
    // The search ends beside t, so the neighbour on t's side differs from v: no zero divisor.
    if (tenths > v)
        return float(double(m) + double(tenths - v) / double(table.entries[m + 1] - v));
    return float(double(m) - double(v - tenths) / double(v - table.entries[m - 1]));
}

}  // namespace kmm
