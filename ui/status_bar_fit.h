// Keeps the most important status bar panel whole on a narrow window: when
// the bar is too narrow for every panel, less important panels are hidden
// (a group at a time, in the order given) until the whole text of `whole`
// fits; they come back when the bar widens again.
//
//   new ui::StatusBarFit(*statusBar(), *connectionLabel, {{ignoredCaption, ignoredCount}, {clock}});
#pragma once

#include <QLabel>
#include <QObject>
#include <QStatusBar>
#include <vector>

namespace ui {

class StatusBarFit : public QObject {
public:
    using Group = std::vector<QWidget*>;
    StatusBarFit(QStatusBar& bar, QLabel& whole, std::vector<Group> dropOrder);
    // Hides and shows the groups for the bar's present width and texts.
    void fit();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QStatusBar& bar_;
    QLabel& whole_;
    std::vector<Group> dropOrder_;
    std::vector<bool> dropped_;
    bool fitting_ = false;
};

}  // namespace ui
