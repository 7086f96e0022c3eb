#include "station/data_folder.h"

#include <unistd.h>

#include <system_error>

namespace app {

namespace {

// Where installed programs live: never a data folder, even for root.
bool SystemProgramFolder(const std::filesystem::path& folder) {
    const std::filesystem::path f = folder.lexically_normal();
    for (const char* system : {"/bin", "/sbin", "/usr/bin", "/usr/sbin", "/usr/local/bin", "/usr/local/sbin"}) {
        if (f == system || f == std::filesystem::path(system) / "") return true;
    }
    return false;
}

}  // namespace

bool FolderWritable(const std::filesystem::path& folder) {
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) return false;
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

std::filesystem::path ResolveDataFolder(const std::optional<std::filesystem::path>& given,
                                        const std::filesystem::path& executableFolder, const char* homeFolder) {
    std::error_code ec;
    if (given && !given->empty()) {
        std::filesystem::create_directories(*given, ec);
        return *given;
    }
    if (!executableFolder.empty() && !SystemProgramFolder(executableFolder) && FolderWritable(executableFolder)) return executableFolder;
    std::filesystem::path home = homeFolder && *homeFolder ? std::filesystem::path(homeFolder)
                                                           : std::filesystem::temp_directory_path(ec);
    std::filesystem::path dir = home / ".local" / "share" / "Orvanta";
    std::filesystem::create_directories(dir, ec);
    return dir;
}

}  // namespace app
