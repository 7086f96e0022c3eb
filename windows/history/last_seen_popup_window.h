// LastSeenPopup: the answer to "search history" from the target list's find
// box: the stations whose name, call sign or MMSI holds the text, the most
// recently heard first, with when (UTC) and where they were last heard. A
// click or Enter on a row chooses it; Esc or a click elsewhere closes it.
// Every text is plain: names and call signs come from the air.
//
//   popup->showBelow(*findBox, "SEA");
//   popup->setResults(reader answer);
//   connect(popup, &LastSeenPopup::chosen, ...);
//
// Controls: lblHistorySearch (what is shown: asking, how many, why none),
// tvLastSeen (columns Name, MMSI, Call sign, Last heard (UTC), Position).
#pragma once

#include <QFrame>
#include <QString>
#include <string>
#include <vector>

#include "history/history_store.h"

class QLabel;
class QTreeWidget;

namespace history {

// "52°22.1'N 004°53.5'E", or "unknown" without a position.
QString LastSeenPosition(const LastSeen& s);

class LastSeenPopup : public QFrame {
    Q_OBJECT
public:
    explicit LastSeenPopup(QWidget* parent = nullptr);

    // Shows the popup under `anchor`, asking.
    void showBelow(QWidget& anchor, const QString& text);
    // The answer; error (not empty) when the store could not be asked.
    void setResults(const std::vector<LastSeen>& found, const QString& error = {});
    QTreeWidget* list() const { return tvLastSeen_; }
    QString statusText() const;
    const std::vector<LastSeen>& results() const { return found_; }

signals:
    void chosen(const history::LastSeen& station);

private:
    void choose(int row);

    QString text_;
    std::vector<LastSeen> found_;
    QLabel* lblStatus_ = nullptr;
    QTreeWidget* tvLastSeen_ = nullptr;
};

}  // namespace history
