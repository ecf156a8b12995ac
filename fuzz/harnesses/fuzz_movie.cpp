// A movie file through layout identification, the header time and every movie layout reader.
#include <cstdint>

#include "fuzz/harnesses/fuzz_file.h"
#include "telemetry/chip_detect.h"
#include "telemetry/layout_reader.h"
#include "telemetry/telemetry_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FuzzFile file;
    const std::string& path = file.hold(data, size);

    detectLayout(path);
    readMovieTime(path);

    TelemetryTable table;
    for (const LayoutRow& row : movieLayouts()) {
        if (readMovieFile(row.reader(), path, table) != table.count()) {
            __builtin_trap();
        }
    }
    return 0;
}
