// A movie file through layout identification, the header time and every movie layout reader.
#include <cstdint>

#include "assist_info_reader.h"
#include "chip_detect.h"
#include "layout_reader.h"
#include "fuzz_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FuzzFile file;
    const std::string& path = file.Hold(data, size);

    DetectLayout(path);
    ReadMovieTime(path);

    CAssistInfoReader table;
    for (const LayoutReader* layout : MovieLayouts()) {
        if (ReadMovieFile(*layout, path, table) != table.GetCount())
            __builtin_trap();
    }
    return 0;
}
