#include "app/message_popups_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace app {

FrmMessagePopups::FrmMessagePopups(const ais::PopupSettings& current, QWidget* parent) : QDialog(parent) {
    setObjectName("frmMessagePopups");
    setWindowTitle("Message pop-ups");
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    layout->addLayout(grid);
    static const char* const kKinds[ais::kPopupKinds] = {"Text and safety messages", "Inquiries",
                                                         "Binary messages and applications"};
    grid->addWidget(new QLabel("Show window", this), 0, 1);
    grid->addWidget(new QLabel("Beep", this), 0, 2);
    for (int k = 0; k < ais::kPopupKinds; ++k) {
        const auto i = static_cast<size_t>(k);
        grid->addWidget(new QLabel(kKinds[k], this), k + 1, 0);
        show_[i] = new QCheckBox(this);
        show_[i]->setObjectName(QString("chkShow_%1").arg(k));
        show_[i]->setChecked(current[i].showWindow);
        beep_[i] = new QCheckBox(this);
        beep_[i]->setObjectName(QString("chkBeep_%1").arg(k));
        beep_[i]->setChecked(current[i].beep);
        grid->addWidget(show_[i], k + 1, 1, Qt::AlignHCenter);
        grid->addWidget(beep_[i], k + 1, 2, Qt::AlignHCenter);
    }
    layout->addWidget(new QLabel("Every message is listed in View > Incoming Messages.", this));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("cmdOK");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("cmdCancel");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

ais::PopupSettings FrmMessagePopups::settings() const {
    ais::PopupSettings s;
    for (size_t i = 0; i < s.size(); ++i) s[i] = {show_[i]->isChecked(), beep_[i]->isChecked()};
    return s;
}

}  // namespace app
