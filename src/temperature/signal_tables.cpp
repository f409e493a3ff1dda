// Signal tables and their primitives. The wide table is generated data (data/); the narrow
// table is derived from it at compile time. The binary searches are answered from tables of
// their results, built once per process from the searches themselves.
#include "temperature/signal_tables.h"

#include <algorithm>
#include <array>
#include <vector>

#include "kernels/conversions.h"

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

constexpr SignalTable kWideTable{kWide.data(), kWideSignalTableSize - 1, 21000};
constexpr SignalTable kNarrowTable{kNarrow.data(), kNarrowSignalTableSize - 1, kNarrowCeiling};

// The search both index lookups share: the last mid examined.
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
struct SearchResults {
    std::vector<uint16_t> lastMid;  // fits: last <= 40959
    std::vector<float> position;

    explicit SearchResults(const SignalTable& table) {
        lastMid.reserve(slot(table.upperBound));
        position.reserve(slot(table.upperBound));
        for (int32_t t = kSignalTableFloor + 1; t < table.upperBound; ++t) {
            lastMid.push_back(uint16_t(searchSignalIndex(table, t)));
            position.push_back(searchSignalPosition(table, int16_t(t)));
        }
    }
    static size_t slot(int32_t tenths) { return size_t(tenths - (kSignalTableFloor + 1)); }
};

// The two tables are the only SignalTable objects; the function-local statics are built once,
// thread-safely, and only read afterwards.
const SearchResults& searchResults(const SignalTable& table) {
    if (&table == &kWideTable) {
        static const SearchResults wide(kWideTable);
        return wide;
    }
    static const SearchResults narrow(kNarrowTable);
    return narrow;
}

}  // namespace

const SignalTable& wideSignalTable() { return kWideTable; }
const SignalTable& narrowSignalTable() { return kNarrowTable; }

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

uint32_t tempToSignalIndex(const SignalTable& table, int32_t tenths) {
    if (tenths >= table.upperBound) return uint32_t(table.last);
    if (tenths <= kSignalTableFloor) return 0;
    return searchResults(table).lastMid[SearchResults::slot(tenths)];
}

float signalPosition(const SignalTable& table, int16_t tenths) {
    if (tenths >= table.upperBound) return float(table.last);
    if (tenths <= kSignalTableFloor) return 0.0f;
    return searchResults(table).position[SearchResults::slot(tenths)];
}

int32_t signalToTemp(const SignalTable& table, float x) {
    const int32_t k = saturatingTrunc<int32_t>(x);
    const int32_t k0 = k < 0 ? 0 : (k > table.last ? table.last : k);
    const int32_t k1 = std::min(k0 + 1, table.last);
    const int32_t base = table.entries[k0];
    const int32_t rise = table.entries[k1] - base;
    // A flat step reads back its entry; skipping the product keeps an infinite x finite.
    if (rise == 0) return base;
    return saturatingTrunc<int32_t>(float(rise) * (x - float(k0)) + float(base));
}

int32_t apparentFromObject(const SignalTable& table, int16_t tenths, uint32_t ref, int32_t pct) {
    const int64_t referencePart = (int64_t(100) - pct) * int64_t(ref);
    const float x =
        (float(referencePart) + float(pct) * signalPosition(table, tenths)) / 100.0f;
    return signalToTemp(table, x);
}

int32_t objectFromApparent(const SignalTable& table, int16_t tenths, uint32_t ref, int32_t pct) {
    if (pct < 1) return table.upperBound;
    if (pct > 98) return tenths;  // from 0.99 on the target counts as a black body
    const double p = signalPosition(table, tenths);
    const double referencePart = double((int64_t(100) - pct) * int64_t(ref));
    return signalToTemp(table, float((100.0 * p - referencePart) / double(pct)));
}

int16_t toTableTenths(float celsius) {
    return wrapToInt16(saturatingTrunc<int32_t>(celsius * 10.0f));
}

int32_t toReferenceTenths(float celsius) { return saturatingTrunc<int32_t>(celsius * 10.0f); }

int32_t toEmissivityPercent(float emissivity) {
    return saturatingTrunc<int32_t>(emissivity * 100.0f);
}

}  // namespace kmm
