// FrmHistoryOptions: Options > History. History on or off; the store (the
// data folder's History.sqlite or a PostgreSQL server: host, port, database,
// user, the URL made from them shown as it is typed); the thinning rule;
// the retention; and what the writer reports, refreshed by its owner.
//
//   auto* d = new app::FrmHistoryOptions(current, window);
//   connect(d, &QDialog::accepted, [d] { apply(d->settings()); });
//   d->open();
//
// Controls: chkHistory, optFile, optServer, txtHost, spnPort, txtDatabase,
// txtUser, lblUrl, spnSeconds, spnCourse, spnSpeed, chkStatus, spnDays,
// spnMegabytes, lblReport, cmdOK, cmdCancel.
#pragma once

#include <QDialog>

#include "app/history_settings.h"

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;
class QGroupBox;

namespace app {

class FrmHistoryOptions : public QDialog {
    Q_OBJECT
public:
    FrmHistoryOptions(const HistorySettings& current, QWidget* parent = nullptr);
    HistorySettings settings() const;
    // The writer's counters as text (shown as plain text).
    void setReport(const QString& text);

private:
    QWidget* buildStore(const HistorySettings& current);
    QWidget* buildRule(const HistorySettings& current);
    void updateEnabled();

    QCheckBox* on_ = nullptr;
    QRadioButton* file_ = nullptr;
    QRadioButton* server_ = nullptr;
    QGroupBox* serverBox_ = nullptr;
    QLineEdit* host_ = nullptr;
    QSpinBox* port_ = nullptr;
    QLineEdit* database_ = nullptr;
    QLineEdit* user_ = nullptr;
    QLabel* url_ = nullptr;
    QDoubleSpinBox* seconds_ = nullptr;
    QDoubleSpinBox* course_ = nullptr;
    QDoubleSpinBox* speed_ = nullptr;
    QCheckBox* status_ = nullptr;
    QSpinBox* days_ = nullptr;
    QSpinBox* megabytes_ = nullptr;
    QLabel* report_ = nullptr;
};

}  // namespace app
