// A movie file through layout identification, the header time and all three layout readers.
#include <cstdint>

#include "assist_info_reader.h"
#include "chip_detect.h"
#include "fuzz_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FuzzFile file;
    const std::string& path = file.Hold(data, size);

    tagFileNode node;
    DetectChip(path, node);
    if (node.bICat + node.bAmbarella + node.bNT96650 > 1)
        __builtin_trap();
    ReadMovieTime(path);

    CAssistInfoReader table;
    for (auto reader : {&CAssistInfoReader::ReadICatMovie, &CAssistInfoReader::ReadA7LMovie,
                        &CAssistInfoReader::ReadNT96650Movie}) {
        if ((table.*reader)(path) != table.GetCount())
            __builtin_trap();
    }
    return 0;
}
