#include "app/frm_messages_window.h"

#include <QHeaderView>
#include <QLabel>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ui/window_fit.h"

namespace app {

FrmMessages::FrmMessages(ais::MessageInboxModel& model, QWidget* parent)
    : QWidget(parent, Qt::Window),
      model_(model),
      filter_(new QSortFilterProxyModel(this)),
      txtFilter_(new QLineEdit(this)),
      lstMessages_(new QTableView(this)),
      richtxtMsg_(new QTextEdit(this)) {
    setObjectName("frmMessages");
    setWindowTitle("Incoming Messages");
    ui::CloseOnEscape(*this);
    setAttribute(Qt::WA_DeleteOnClose);

    filter_->setSourceModel(&model_);
    filter_->setFilterKeyColumn(-1);
    filter_->setFilterCaseSensitivity(Qt::CaseInsensitive);
    txtFilter_->setObjectName("txtMsgFilter");
    txtFilter_->setPlaceholderText("Filter: MMSI, name, type or text");
    txtFilter_->setClearButtonEnabled(true);
    connect(txtFilter_, &QLineEdit::textChanged, filter_, &QSortFilterProxyModel::setFilterFixedString);

    lstMessages_->setObjectName("lstMessages");
    lstMessages_->setModel(filter_);
    lstMessages_->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstMessages_->setSelectionMode(QAbstractItemView::SingleSelection);
    lstMessages_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstMessages_->setWordWrap(false);
    lstMessages_->verticalHeader()->hide();
    lstMessages_->verticalHeader()->setDefaultSectionSize(lstMessages_->fontMetrics().height() + 4);
    QHeaderView* header = lstMessages_->horizontalHeader();
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setStretchLastSection(true);
    const QFontMetrics fm = lstMessages_->fontMetrics();
    lstMessages_->setColumnWidth(ais::MessageInboxModel::kColTime, fm.horizontalAdvance("06.12.2026 14:05:09") + 12);
    lstMessages_->setColumnWidth(ais::MessageInboxModel::kColType, fm.horizontalAdvance("12 - Safety related Addr") + 12);
    lstMessages_->setColumnWidth(ais::MessageInboxModel::kColFrom, fm.horizontalAdvance("257012300 - BLUE HERON") + 12);
    connect(lstMessages_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &FrmMessages::showSelected);

    richtxtMsg_->setObjectName("richtxtMsg");
    richtxtMsg_->setReadOnly(true);
    richtxtMsg_->setAcceptRichText(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    auto* filterRow = new QHBoxLayout;
    auto* filterLabel = new QLabel("&Filter :", this);
    filterLabel->setBuddy(txtFilter_);
    filterRow->addWidget(filterLabel);
    filterRow->addWidget(txtFilter_, 1);
    layout->addLayout(filterRow);
    layout->addWidget(lstMessages_, 3);
    layout->addWidget(richtxtMsg_, 1);
    resize(720, 380);
}

void FrmMessages::showSelected() {
    const QModelIndex current = filter_->mapToSource(lstMessages_->currentIndex());
    if (!current.isValid()) {
        richtxtMsg_->clear();
        return;
    }
    const ais::InboxEntry& e = model_.inbox().at(static_cast<std::size_t>(current.row()));
    richtxtMsg_->setPlainText(QString::fromStdString(e.from + "\n" + e.type + "\n" + e.time + "\n\n" + e.text));
}

}  // namespace app
