// A sidecar file through readDatFile.
#include <cstdint>

#include "fuzz_file.h"
#include "telemetry_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FuzzFile file;
    TelemetryTable table;
    const int result = table.readDatFile(file.hold(data, size));
    if (result != table.count())
        __builtin_trap();
    return 0;
}
