// The plot window's map options and chart list: loading, showing, hiding and
// removing charts, and handing charts to the loader thread and taking its
// results back on the window's thread.
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolButton>
#include <algorithm>

#include "plot/gdal/ogr_chart.h"
#include "windows/plot/plot_window.h"
#include "ui/plain_text.h"
#include "ui/settings_store.h"

namespace plot {

namespace {

QString FromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

}  // namespace

void FrmGraphics::setLandmarks(const LandmarkDatabases* landmarks) { map_.setLandmarks(landmarks); }

void FrmGraphics::startChartLoader() {
    map_.charts().prepareWhenDrawn = false;  // never on this thread
    lblChartLoading_ = ui::PlainLabel(QString(), statusBar());
    lblChartLoading_->setObjectName("lblChartLoading");
    auto* bar = new QProgressBar(statusBar());
    bar->setObjectName("prgCharts");
    bar->setRange(0, 100);
    bar->setMaximumWidth(120);
    prgCharts_ = bar;
    auto* cancel = new QToolButton(statusBar());
    cancel->setObjectName("cmdCancelCharts");
    cancel->setText("Cancel");
    connect(cancel, &QToolButton::clicked, this, &FrmGraphics::cancelChartLoading);
    cmdCancelCharts_ = cancel;
    for (QWidget* w : {static_cast<QWidget*>(lblChartLoading_), prgCharts_, cmdCancelCharts_}) {
        statusBar()->addPermanentWidget(w);
        w->hide();
    }
    // The loader calls back on its own thread; what it hands over is copied
    // into an event for this window, which drops it if the window is gone.
    chartLoader_ = std::make_unique<ChartLoader>(
        [](const std::string& path, const std::atomic<bool>* cancelled) { return OpenVectorChart(path, cancelled); },
        [this](ChartLoader::Outcome o) {
            QMetaObject::invokeMethod(this, [this, o] { chartLoaded(o); }, Qt::QueuedConnection);
        },
        [this](ChartLoader::Progress p) {
            QMetaObject::invokeMethod(this, [this, p] { chartProgress(p); }, Qt::QueuedConnection);
        });
}

void FrmGraphics::submitChart(ChartLoader::Job job) {
    chartJobs_.push_back(job);
    chartLoader_->submit(std::move(job));
    mnuFileCancelCharts_->setEnabled(true);
    chartProgress({chartJobs_.front().path, 0, chartJobs_.size() - 1});
}

void FrmGraphics::chartProgress(const ChartLoader::Progress& progress) {
    if (chartJobs_.empty()) return;  // a report overtaken by the result
    // Reading has no measure of its own; the bar moves while the chart is prepared.
    QString text = (progress.fraction > 0 ? "Preparing " : "Reading ") + QFileInfo(FromUtf8(progress.path)).fileName();
    if (progress.waiting > 0) text += QString(" (%1 more)").arg(progress.waiting);
    lblChartLoading_->setText(text);
    static_cast<QProgressBar*>(prgCharts_)->setValue(static_cast<int>(progress.fraction * 100));
    for (QWidget* w : {static_cast<QWidget*>(lblChartLoading_), prgCharts_, cmdCancelCharts_}) w->show();
}

void FrmGraphics::cancelChartLoading() { chartLoader_->cancel(); }

void FrmGraphics::chartLoaded(const ChartLoader::Outcome& outcome) {
    const ChartLoader::Job& job = outcome.job;
    const auto it = std::find_if(chartJobs_.begin(), chartJobs_.end(), [&](const ChartLoader::Job& j) {
        return j.path == job.path && j.chart == job.chart;
    });
    if (it != chartJobs_.end()) chartJobs_.erase(it);
    if (chartJobs_.empty()) {
        for (QWidget* w : {static_cast<QWidget*>(lblChartLoading_), prgCharts_, cmdCancelCharts_}) w->hide();
        mnuFileCancelCharts_->setEnabled(false);
    }
    if (job.chart) {  // prepared again for another zone
        if (outcome.prepared) map_.charts().setPrepared(outcome.prepared);
        if (!outcome.error.empty()) messages_.operatorMessage(base::MessageIcon::Exclamation, "Charts", outcome.error);
        if (outcome.prepared && loaded_) SetupPlot();
        return;
    }
    if (outcome.prepared && !map_.charts().contains(job.path)) map_.charts().add(outcome.prepared, job.visible);
    if (!outcome.error.empty()) messages_.operatorMessage(base::MessageIcon::Exclamation, "Charts", outcome.error);
    // Unreadable charts stay in the settings until the list changes, as they
    // always did: the file may be on a disk that is not there now.
    if (outcome.prepared || outcome.cancelled || outcome.refused) storeChartSettings();
    rebuildChartsMenu();
    if (outcome.prepared && loaded_) SetupPlot();
}

void FrmGraphics::prepareStaleCharts() {
    const int zone = plot_.datum.datumSlots[1].zone;
    const auto& entries = map_.charts().entries();
    for (size_t i : map_.charts().stale(zone)) {
        const ChartSet::Entry& e = entries[i];
        const bool queued = std::any_of(chartJobs_.begin(), chartJobs_.end(), [&](const ChartLoader::Job& j) {
            return j.chart == e.chart && j.datum.datumSlots[1].zone == zone;
        });
        if (e.visible && !queued) submitChart({e.chart->path, e.visible, e.chart, plot_.datum});
    }
}

void FrmGraphics::loadMapSettings() {
    if (!settings_) return;
    map_.options.coastlines = settings_->readNumber("ShowCoastlines", 1) != 0;
    map_.options.landmarks = settings_->readNumber("ShowLandmarks", 1) != 0;
    map_.options.safetyDepth = settings_->readNumber("SafetyDepth", map_.options.safetyDepth);
    mnuOptionsCoastlines_->setChecked(map_.options.coastlines);
    mnuOptionsLandmarks_->setChecked(map_.options.landmarks);
    const QStringList hidden = settings_->readTextList("ChartHidden");
    for (const QString& path : settings_->readTextList("ChartFiles")) {
        const std::string file = path.toStdString();
        const bool queued = std::any_of(chartJobs_.begin(), chartJobs_.end(),
                                        [&](const ChartLoader::Job& j) { return !j.chart && j.path == file; });
        if (map_.charts().contains(file) || queued) continue;
        submitChart({file, !hidden.contains(path), nullptr, plot_.datum});
    }
    rebuildChartsMenu();
}

void FrmGraphics::storeChartSettings() {
    if (!settings_) return;
    QStringList files, hidden;
    auto list = [&](const std::string& path, bool visible) {
        files << FromUtf8(path);
        if (!visible) hidden << FromUtf8(path);
    };
    for (const ChartSet::Entry& e : map_.charts().entries()) list(e.chart->path, e.visible);
    for (const ChartLoader::Job& j : chartJobs_) {
        if (!j.chart) list(j.path, j.visible);  // on its way in
    }
    settings_->writeTextList("ChartFiles", files);
    settings_->writeTextList("ChartHidden", hidden);
}

void FrmGraphics::rebuildChartsMenu() {
    mnuOptionsCharts_->clear();
    const auto& entries = map_.charts().entries();
    if (entries.empty()) {
        mnuOptionsCharts_->addAction("(&none: File > Add chart...)")->setEnabled(false);
        return;
    }
    // Each change rebuilds this menu: not while one of its actions is still being handled.
    for (size_t i = 0; i < entries.size(); ++i) {
        const int index = static_cast<int>(i);
        // Numbered access keys 1-9, then a-z: file names give no unique letter.
        const QString key = i < 9 ? QString::number(i + 1) : i < 35 ? QString(QChar(char('a' + i - 9))) : QString();
        const QString name = ui::MenuText(QFileInfo(FromUtf8(entries[i].chart->path)).fileName());
        QMenu* chart = mnuOptionsCharts_->addMenu(key.isEmpty() ? name : "&" + key + " " + name);
        QAction* show = chart->addAction("&Show");
        show->setObjectName(QString("mnuChartShow_%1").arg(index));
        show->setCheckable(true);
        show->setChecked(entries[i].visible);
        connect(show, &QAction::triggered, this, [this, index](bool on) { setChartVisible(index, on); },
                Qt::QueuedConnection);
        QAction* remove = chart->addAction("&Remove");
        remove->setObjectName(QString("mnuChartRemove_%1").arg(index));
        connect(remove, &QAction::triggered, this, [this, index] { removeChart(index); }, Qt::QueuedConnection);
    }
}

void FrmGraphics::mnuFileAddChart_Click() {
    const QString path = QFileDialog::getOpenFileName(
        this, "Add chart", QString(),
        "Charts (*.000 *.shp *.gpkg *.geojson *.json *.kml *.gml *.gpx *.sqlite);;All files (*)");
    if (!path.isEmpty()) addChart(path);
}

bool FrmGraphics::addChart(const QString& path) {
    const std::string file = path.toStdString();
    const bool queued = std::any_of(chartJobs_.begin(), chartJobs_.end(),
                                    [&](const ChartLoader::Job& j) { return !j.chart && j.path == file; });
    if (map_.charts().contains(file) || queued) return false;
    submitChart({file, true, nullptr, plot_.datum});
    return true;
}

void FrmGraphics::setChartVisible(int index, bool visible) {
    if (index < 0 || static_cast<size_t>(index) >= map_.charts().entries().size()) return;
    map_.charts().setVisible(static_cast<size_t>(index), visible);
    storeChartSettings();
    rebuildChartsMenu();
    if (loaded_) SetupPlot();
}

void FrmGraphics::removeChart(int index) {
    if (index < 0 || static_cast<size_t>(index) >= map_.charts().entries().size()) return;
    map_.charts().remove(static_cast<size_t>(index));
    storeChartSettings();
    rebuildChartsMenu();
    if (loaded_) SetupPlot();
}

void FrmGraphics::setSafetyDepth(double metres) {
    if (!(metres >= 0)) return;
    map_.options.safetyDepth = metres;
    if (settings_) settings_->writeNumber("SafetyDepth", metres);
    if (loaded_) SetupPlot();
}

}  // namespace plot
