// The main window's messages: every message of the run in the inbox (View >
// Incoming Messages), and for the kinds the operator chose (Options > Message
// pop-ups, kept in the settings) a beep and the "AIS Message received"
// window or a binary application's own window, popped up where they cover
// neither the list, the reference frame, an open dialog nor each other.
//
// Pop-ups never take the keyboard: messages arrive while the operator types
// elsewhere. At most ui::kMaxOpenPopups stay open; the oldest gives way.
#pragma once

#include <QObject>
#include <QPointer>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "ais/message_inbox.h"
#include "base/operator_messages.h"

class QWidget;

namespace ais {
class FrmAISMessage;
class MessageInboxModel;
}  // namespace ais
namespace ui {
class SettingsStore;
}

namespace app {

struct MessageToShow;
class FrmMessages;

class IncomingMessages : public QObject {
    Q_OBJECT
public:
    using Notice = std::function<void(base::MessageIcon, const std::string& title, const std::string& text)>;
    // window: the parent of every message window; settings: where the pop-up
    // choices are kept (null keeps none); notice: how a message log failure is told.
    IncomingMessages(QWidget& window, ui::SettingsStore* settings, Notice notice);

    // What a new pop-up keeps clear of: the target list and the reference frame.
    void keepClearOf(QWidget& list, QWidget& reference);

    // Adds the message to the inbox, beeps and pops up as the choices say,
    // and tells once per run when the message log could not be written.
    void show(const MessageToShow& message);

    ais::MessageInboxModel& inbox() { return *inbox_; }
    const ais::PopupSettings& popupSettings() const { return popups_; }
    void setPopupSettings(const ais::PopupSettings& popups);
    // Times a message has beeped in this run.
    int beeps() const { return beeps_; }

    // View > Incoming Messages and Options > Message pop-ups...
    void showMessagesWindow();
    void showPopupSettings();

private:
    void showPopup(QWidget& window);

    QWidget& window_;
    ui::SettingsStore* settings_;
    Notice notice_;
    QWidget* list_ = nullptr;
    QWidget* reference_ = nullptr;
    ais::MessageInboxModel* inbox_ = nullptr;
    ais::PopupSettings popups_{};
    int beeps_ = 0;
    bool logFailureShown_ = false;
    QPointer<FrmMessages> frmMessages_;
    QPointer<ais::FrmAISMessage> frmAISMessage_;
    // One window per binary application (meteorological, dangerous cargo,
    // fairway closed, tidal window), indexed by ais::ApplicationWindow - 1.
    std::array<QPointer<QWidget>, 4> applicationWindows_;
    std::vector<QPointer<QWidget>> popupOrder_;  // open pop-ups, oldest first
};

}  // namespace app
