// FrmMessagePopups: Options > Message pop-ups. Per kind of message (text and
// safety, inquiry, binary applications): show its window or put it in the
// list only, and beep or not. Every message goes to Incoming Messages anyway.
//
//   app::FrmMessagePopups d(current, mainWindow);
//   if (d.exec() == QDialog::Accepted) apply(d.settings());
//
// Controls: chkShow_0..2 and chkBeep_0..2 (in PopupKind order), cmdOK, cmdCancel.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <array>

#include "ais/message_inbox.h"

namespace app {

class FrmMessagePopups : public QDialog {
    Q_OBJECT
public:
    FrmMessagePopups(const ais::PopupSettings& current, QWidget* parent = nullptr);
    ais::PopupSettings settings() const;

private:
    std::array<QCheckBox*, ais::kPopupKinds> show_{};
    std::array<QCheckBox*, ais::kPopupKinds> beep_{};
};

}  // namespace app
