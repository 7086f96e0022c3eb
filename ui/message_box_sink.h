// Shows the core's operator messages as modal message boxes.
#pragma once

#include <QPointer>
#include <QWidget>

#include "base/operator_messages.h"

namespace ui {

class MessageBoxSink : public base::MessageSink {
public:
    explicit MessageBoxSink(QWidget* parent = nullptr) : parent_(parent) {}
    void operatorMessage(base::MessageIcon icon, const std::string& title, const std::string& text) override;

private:
    QPointer<QWidget> parent_;
};

}  // namespace ui
