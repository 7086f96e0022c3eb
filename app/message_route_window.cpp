#include "app/message_route_window.h"

#include <QWidget>
#include <utility>

#include "ui/message_box_sink.h"
#include "ui/notice_bar.h"

namespace app {

namespace {
QString fromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
}  // namespace

MessageRoute::MessageRoute(QWidget& window, std::function<bool()> handlingInput)
    : QObject(&window),
      handlingInput_(std::move(handlingInput)),
      boxSink_(std::make_unique<ui::MessageBoxSink>(&window)),
      sink_(boxSink_.get()),
      noticeBar_(new ui::NoticeBar(&window)) {}

MessageRoute::~MessageRoute() = default;

void MessageRoute::release() {
    holding_ = false;
    for (const Message& m : std::exchange(held_, {})) message(m.icon, m.title, m.text);
}

void MessageRoute::message(base::MessageIcon icon, const std::string& title, const std::string& text) {
    if (holding_) {
        held_.push_back({icon, title, text});
        return;
    }
    // Nothing between the bytes and the table waits for the operator.
    if (handlingInput_()) {
        notice(icon, title, text);
        return;
    }
    sink_->operatorMessage(icon, title, text);
}

void MessageRoute::notice(base::MessageIcon icon, const std::string& title, const std::string& text) {
    if (sink_ != boxSink_.get()) {
        // Another sink (a test's recorder) takes it as it comes: it never waits.
        sink_->operatorMessage(icon, title, text);
        return;
    }
    notices_.push_back({icon, title, text});
    if (noticesPosted_) return;
    noticesPosted_ = true;
    QMetaObject::invokeMethod(this, &MessageRoute::showNotices, Qt::QueuedConnection);
}

void MessageRoute::showNotices() {
    noticesPosted_ = false;
    for (const Message& m : std::exchange(notices_, {})) {
        if (stopped_) {
            sink_->operatorMessage(m.icon, m.title, m.text);  // standard error by now
        } else {
            noticeBar_->add(m.icon, fromUtf8(m.title), fromUtf8(m.text));
        }
    }
}

void MessageRoute::stop() {
    stopped_ = true;
    boxSink_->stop();
    showNotices();
    noticeBar_->clear();
    // Boxes still held for after the start go where a stopped box goes.
    holding_ = false;
    for (const Message& m : std::exchange(held_, {})) sink_->operatorMessage(m.icon, m.title, m.text);
}

}  // namespace app
