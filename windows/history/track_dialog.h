// FrmTrack: "Track..." of one station: choose a period (the last hour, 6 h,
// 24 h, 7 days, or from-to in UTC), show the stored track on the plot, clear
// it, export it (GPX, GeoJSON, CSV). Non-blocking: shown, never run in a
// loop of its own; the store is asked through a HistoryReader, and a newer
// "Show" supersedes one still running. What went wrong, or that nothing was
// stored, is a line in the dialog (lblTrackStatus), never a box.
//
//   auto* d = new history::FrmTrack({mmsi, name}, reader, [&] { return location; }, parent);
//   d->onTrack = [&](int32_t mmsi, const QString& label, const std::vector<history::PositionRow>& rows) {...};
//   d->onClear = [&](int32_t mmsi) {...};
//   d->show();
//
// Controls: cmbTrackPeriod, dtTrackFrom, dtTrackTo, cmdShowTrack,
// cmdClearTrack, cmdExportTrack, lblTrackStatus; the export's file dialog
// is dlgExportTrack.
#pragma once

#include <QDialog>
#include <QFileDialog>
#include <QPointer>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "history/history_store.h"
#include "windows/history/history_reader_window.h"

class QComboBox;
class QDateTimeEdit;

class QLabel;
class QPushButton;

namespace history {

// The period of a choice of cmbTrackPeriod ending at `now`; from-to (index
// 4) gives nothing: its times come from the two boxes.
enum class TrackPeriod { Hour, SixHours, Day, Week, FromTo };
std::pair<TimeMs, TimeMs> PeriodEnding(TrackPeriod period, TimeMs now);
// "track-244123456.gpx" with the format's usual extension.
QString TrackFileName(int32_t mmsi, const QString& format);
// The format of a file name by its extension (gpx, geojson/json, csv); empty when none fits.
QString TrackFormatOf(const QString& path);

class FrmTrack : public QDialog {
    Q_OBJECT
public:
    struct Station {
        int32_t mmsi = 0;
        QString name;  // from the air: plain text
    };
    FrmTrack(Station station, HistoryReader& reader, std::function<std::string()> location, QWidget* parent = nullptr);

    int32_t mmsi() const { return station_.mmsi; }
    QString label() const;
    // The clock the periods end at (UTC ms); the system's by default.
    void setNow(std::function<TimeMs()> now) { now_ = std::move(now); }
    // The periods end at a past moment (a row of a past situation): the
    // from-to boxes show the day up to it, and the status line says so.
    void setPeriodEnd(TimeMs at);
    // Asks the store for the chosen period.
    void showTrack();
    // Writes the track last shown to path, atomically; false with a message in the status line.
    bool exportTo(const QString& path, const QString& format);
    const std::vector<PositionRow>& rows() const { return rows_; }
    QString statusText() const;
    QFileDialog* exportDialog() const { return exportDialog_; }

    std::function<void(int32_t mmsi, const QString& label, const std::vector<PositionRow>& rows)> onTrack;
    std::function<void(int32_t mmsi)> onClear;

private:
    void answered(const TrackAnswer& answer, TimeMs from, TimeMs to);
    void setStatus(const QString& text);
    void startExport();

    Station station_;
    HistoryReader& reader_;
    std::function<std::string()> location_;
    std::function<TimeMs()> now_;
    std::vector<PositionRow> rows_;
    QComboBox* cmbPeriod_ = nullptr;
    QDateTimeEdit* dtFrom_ = nullptr;
    QDateTimeEdit* dtTo_ = nullptr;
    QPushButton* cmdShow_ = nullptr;
    QPushButton* cmdClear_ = nullptr;
    QPushButton* cmdExport_ = nullptr;
    QLabel* lblStatus_ = nullptr;
    QPointer<QFileDialog> exportDialog_;
};

}  // namespace history
