// The main window's list as the operator arranges it: the size a first run
// opens at, and the header menu that hides and shows columns.
#include <QHeaderView>
#include <QMenu>
#include <QStyle>
#include <algorithm>

#include "app/frm_main_window.h"
#include "windows/targets/target_list_model.h"
#include "ui/plain_text.h"
#include "ui/settings_store.h"
#include "ui/window_fit.h"

namespace app {

namespace {

constexpr const char* kHiddenColumnsKey = "HiddenColumns";

// The widest value a column usually shows: the list refits its columns to the
// values once rows arrive, and the window must still show them all then.
constexpr const char* kTypicalValues[targets::kListColumns] = {
    "0000",        "000000000",     "NNNNNNNNNNNNNNNNNNNN", "00\u00b000.000'N", "000\u00b000.000'W", "000.0",
    "000.0",       "000",           "-000.0",               "Class",            "00 Mmm 0000 00:00:00", "000000",
    "STATUS",      "00.00",         "-00.0",                "100"};

}  // namespace

QSize FrmMain::openingSize(const QRect& available) const {
    int columns = 0;
    for (int c = 0; c < model_->columnCount(); ++c) {
        if (fgAISTargets_->isColumnHidden(c)) continue;
        const int typical = fgAISTargets_->fontMetrics().horizontalAdvance(QString::fromUtf8(kTypicalValues[c])) + 8;
        columns += std::max(fgAISTargets_->columnWidth(c), typical);
    }
    // The list's frame and a vertical scroll bar once rows fill it, the
    // central area's margins, and the window's own frame.
    const int chrome = 2 * fgAISTargets_->frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 12 + 8;
    return ui::OpeningSize(QSize(std::max(width(), columns + chrome), height()), available);
}

void FrmMain::buildColumnMenu() {
    QHeaderView* header = fgAISTargets_->horizontalHeader();
    header->setContextMenuPolicy(Qt::CustomContextMenu);
    if (settings_) {
        for (const QString& c : settings_->readTextList(kHiddenColumnsKey)) {
            bool ok = false;
            const int column = c.toInt(&ok);
            if (ok && column >= 0 && column < targets::kListColumns) fgAISTargets_->setColumnHidden(column, true);
        }
        // Never every column: a list without one cannot be right-clicked back.
        if (header->hiddenSectionCount() >= targets::kListColumns) fgAISTargets_->setColumnHidden(0, false);
    }
    connect(header, &QHeaderView::customContextMenuRequested, this, [this, header](const QPoint& at) {
        auto* menu = new QMenu(this);
        menu->setObjectName("pmnuColumns");
        menu->setAttribute(Qt::WA_DeleteOnClose);
        const int shown = targets::kListColumns - header->hiddenSectionCount();
        for (int c = 0; c < targets::kListColumns; ++c) {
            const QString title = model_->headerData(c, Qt::Horizontal).toString();
            QAction* a = menu->addAction(ui::MenuText(title));
            a->setObjectName(QString("pmnuColumn_%1").arg(c));
            a->setCheckable(true);
            a->setChecked(!fgAISTargets_->isColumnHidden(c));
            a->setEnabled(!a->isChecked() || shown > 1);
            connect(a, &QAction::toggled, this, [this, c](bool on) { setColumnShown(c, on); });
        }
        menu->popup(header->mapToGlobal(at));
    });
}

void FrmMain::setColumnShown(int column, bool shown) {
    fgAISTargets_->setColumnHidden(column, !shown);
    if (!settings_) return;
    QStringList hidden;
    for (int c = 0; c < targets::kListColumns; ++c) {
        if (fgAISTargets_->isColumnHidden(c)) hidden << QString::number(c);
    }
    settings_->writeTextList(kHiddenColumnsKey, hidden);
}

}  // namespace app
