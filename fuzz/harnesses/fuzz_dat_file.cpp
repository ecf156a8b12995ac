// A sidecar file through ReadDatFile.
#include <cstdint>

#include "assist_info_reader.h"
#include "fuzz_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FuzzFile file;
    CAssistInfoReader table;
    const int result = table.ReadDatFile(file.Hold(data, size));
    if (result != table.GetCount())
        __builtin_trap();
    return 0;
}
