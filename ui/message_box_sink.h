// Shows the core's operator messages as modal message boxes.
#pragma once

#include <QPointer>
#include <QWidget>

#include "app/operator_messages.h"

namespace ui {

class MessageBoxSink : public app::MessageSink {
public:
    explicit MessageBoxSink(QWidget* parent = nullptr) : parent_(parent) {}
    void operatorMessage(app::MessageIcon icon, const std::string& title, const std::string& text) override;

private:
    QPointer<QWidget> parent_;
};

}  // namespace ui
