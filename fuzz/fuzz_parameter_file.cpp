// "Param.dat" on any bytes: loading takes as much of the 400-byte image as the file holds
// and keeps the rest of the table; the table written back is that image; and the file
// itself, held by one program alone, gives back exactly what was written to it.
#include <fstream>

#include "formats/parameter_file.h"
#include "formats/parameter_table.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string image(reinterpret_cast<const char*>(data), size);
    ParameterTable table = builtInParameterTable();
    const std::string builtIn = parameterTableImage(table);
    FUZZ_CHECK(builtIn.size() == kParameterFileSize);
    readParameterTableImage(image, table);
    const std::string loaded = parameterTableImage(table);
    const size_t covered = std::min(image.size(), kParameterFileSize);
    FUZZ_CHECK(loaded.substr(0, covered) == image.substr(0, covered));
    FUZZ_CHECK(loaded.substr(covered) == builtIn.substr(covered));

    // A check box stands for its value byte and back, for every code the file can name.
    for (const ParameterEntry& entry : table) {
        for (bool checked : {false, true})
            FUZZ_CHECK(parameterChecked(entry.code, parameterValueByte(entry.code, checked)) ==
                       checked);
    }

    // The file: the old content is the input, the save writes the loaded table.
    const std::string path = fuzzScratchDirectory() + "Param.dat";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << image;
    }
    ParameterFile file;
    FUZZ_CHECK(file.open(path));
    FUZZ_CHECK(file.readImage(kParameterFileSize) == image.substr(0, kParameterFileSize));
    ParameterFile second;
    FUZZ_CHECK(!second.open(path));
    FUZZ_CHECK(file.writeImage(loaded));
    FUZZ_CHECK(file.readImage(kParameterFileSize) == loaded);
    ParameterTable again = builtInParameterTable();
    readParameterTableImage(file.readImage(kParameterFileSize), again);
    FUZZ_CHECK(parameterTableImage(again) == loaded);
    return 0;
}
