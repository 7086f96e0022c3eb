// FrmERBL: the electronic range and bearing line's read-out, a small tool
// window of the plot. The plot writes its labels as the mouse moves:
// lblLat and lblLon (frame frmGeo), lblERBL_Range and lblERBL_Bearing (frame
// frmTrueRngBrg). Its position is kept under "ERBLLeft" and "ERBLTop".
#pragma once

#include <QLabel>
#include <QWidget>
#include <array>

#include "plot/sight_tools.h"
#include "ui/window_placement.h"

namespace ui {
class SettingsStore;
}

namespace plot {

class FrmERBL : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "ERBL";

    FrmERBL(ui::SettingsStore* settings, QWidget* parent);
    void showReadout(const ErblReadout& r);

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    ui::SettingsStore* settings_;
    QLabel* lblLat_ = nullptr;
    QLabel* lblLon_ = nullptr;
    QLabel* lblERBL_Range_ = nullptr;
    QLabel* lblERBL_Bearing_ = nullptr;
    ui::WindowPlacement placement_;
};

}  // namespace plot
