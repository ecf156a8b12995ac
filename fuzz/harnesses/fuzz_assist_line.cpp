// One telemetry log line through parseAssistLine: the first byte is the shift.
#include <cstdint>
#include <vector>

#include "telemetry/telemetry_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) {
        return 0;
    }
    std::vector<char> line(data + 1, data + size);
    line.push_back('\0');
    TelemetryTable table;
    table.parseAssistLine(line.data(), data[0]);
    TelemetryEntry entry;
    for (int i = 0; i < table.count(); ++i) {
        table.copyEntry(i, entry);
    }
    return 0;
}
