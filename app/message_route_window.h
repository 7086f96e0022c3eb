// Where the main window's operator messages go.
//
// - Before the window is up (hold() until release()), messages are kept and
//   then shown in order: start-up boxes wait for the window.
// - Raised while input is handled (handlingInput), a message becomes a
//   notice: nothing between the bytes and the table waits for the operator.
// - A notice is shown once the current handler has returned, in the notice
//   bar above the list (ui::NoticeBar), which never waits and never takes the
//   keyboard, so input goes on being read while it is up.
// - Otherwise a message box, or the sink a test gives (setSink), which takes
//   notices too as they come.
// After stop() no box opens any more: one that is open closes, its text and
// everything after go to standard error.
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/operator_messages.h"

class QWidget;

namespace ui {
class MessageBoxSink;
class NoticeBar;
}  // namespace ui

namespace app {

class MessageRoute : public QObject {
    Q_OBJECT
public:
    // window: the parent of the boxes and of the notice bar.
    MessageRoute(QWidget& window, std::function<bool()> handlingInput);
    ~MessageRoute() override;

    ui::NoticeBar& noticeBar() { return *noticeBar_; }
    void setSink(base::MessageSink* sink) { sink_ = sink; }

    void hold() { holding_ = true; }
    // Shows the messages kept since hold(), in order.
    void release();
    void message(base::MessageIcon icon, const std::string& title, const std::string& text);
    void notice(base::MessageIcon icon, const std::string& title, const std::string& text);
    void stop();

private:
    struct Message {
        base::MessageIcon icon;
        std::string title, text;
    };
    void showNotices();

    std::function<bool()> handlingInput_;
    std::unique_ptr<ui::MessageBoxSink> boxSink_;
    base::MessageSink* sink_ = nullptr;
    ui::NoticeBar* noticeBar_ = nullptr;
    bool holding_ = false;
    bool stopped_ = false;
    std::vector<Message> held_;
    // Notices raised since the last turn of the event loop.
    std::vector<Message> notices_;
    bool noticesPosted_ = false;
};

}  // namespace app
