// Whole-file writes that never leave a half-written file behind.
//
//   base::FileWriteResult r = base::WriteFileAtomically(dir / "Orvanta.ini", text);
//   if (!r) log(r.error);
//
// The content goes to a new temporary file in the target's folder (so the
// rename cannot cross file systems), is written whole, flushed and synced to
// disk, and only then renamed over the target. On any failure the temporary
// file is removed and the target keeps its previous content. A symbolic link
// is followed: the file it points to is replaced (the temporary file lies
// beside that one) and the link stays. A target that already exists keeps its
// permission bits; a new one gets the usual permissions for the user's umask.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace base {

struct FileWriteResult {
    bool ok = false;
    std::string error;  // the failing step and the system's reason; empty when ok
    explicit operator bool() const { return ok; }
};

FileWriteResult WriteFileAtomically(const std::filesystem::path& target, std::string_view content);

}  // namespace base
