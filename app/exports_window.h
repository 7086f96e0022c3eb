// File > Export targets... and File > Export tracks...: the target list as
// CSV (the list's columns and order) or, with a .geojson or .json suffix, as
// GeoJSON; the trails of the run as GPX. A file is written whole or not at
// all; a failure is told as an operator message.
#pragma once

#include <QObject>
#include <QString>
#include <string>

class QMenu;
class QWidget;

namespace base {
class MessageSink;
}
namespace plot {
class TrailStore;
}

namespace app {

class Receiver;

class Exports : public QObject {
    Q_OBJECT
public:
    // parent: the window the file dialogs belong to. messages: where a failure is told.
    Exports(const Receiver& receiver, const plot::TrailStore& trails, base::MessageSink& messages, QWidget* parent);

    // Adds the two export entries (mnuFileExportTargets, mnuFileExportTracks) to the File menu.
    void addTo(QMenu& file);

    enum class TargetFormat { Csv, GeoJson };
    static TargetFormat TargetFormatOf(const QString& path);
    // Return whether the file was written.
    bool exportTargets(const QString& path, TargetFormat format);
    bool exportTracks(const QString& path);

private:
    // The file dialogs add the suffix of the chosen type when the name has none.
    void chooseTargetsFile();
    void chooseTracksFile();
    bool write(const QString& path, const std::string& content, const char* what);

    const Receiver& receiver_;
    const plot::TrailStore& trails_;
    base::MessageSink& messages_;
    QWidget* parent_;
};

}  // namespace app
