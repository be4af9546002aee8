#pragma once
// The run's settings and counters, shared by the driver, discovery and the engine.
#include <cstdint>
#include <string>

namespace ferrowick {

enum class RunMode { SingleFolder, MultipleFolders };

struct RunSettings {
    RunMode Mode = RunMode::SingleFolder;
    std::u16string SourceFolder;
    std::u16string FilePattern;
    std::int32_t NextMessageNumber = 0;
    std::int32_t NextFolderNumber = 0;  // never reset: folder keys keep rising across scans
    std::int32_t MessageCount = 0;
};

}  // namespace ferrowick
