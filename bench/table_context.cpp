// Builds, writes and reads back a table context of 100,000 contents-table-like rows, and
// prints the time of each step. About a second on an idle machine; work that grows faster
// than the rows shows here first.
//   bench_table_context [ROWS]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "pst/ltp/table_context.hpp"

namespace {

using namespace ferrowick::pst;
using Clock = std::chrono::steady_clock;

constexpr PropertyTag kSubject{0x0037, PropertyType::String};
constexpr PropertyTag kSize{0x0E08, PropertyType::Integer32};
constexpr PropertyTag kDelivered{0x0E06, PropertyType::Time};
constexpr PropertyTag kImportance{0x0017, PropertyType::Integer16};
constexpr PropertyTag kRead{0x0E69, PropertyType::Boolean};
constexpr PropertyTag kClass{0x001A, PropertyType::String8};

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

}  // namespace

int main(int argc, char** argv) {
    const std::uint32_t rows = argc > 1 ? static_cast<std::uint32_t>(std::strtoul(argv[1], nullptr, 10)) : 100000;
    auto start = Clock::now();
    TableContext table({kSubject, kSize, kDelivered, kImportance, kRead, kClass});
    for (std::uint32_t n = 0; n < rows; ++n) {
        table.PutRow(0x200000 + (n * 2654435761u) % 0x1000000,
                     {{kSubject, PropertyValue::String(u"Message number " + std::u16string(n % 5, u'!'))},
                      {kSize, PropertyValue::Integer32(static_cast<std::int32_t>(1000 + n))},
                      {kDelivered, PropertyValue::Time(0x01D0000000000000ULL + n)},
                      {kImportance, PropertyValue::Integer16(static_cast<std::int16_t>(n % 3))},
                      {kRead, PropertyValue::Boolean(n % 2 == 0)},
                      {kClass, PropertyValue::String8("IPM.Note")}});
    }
    const double build = Seconds(start);
    start = Clock::now();
    const NodeData node = table.Write();
    const double write = Seconds(start);
    start = Clock::now();
    const TableContext back = TableContext::Read(node);
    const double read = Seconds(start);
    if (back.RowCount() != table.RowCount()) {
        std::fprintf(stderr, "read back %zu of %zu rows\n", back.RowCount(), table.RowCount());
        return 1;
    }
    std::printf("%zu rows: build %.3f s, write %.3f s, read %.3f s, total %.3f s\n", table.RowCount(), build, write,
                read, build + write + read);
    return 0;
}
