// The data folder: where Orvanta.ini, Shipdata.dat, AIS_Messages/, Flags/ and
// Database/ live. Chosen once at start:
//   1. the folder given with --data-dir (created when missing),
//   2. else the folder of the executable when this user may write there and
//      it is not a system folder of programs (/usr/bin and the like: an
//      installed program run by root keeps its data in root's home),
//   3. else ~/.local/share/Orvanta (created when missing).
//
//   auto dir = app::ResolveDataFolder(argDir, exeDir, std::getenv("HOME"));
//
// Never throws; a folder that cannot be created is still returned, so the
// files in it fail the way their own code reports.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace app {

inline constexpr const char* kSetupFileName = "Orvanta.ini";

std::filesystem::path ResolveDataFolder(const std::optional<std::filesystem::path>& given,
                                        const std::filesystem::path& executableFolder, const char* homeFolder);

// True when the current user may create files in folder.
bool FolderWritable(const std::filesystem::path& folder);

}  // namespace app
