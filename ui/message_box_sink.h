// Shows the core's operator messages as modal message boxes, with their text
// shown as it is (never as markup).
//
// stop() is for the end of the run, when nothing may wait on the operator:
// a box open at that moment is closed (its text goes to standard error, so it
// is not lost unread) and every later message goes to standard error instead
// of a box.
#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <vector>

#include "base/operator_messages.h"

namespace ui {

class MessageBoxSink : public base::MessageSink {
public:
    explicit MessageBoxSink(QWidget* parent = nullptr) : parent_(parent) {}
    void operatorMessage(base::MessageIcon icon, const std::string& title, const std::string& text) override;
    void stop();

private:
    QPointer<QWidget> parent_;
    // The boxes open now, innermost last (a box may open while another waits).
    std::vector<QPointer<QMessageBox>> open_;
    bool stopped_ = false;
    base::StandardErrorSink standardError_{"orvanta"};
};

}  // namespace ui
