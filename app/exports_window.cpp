#include "app/exports_window.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <filesystem>

#include "station/receiver.h"
#include "base/atomic_file.h"
#include "plot/trail_store.h"
#include "targets/target_export.h"

namespace app {

Exports::Exports(const Receiver& receiver, const plot::TrailStore& trails, base::MessageSink& messages,
                 QWidget* parent)
    : QObject(parent), receiver_(receiver), trails_(trails), messages_(messages), parent_(parent) {}

void Exports::addTo(QMenu& file) {
    QAction* exportTargets = file.addAction("Export &targets...");
    exportTargets->setObjectName("mnuFileExportTargets");
    connect(exportTargets, &QAction::triggered, this, &Exports::chooseTargetsFile);
    QAction* exportTracks = file.addAction("Export tr&acks...");
    exportTracks->setObjectName("mnuFileExportTracks");
    connect(exportTracks, &QAction::triggered, this, &Exports::chooseTracksFile);
}

Exports::TargetFormat Exports::TargetFormatOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == "geojson" || suffix == "json" ? TargetFormat::GeoJson : TargetFormat::Csv;
}

bool Exports::write(const QString& path, const std::string& content, const char* what) {
    const auto written = base::WriteFileAtomically(std::filesystem::path(path.toStdString()), content);
    if (!written) {
        messages_.operatorMessage(base::MessageIcon::Exclamation, "Orvanta",
                                  std::string("The ") + what + " could not be written: " + written.error);
    }
    return written.ok;
}

bool Exports::exportTargets(const QString& path, TargetFormat format) {
    const targets::Reference& st = receiver_.reference();
    targets::RowContext ctx;
    ctx.referenceMode = st.mode();
    ctx.refLat = st.lat();
    ctx.refLon = st.lon();
    const targets::TargetTable& table = receiver_.targets();
    return write(path,
                 format == TargetFormat::GeoJson ? targets::TargetsGeoJson(table, receiver_.clock().monotonicSeconds())
                                                 : targets::TargetListCsv(table, ctx),
                 "targets");
}

bool Exports::exportTracks(const QString& path) {
    return write(path, plot::TracksGpx(receiver_.targets(), trails_), "tracks");
}

void Exports::chooseTargetsFile() {
    const QString csv = "CSV (*.csv)";
    const QString geoJson = "GeoJSON (*.geojson)";
    QString chosen = csv;
    QString path = QFileDialog::getSaveFileName(parent_, "Export targets", QDir::home().filePath("targets.csv"),
                                                csv + ";;" + geoJson, &chosen);
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += chosen == geoJson ? ".geojson" : ".csv";
    exportTargets(path, TargetFormatOf(path));
}

void Exports::chooseTracksFile() {
    QString path =
        QFileDialog::getSaveFileName(parent_, "Export tracks", QDir::home().filePath("tracks.gpx"), "GPX (*.gpx)");
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += ".gpx";
    exportTracks(path);
}

}  // namespace app
