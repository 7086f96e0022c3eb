#include "windows/history/track_dialog.h"

#include <QComboBox>
#include <QDateTime>
#include <QDateTimeEdit>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTimeZone>
#include <QVBoxLayout>

#include "base/atomic_file.h"
#include "history/track_output.h"
#include "ui/plain_text.h"

namespace history {

namespace {

constexpr TimeMs kHour = 3600 * 1000;

QString Utc(TimeMs ms) {
    return QDateTime::fromMSecsSinceEpoch(ms, QTimeZone::utc()).toString("yyyy-MM-dd HH:mm:ss") + " UTC";
}

QString Count(size_t n) { return QLocale().toString(static_cast<qulonglong>(n)); }

struct Format {
    const char* format;
    const char* filter;
};
constexpr Format kFormats[] = {
    {"gpx", "GPX (*.gpx)"},
    {"geojson", "GeoJSON (*.geojson *.json)"},
    {"csv", "CSV (*.csv)"},
};

}  // namespace

std::pair<TimeMs, TimeMs> PeriodEnding(TrackPeriod period, TimeMs now) {
    switch (period) {
        case TrackPeriod::Hour: return {now - kHour, now};
        case TrackPeriod::SixHours: return {now - 6 * kHour, now};
        case TrackPeriod::Day: return {now - 24 * kHour, now};
        case TrackPeriod::Week: return {now - 7 * 24 * kHour, now};
        case TrackPeriod::FromTo: break;
    }
    return {0, -1};
}

QString TrackFileName(int32_t mmsi, const QString& format) {
    return QString("track-%1.%2").arg(mmsi).arg(format);
}

QString TrackFormatOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == "gpx" || suffix == "csv" || suffix == "geojson") return suffix;
    if (suffix == "json") return "geojson";
    return {};
}

FrmTrack::FrmTrack(Station station, HistoryReader& reader, std::function<std::string()> location, QWidget* parent)
    : QDialog(parent),
      station_(std::move(station)),
      reader_(reader),
      location_(std::move(location)),
      now_([] { return QDateTime::currentMSecsSinceEpoch(); }) {
    setObjectName("frmTrack");
    setWindowTitle("Track - " + label());
    auto* top = new QVBoxLayout(this);
    top->addWidget(ui::PlainLabel(label(), this));

    auto* form = new QFormLayout;
    cmbPeriod_ = new QComboBox(this);
    cmbPeriod_->setObjectName("cmbTrackPeriod");
    cmbPeriod_->addItems({"Last hour", "Last 6 hours", "Last 24 hours", "Last 7 days", "From - to (UTC)"});
    cmbPeriod_->setCurrentIndex(static_cast<int>(TrackPeriod::Day));
    form->addRow("&Period:", cmbPeriod_);
    const auto timeBox = [this](const char* name, TimeMs at) {
        auto* box = new QDateTimeEdit(QDateTime::fromMSecsSinceEpoch(at, QTimeZone::utc()), this);
        box->setObjectName(name);
        box->setTimeSpec(Qt::UTC);
        box->setDisplayFormat("yyyy-MM-dd HH:mm");
        box->setCalendarPopup(true);
        box->setEnabled(false);
        return box;
    };
    const TimeMs now = now_();
    dtFrom_ = timeBox("dtTrackFrom", now - 24 * kHour);
    dtTo_ = timeBox("dtTrackTo", now);
    form->addRow("&From:", dtFrom_);
    form->addRow("&To:", dtTo_);
    top->addLayout(form);
    connect(cmbPeriod_, &QComboBox::currentIndexChanged, this, [this](int i) {
        dtFrom_->setEnabled(i == static_cast<int>(TrackPeriod::FromTo));
        dtTo_->setEnabled(i == static_cast<int>(TrackPeriod::FromTo));
    });

    lblStatus_ = ui::PlainLabel("Choose a period and Show.", this);
    lblStatus_->setObjectName("lblTrackStatus");
    lblStatus_->setWordWrap(true);
    lblStatus_->setMinimumWidth(fontMetrics().averageCharWidth() * 48);
    top->addWidget(lblStatus_);

    auto* buttons = new QDialogButtonBox(this);
    cmdShow_ = buttons->addButton("&Show", QDialogButtonBox::ActionRole);
    cmdShow_->setObjectName("cmdShowTrack");
    cmdShow_->setDefault(true);
    cmdClear_ = buttons->addButton("C&lear track", QDialogButtonBox::ActionRole);
    cmdClear_->setObjectName("cmdClearTrack");
    cmdExport_ = buttons->addButton("&Export...", QDialogButtonBox::ActionRole);
    cmdExport_->setObjectName("cmdExportTrack");
    cmdExport_->setEnabled(false);
    buttons->addButton(QDialogButtonBox::Close);
    top->addWidget(buttons);
    connect(cmdShow_, &QPushButton::clicked, this, &FrmTrack::showTrack);
    connect(cmdClear_, &QPushButton::clicked, this, [this] {
        if (onClear) onClear(station_.mmsi);
        setStatus("Track cleared from the plot.");
    });
    connect(cmdExport_, &QPushButton::clicked, this, &FrmTrack::startExport);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

QString FrmTrack::label() const {
    const QString name = station_.name.trimmed();
    return name.isEmpty() ? QString::number(station_.mmsi) : QString("%1 (%2)").arg(name).arg(station_.mmsi);
}

void FrmTrack::setPeriodEnd(TimeMs at) {
    now_ = [at] { return at; };
    dtFrom_->setDateTime(QDateTime::fromMSecsSinceEpoch(at - 24 * kHour, QTimeZone::utc()));
    dtTo_->setDateTime(QDateTime::fromMSecsSinceEpoch(at, QTimeZone::utc()));
    setStatus("The periods end at the moment shown, " +
              QDateTime::fromMSecsSinceEpoch(at, QTimeZone::utc()).toString("yyyy-MM-dd HH:mm:ss") + " UTC.");
}

QString FrmTrack::statusText() const { return lblStatus_->text(); }

void FrmTrack::setStatus(const QString& text) { lblStatus_->setText(text); }

void FrmTrack::showTrack() {
    const auto period = static_cast<TrackPeriod>(cmbPeriod_->currentIndex());
    auto [from, to] = PeriodEnding(period, now_());
    if (period == TrackPeriod::FromTo) {
        from = dtFrom_->dateTime().toMSecsSinceEpoch();
        to = dtTo_->dateTime().toMSecsSinceEpoch() + 59999;  // the whole "to" minute
        if (to < from) {
            setStatus("The period ends before it begins: choose a \"to\" after the \"from\".");
            return;
        }
    }
    setStatus("Reading the history...");
    const int32_t mmsi = station_.mmsi;
    QPointer<FrmTrack> self(this);
    reader_.ask("track " + std::to_string(mmsi), location_(),
                [self, mmsi, from, to](HistoryStore* store, const std::string& error, const Cancelled& cancelled)
                    -> std::function<void()> {
                    TrackAnswer a;
                    if (!store) a.error = "No history store: " + error;
                    else a = ReadTrack(*store, mmsi, from, to, cancelled);
                    return [self, a = std::move(a), from, to] {
                        if (self) self->answered(a, from, to);
                    };
                });
}

void FrmTrack::answered(const TrackAnswer& a, TimeMs from, TimeMs to) {
    if (a.cancelled) return;
    if (!a.error.empty()) {
        setStatus(QString::fromStdString(a.error));
        return;
    }
    rows_ = a.rows;
    cmdExport_->setEnabled(!rows_.empty());
    if (rows_.empty()) {
        setStatus(QString("No reports of this station stored from %1 to %2.").arg(Utc(from), Utc(to)));
        return;
    }
    QString text = QString("%1 reports, %2 to %3, drawn on the plot.")
                       .arg(Count(rows_.size()), Utc(rows_.front().time), Utc(rows_.back().time));
    if (a.cut) {
        text += QString(" The period holds more than %1 reports: these are the latest; choose a shorter "
                        "period for earlier ones.")
                    .arg(Count(kMaxTrackRows));
    }
    setStatus(text);
    if (onTrack) onTrack(station_.mmsi, label(), rows_);
}

void FrmTrack::startExport() {
    if (exportDialog_) {
        exportDialog_->raise();
        return;
    }
    exportDialog_ = new QFileDialog(this, "Export track");
    exportDialog_->setObjectName("dlgExportTrack");
    exportDialog_->setAttribute(Qt::WA_DeleteOnClose);
    // Qt's own dialog: it is shown without a loop of its own on every platform.
    exportDialog_->setOption(QFileDialog::DontUseNativeDialog);
    exportDialog_->setAcceptMode(QFileDialog::AcceptSave);
    QStringList filters;
    for (const Format& f : kFormats) filters << f.filter;
    exportDialog_->setNameFilters(filters);
    exportDialog_->selectFile(TrackFileName(station_.mmsi, "gpx"));
    connect(exportDialog_, &QFileDialog::filterSelected, exportDialog_, [d = exportDialog_.data()](const QString& f) {
        for (const Format& k : kFormats) {
            if (f == k.filter) d->selectFile(QFileInfo(d->selectedFiles().value(0)).completeBaseName() + "." + k.format);
        }
    });
    connect(exportDialog_, &QFileDialog::fileSelected, this, [this](const QString& path) {
        QString format = TrackFormatOf(path);
        QString target = path;
        if (format.isEmpty()) {
            const QString filter = exportDialog_ ? exportDialog_->selectedNameFilter() : QString();
            format = "gpx";
            for (const Format& k : kFormats) {
                if (filter == k.filter) format = k.format;
            }
            target += "." + format;
        }
        exportTo(target, format);
    });
    exportDialog_->open();
}

bool FrmTrack::exportTo(const QString& path, const QString& format) {
    std::string out;
    if (rows_.empty() || !WriteTrack({.format = format.toStdString(), .mmsi = station_.mmsi}, rows_, out)) {
        setStatus("Not exported: no track shown, or no such format.");
        return false;
    }
    const base::FileWriteResult r = base::WriteFileAtomically(path.toStdString(), out);
    if (!r) {
        setStatus("Not exported: " + QString::fromStdString(r.error));
        return false;
    }
    setStatus(QString("Exported %1 reports to %2.").arg(Count(rows_.size()), path));
    return true;
}

}  // namespace history
