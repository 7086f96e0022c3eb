// The main window's target list and the controls around it: the "Sorting"
// frame (increasing or decreasing, the column sorted by), the "Targets"
// count, the find box above the list, and the note on lower-case names
// below it.
//
// A click on a column header sorts the table by that column in the chosen
// direction (the "No" column: back to the order of arrival); the find box
// hides the rows that do not match, the table and its order stay. Columns
// are as wide as their title and their widest cell, refitted shortly after
// rows change, unless the operator dragged a column's edge; the header's
// right-click menu hides and shows columns (kept in the settings).
//
// Beside the find box, "Search history" (cmdSearchHistory) asks the history
// for the text; so does Enter in the box when no row of the list matches.
//
// Controls carry their names as objectName: fgAISTargets, txtFind, cmdSearchHistory,
// optIncr_0..1, lblSortedBy, lblNoOfTargets, lblNameInfo, pmnuColumns.
#pragma once

#include <QFont>
#include <QHash>
#include <QObject>
#include <QSet>
#include <array>

class QModelIndex;
class QGroupBox;
class QLineEdit;
class QLabel;
class QRadioButton;
class QTableView;
class QToolButton;
class QTimer;
class QVBoxLayout;
class QWidget;

namespace targets {
class TargetListModel;
class TargetTable;
}
namespace ui {
class SettingsStore;
}

namespace app {

class Receiver;

class TargetListPanel : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kNameInfo =
        "Name with lower case letters : Static data imported from historical database. No Msg 5/19 received yet in "
        "this session.";

    // The controls are made in central; settings keeps the hidden columns (null keeps none).
    TargetListPanel(Receiver& receiver, targets::TargetListModel& model, ui::SettingsStore* settings,
                    QWidget& central);
    ~TargetListPanel() override;

    QGroupBox* sortBox() const { return sortBox_; }
    QGroupBox* countBox() const { return countBox_; }
    // Adds the find box, the list and the note below it to layout.
    void addTo(QVBoxLayout& layout);
    // The controls in the order Tab visits them.
    std::array<QWidget*, 5> tabOrder() const;

    QTableView& view() const { return *fgAISTargets_; }
    // Fits the columns to their titles and cells.
    void fitColumns();
    // The width the shown columns want, at least their usual values' width.
    int wantedWidth() const;

    // Selects entry n's row and scrolls it into view.
    void select(int entry);
    // Selects entry n's row, as a click on the plot does.
    void markRow(int entry);
    // The middle of entry n's row, from the top of the list; 0 when out of view.
    int rowMiddle(int entry) const;
    // Sorts again by the column of the last header click, in the order chosen
    // then; the selected target stays selected and in view, and NEW marks stay.
    void sortAgain();

    // Shows another table in the list (a past situation, under a banner,
    // tinted so it is never taken for the live picture), or with a null
    // table the live one again. The live model goes on taking the
    // receiver's changes meanwhile. A click on a past row opens nothing; a
    // double click (or Enter) asks for the station's track up to the moment
    // shown (pastTrackRequested), which setPastMoment tells.
    void showTable(targets::TargetTable* table, targets::TargetListModel* model, const QString& banner);
    void setPastMoment(qint64 utcMs) { pastMoment_ = utcMs; }
    bool showsLive() const { return shownTable_ == nullptr; }
    // The shown table was filled anew: sorted as the list is, rows rewritten.
    void tableRefilled();
    QLineEdit& findBox() const { return *txtFind_; }
    // A station in the list matches the find box.
    bool listMatches() const;

signals:
    // The operator chose the row of entry n (a click, Enter).
    void entryChosen(int entry);
    // "Search history" for the find box's text.
    void historySearchRequested(const QString& text);
    // A past row was double-clicked: its station's track up to the moment shown.
    void pastTrackRequested(int mmsi, const QString& name, qint64 endingAtUtcMs);

private:
    void buildControls(QWidget& central);
    void buildList(QWidget& central);
    void buildColumnMenu();
    void setColumnShown(int column, bool shown);
    void headerClicked(int column);
    void rowChosen(const QModelIndex& index);
    void pastRowActivated(const QModelIndex& index);
    // Hides the rows first..last (all when -1) that do not match the find box.
    void applyFilter(int first = 0, int last = -1);
    void updateCount();

    targets::TargetTable& table() const;
    targets::TargetListModel& model() const { return shownModel_ ? *shownModel_ : model_; }

    Receiver& receiver_;
    targets::TargetListModel& model_;
    targets::TargetTable* shownTable_ = nullptr;  // null: the receiver's
    targets::TargetListModel* shownModel_ = nullptr;
    qint64 pastMoment_ = 0;
    QLabel* lblHistoryBanner_ = nullptr;
    ui::SettingsStore* settings_;
    QGroupBox* sortBox_ = nullptr;
    QGroupBox* countBox_ = nullptr;
    std::array<QRadioButton*, 2> optIncr_{};
    QLabel* lblSortedBy_ = nullptr;
    QLabel* lblNoOfTargets_ = nullptr;
    QLineEdit* txtFind_ = nullptr;
    QToolButton* cmdSearchHistory_ = nullptr;
    QTableView* fgAISTargets_ = nullptr;
    QLabel* lblNameInfo_ = nullptr;
    QTimer* fitColumnsTimer_ = nullptr;
    bool fittingColumns_ = false;
    QSet<int> resizedByHand_;
    // Widths of cell texts measured in the list's font: the same texts come
    // back in many rows and at every refit (speeds, times, names), and
    // measuring a text costs far more than looking it up.
    QHash<QString, int> cellWidths_;
    QFont cellWidthsFont_;
    bool filterActive_ = false;
    int sortColumn_ = -1;  // the column of the last header click; -1 none
    bool sortDescending_ = false;
};

}  // namespace app
