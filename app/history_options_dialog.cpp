#include "app/history_options_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QStyle>
#include <QVBoxLayout>

#include "ui/window_placement.h"

namespace app {

namespace {

QDoubleSpinBox* Number(QWidget* parent, const char* name, double value, double max, const char* suffix) {
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(name);
    box->setRange(0, max);
    box->setDecimals(1);
    box->setValue(value);
    box->setSuffix(suffix);
    return box;
}

QLabel* Plain(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    return label;
}

}  // namespace

FrmHistoryOptions::FrmHistoryOptions(const HistorySettings& current, QWidget* parent) : QDialog(parent) {
    setObjectName("frmHistoryOptions");
    setWindowTitle("History");
    // In a scroll area with the buttons below it: at twice the scale the
    // controls are taller than a small screen, and OK stays in reach.
    QWidget* content = ui::ScrollingContent(*this);
    auto* layout = new QVBoxLayout(content);
    on_ = new QCheckBox("Keep a history of what is received", this);
    on_->setObjectName("chkHistory");
    on_->setChecked(current.on);
    layout->addWidget(on_);
    layout->addWidget(buildStore(current));
    layout->addWidget(buildRule(current));
    // Room for the report's six lines before the window is sized.
    report_ = Plain("\n\n\n\n\n", this);
    report_->setObjectName("lblReport");
    report_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(report_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("cmdOK");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("cmdCancel");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    buttons->setContentsMargins(9, 0, 9, 9);
    this->layout()->addWidget(buttons);
    connect(on_, &QCheckBox::toggled, this, &FrmHistoryOptions::updateEnabled);
    connect(server_, &QRadioButton::toggled, this, &FrmHistoryOptions::updateEnabled);
    updateEnabled();
    ui::FitToContent(*this, *content);
    // FitToContent sizes for the scrolled part; the buttons come on top, and
    // room for a vertical scroll bar, so a short screen needs no horizontal one.
    QSize size = this->size() + QSize(style()->pixelMetric(QStyle::PM_ScrollBarExtent),
                                      buttons->sizeHint().height() + this->layout()->spacing());
    if (const QScreen* s = screen()) size = size.boundedTo(s->availableGeometry().size() - QSize(0, 40));
    resize(size);
}

QWidget* FrmHistoryOptions::buildStore(const HistorySettings& current) {
    auto* box = new QGroupBox("Store", this);
    box->setObjectName("grpStore");
    auto* layout = new QVBoxLayout(box);
    file_ = new QRadioButton("History.sqlite in the data folder", box);
    file_->setObjectName("optFile");
    server_ = new QRadioButton("PostgreSQL server", box);
    server_->setObjectName("optServer");
    (current.server ? server_ : file_)->setChecked(true);
    layout->addWidget(file_);
    layout->addWidget(server_);
    serverBox_ = new QGroupBox(box);
    serverBox_->setFlat(true);
    auto* form = new QFormLayout(serverBox_);
    host_ = new QLineEdit(current.host, serverBox_);
    host_->setObjectName("txtHost");
    host_->setPlaceholderText("local socket");
    port_ = new QSpinBox(serverBox_);
    port_->setObjectName("spnPort");
    port_->setRange(1, 65535);
    port_->setValue(current.port);
    database_ = new QLineEdit(current.database, serverBox_);
    database_->setObjectName("txtDatabase");
    user_ = new QLineEdit(current.user, serverBox_);
    user_->setObjectName("txtUser");
    user_->setPlaceholderText("the login name");
    url_ = Plain(QString(), serverBox_);
    url_->setObjectName("lblUrl");
    url_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form->addRow("Host:", host_);
    form->addRow("Port:", port_);
    form->addRow("Database:", database_);
    form->addRow("User:", user_);
    form->addRow("URL:", url_);
    layout->addWidget(serverBox_);
    layout->addWidget(Plain("The password is not kept here: put it in ~/.pgpass or a service file "
                            "(~/.pg_service.conf). Batches the server cannot take wait in "
                            "HistorySpool.sqlite in the data folder.",
                            box));
    const auto showUrl = [this] {
        HistorySettings typed;
        typed.host = host_->text().trimmed();
        typed.port = port_->value();
        typed.database = database_->text().trimmed();
        typed.user = user_->text().trimmed();
        url_->setText(QString::fromStdString(ServerUrl(typed)));
    };
    for (QLineEdit* edit : {host_, database_, user_}) connect(edit, &QLineEdit::textChanged, this, showUrl);
    connect(port_, &QSpinBox::valueChanged, this, showUrl);
    showUrl();
    return box;
}

QWidget* FrmHistoryOptions::buildRule(const HistorySettings& current) {
    auto* box = new QGroupBox("Positions kept and how long", this);
    box->setObjectName("grpRule");
    auto* form = new QFormLayout(box);
    form->addRow(Plain("A station's next position is kept when any of these holds:", box));
    seconds_ = Number(box, "spnSeconds", current.thinning.minSeconds, 86400, " s");
    course_ = Number(box, "spnCourse", current.thinning.courseDegrees, 360, "°");
    speed_ = Number(box, "spnSpeed", current.thinning.speedKnots, 100, " kn");
    status_ = new QCheckBox("the navigational status changed", box);
    status_->setObjectName("chkStatus");
    status_->setChecked(current.thinning.statusChange);
    form->addRow("At least this long after the last kept one:", seconds_);
    form->addRow("The course changed by more than:", course_);
    form->addRow("The speed changed by more than:", speed_);
    form->addRow(status_);
    days_ = new QSpinBox(box);
    days_->setObjectName("spnDays");
    days_->setRange(0, 36500);
    days_->setSpecialValueText("no limit");
    days_->setSuffix(" days");
    days_->setValue(current.retention.days);
    megabytes_ = new QSpinBox(box);
    megabytes_->setObjectName("spnMegabytes");
    megabytes_->setRange(0, 16 * 1024 * 1024);
    megabytes_->setSpecialValueText("no limit");
    megabytes_->setSuffix(" MB");
    megabytes_->setValue(static_cast<int>(current.retention.maxBytes >> 20));
    form->addRow("Keep at most:", days_);
    form->addRow("and at most:", megabytes_);
    return box;
}

void FrmHistoryOptions::updateEnabled() {
    file_->parentWidget()->setEnabled(on_->isChecked());
    serverBox_->setEnabled(server_->isChecked());
}

HistorySettings FrmHistoryOptions::settings() const {
    HistorySettings s;
    s.on = on_->isChecked();
    s.server = server_->isChecked();
    s.host = host_->text().trimmed();
    s.port = port_->value();
    s.database = database_->text().trimmed();
    s.user = user_->text().trimmed();
    s.thinning.minSeconds = seconds_->value();
    s.thinning.courseDegrees = course_->value();
    s.thinning.speedKnots = speed_->value();
    s.thinning.statusChange = status_->isChecked();
    s.retention.days = days_->value();
    s.retention.maxBytes = static_cast<int64_t>(megabytes_->value()) << 20;
    return s;
}

void FrmHistoryOptions::setReport(const QString& text) { report_->setText(text); }

}  // namespace app
