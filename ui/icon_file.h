// Pictures read from the data folder (the flag icons): only from a regular
// file of at most kMaxIconFileBytes holding a picture of at most
// kMaxIconSide pixels a side. Anything else (a missing file, a named pipe, a
// device, a folder, a link to one of those, a huge or broken picture) gives a
// null pixmap at once, never a wait.
//
//   const QPixmap flag = ui::LoadIconFile(target.FlagIcon);
//   if (!flag.isNull()) label->setPixmap(flag);
#pragma once

#include <QPixmap>
#include <cstddef>
#include <filesystem>

namespace ui {

inline constexpr std::size_t kMaxIconFileBytes = 1024 * 1024;
inline constexpr int kMaxIconSide = 1024;

QPixmap LoadIconFile(const std::filesystem::path& path);

}  // namespace ui
