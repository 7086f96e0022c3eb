// DangerousPanel: a small dock above the target list with the targets whose
// collision alarm episode runs, soonest closest approach first (name or
// MMSI, CPA, TCPA, range and bearing from the own ship, as
// targets/dangerous_targets.h words and orders them). It is rewritten by
// refresh() at the display's once-a-second pass, never per message; a click
// on a row names its target (targetChosen), which the main window selects.
//
//   auto* panel = new app::DangerousPanel(this);
//   addDockWidget(Qt::TopDockWidgetArea, panel);
//   panel->refresh(receiver.targets());
#pragma once

#include <QDockWidget>
#include <vector>

class QTableWidget;

namespace targets {
class TargetTable;
}

namespace app {

class DangerousPanel : public QDockWidget {
    Q_OBJECT
public:
    explicit DangerousPanel(QWidget* parent = nullptr);

    // Rewrites the rows from the table; the row of the target chosen last
    // stays selected while it is listed.
    void refresh(const targets::TargetTable& table);
    // The entries listed, top to bottom.
    const std::vector<int>& entries() const { return entries_; }
    QTableWidget* table() const { return list_; }

signals:
    void targetChosen(int entry);

private:
    QTableWidget* list_;
    std::vector<int> entries_;
    int chosen_ = 0;
};

}  // namespace app
