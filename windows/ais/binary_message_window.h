// Windows of the decoded binary applications. Each is filled once, when it
// opens, from one decoded message; later messages do not change an open
// window, and closing it discards it so the next one opens afresh. Nothing in
// them can be edited; the date buttons do nothing. "ACCEPT" (or Esc) closes
// the window; ACCEPT also tells the owner, which marks the message read.
//
//   auto* w = new FrmMeteorological(record.Type8, mainWindow);
//   w->show();
#pragma once

#include <QWidget>

#include "ais/binary_forms.h"

namespace ais {

class FrmBinaryApplication : public QWidget {
    Q_OBJECT
public:
    FrmBinaryApplication(const BinaryForm& form, QWidget* parent);

signals:
    // ACCEPT was pressed; the window closes after it.
    void accepted();
};

class FrmMeteorological : public FrmBinaryApplication {
    Q_OBJECT
public:
    FrmMeteorological(const BinaryMessage& m, QWidget* parent = nullptr);
};

class FrmDangerousCargo : public FrmBinaryApplication {
    Q_OBJECT
public:
    FrmDangerousCargo(const BinaryMessage& m, QWidget* parent = nullptr);
};

class FrmFairwayClosed : public FrmBinaryApplication {
    Q_OBJECT
public:
    FrmFairwayClosed(const BinaryMessage& m, QWidget* parent = nullptr);
};

class FrmTidalWindow : public FrmBinaryApplication {
    Q_OBJECT
public:
    FrmTidalWindow(const BinaryMessage& m, QWidget* parent = nullptr);
};

// A new window of `window` for m; nullptr for ApplicationWindow::None.
FrmBinaryApplication* OpenApplicationWindow(ApplicationWindow window, const BinaryMessage& m, QWidget* parent);

}  // namespace ais
