// A sidecar file through its reader.
#include <cstdint>

#include "fuzz/harnesses/fuzz_file.h"
#include "telemetry/layout_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FuzzFile file;
    TelemetryTable table;
    const int result = readSidecar(file.hold(data, size), table).result;
    if (result != table.count()) {
        __builtin_trap();
    }
    return 0;
}
