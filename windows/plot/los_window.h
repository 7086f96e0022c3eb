// FrmLOS: the line-of-sight calculator. The two buttons cmdHeight_0 (height of
// eye) and cmdHeight_1 (height of the object) ask for a height in metres; the
// labels lblLOS_km and lblLOS_nmile show the geometric range, and the plot
// draws it as a dashed ring around the reference position. The labels
// lblHeight_0 and lblHeight_1 beside the buttons act as the buttons do. Its
// position is kept under "LOSLeft" and "LOSTop".
#pragma once

#include <QLabel>
#include <QPushButton>
#include <QString>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>

#include "plot/sight_tools.h"
#include "ui/window_placement.h"

namespace plot {

class FrmLOS : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "LINE OF SIGHT CALCULATOR";
    // Asks for a text (title, prompt, default); nullopt when cancelled.
    using InputBox = std::function<std::optional<QString>(const QString&, const QString&, const QString&)>;

    FrmLOS(LineOfSightState& los, ui::SettingsStore* settings, QWidget* parent);
    // Replaces the modal input box (tests).
    void setInputBox(InputBox box) { inputBox_ = std::move(box); }

    void cmdHeight_Click(int index);

signals:
    // The stored range changed.
    void rangeChanged();
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    LineOfSightState& los_;
    ui::SettingsStore* settings_;
    ui::WindowPlacement placement_;
    InputBox inputBox_;
    std::array<QPushButton*, 2> cmdHeight_{};
    std::array<QLabel*, 2> lblHeight_{};
    QLabel* lblLOS_km_ = nullptr;
    QLabel* lblLOS_nmile_ = nullptr;
};

}  // namespace plot
