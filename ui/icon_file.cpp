#include "ui/icon_file.h"

#include <QBuffer>
#include <QImageReader>

#include "base/text_file.h"

namespace ui {

QPixmap LoadIconFile(const std::filesystem::path& path) {
    if (path.empty()) return {};
    const base::FileBytes file = base::ReadFileBytes(path, kMaxIconFileBytes);
    if (!file.ok) return {};
    QByteArray bytes = QByteArray::fromRawData(file.bytes.data(), static_cast<qsizetype>(file.bytes.size()));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    // The header names the size; a small file may still claim a huge picture.
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > kMaxIconSide || size.height() > kMaxIconSide) return {};
    return QPixmap::fromImage(reader.read());
}

}  // namespace ui
