// One telemetry log line through ParseAssistLine: the first byte is the shift.
#include <cstdint>
#include <vector>

#include "assist_info_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    std::vector<char> line(data + 1, data + size);
    line.push_back('\0');
    CAssistInfoReader table;
    table.ParseAssistLine(line.data(), data[0]);
    tagAssistInfo entry;
    for (int i = 0; i < table.GetCount(); ++i)
        table.GetAssistInfo(i, entry);
    return 0;
}
