#include "windows/history/last_seen_popup_window.h"

#include <QDateTime>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QTimeZone>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "geodesy/position_text.h"
#include "ui/plain_text.h"

namespace history {

namespace {
QString FromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
}  // namespace

QString LastSeenPosition(const LastSeen& s) {
    if (!s.latitude || !s.longitude) return "unknown";
    return FromUtf8(geodesy::FormatPosition(*s.latitude, "LAT", "display", 1)) + " " +
           FromUtf8(geodesy::FormatPosition(*s.longitude, "LON", "display", 1));
}

LastSeenPopup::LastSeenPopup(QWidget* parent) : QFrame(parent, Qt::Popup) {
    setObjectName("frmHistorySearch");
    setFrameShape(QFrame::StyledPanel);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    lblStatus_ = ui::PlainLabel({}, this);
    lblStatus_->setObjectName("lblHistorySearch");
    lblStatus_->setWordWrap(true);
    column->addWidget(lblStatus_);
    tvLastSeen_ = new QTreeWidget(this);
    tvLastSeen_->setObjectName("tvLastSeen");
    tvLastSeen_->setRootIsDecorated(false);
    tvLastSeen_->setUniformRowHeights(true);
    tvLastSeen_->setHeaderLabels({"Name", "MMSI", "Call sign", "Last heard (UTC)", "Position"});
    tvLastSeen_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    column->addWidget(tvLastSeen_);
    connect(tvLastSeen_, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { choose(tvLastSeen_->indexOfTopLevelItem(item)); });
    connect(tvLastSeen_, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { choose(tvLastSeen_->indexOfTopLevelItem(item)); });
}

void LastSeenPopup::showBelow(QWidget& anchor, const QString& text) {
    text_ = text;
    found_.clear();
    tvLastSeen_->clear();
    tvLastSeen_->hide();
    lblStatus_->setText(QString("Searching the history for \"%1\"...").arg(text));
    const int width = std::max(anchor.width(), fontMetrics().averageCharWidth() * 90);
    resize(width, sizeHint().height());
    move(anchor.mapToGlobal(QPoint(0, anchor.height())));
    show();
}

void LastSeenPopup::setResults(const std::vector<LastSeen>& found, const QString& error) {
    found_ = found;
    tvLastSeen_->clear();
    if (!error.isEmpty()) {
        lblStatus_->setText(error);
    } else if (found.empty()) {
        lblStatus_->setText(QString("\"%1\" was never heard: no stored name, call sign or MMSI holds it.").arg(text_));
    } else {
        lblStatus_->setText(QString("\"%1\" in the history: %2 station(s), the latest heard first. Choose one to see "
                                    "where it was.")
                                .arg(text_)
                                .arg(found.size()));
    }
    for (const LastSeen& s : found) {
        // Item texts are never markup: a name with <b> or quotes shows as sent.
        auto* item = new QTreeWidgetItem(tvLastSeen_);
        item->setText(0, FromUtf8(s.name));
        item->setText(1, QString::number(s.mmsi));
        item->setText(2, FromUtf8(s.callSign));
        item->setText(3, QDateTime::fromMSecsSinceEpoch(s.time, QTimeZone::utc()).toString("yyyy-MM-dd HH:mm:ss"));
        item->setText(4, LastSeenPosition(s));
    }
    tvLastSeen_->setVisible(!found.empty());
    if (!found.empty()) {
        tvLastSeen_->setCurrentItem(tvLastSeen_->topLevelItem(0));
        tvLastSeen_->setFocus();
        const int rows = std::min<int>(static_cast<int>(found.size()), 10);
        // As tall as its rows (ten at most; more scroll), not a screenful of blank.
        tvLastSeen_->setFixedHeight(tvLastSeen_->header()->sizeHint().height() + rows * tvLastSeen_->sizeHintForRow(0) +
                                    2 * tvLastSeen_->frameWidth() + 2);
    }
    resize(width(), sizeHint().height());
}

QString LastSeenPopup::statusText() const { return lblStatus_->text(); }

void LastSeenPopup::choose(int row) {
    if (row < 0 || row >= static_cast<int>(found_.size())) return;
    const LastSeen s = found_[static_cast<size_t>(row)];
    hide();
    emit chosen(s);
}

}  // namespace history
