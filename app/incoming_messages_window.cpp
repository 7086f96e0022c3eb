#include "app/incoming_messages_window.h"

#include <QApplication>
#include <QDialog>
#include <QScreen>
#include <algorithm>

#include "windows/ais/ais_message_window.h"
#include "windows/ais/binary_message_window.h"
#include "windows/ais/message_inbox_model.h"
#include "app/frm_messages_window.h"
#include "app/message_popups_dialog.h"
#include "station/receiver_events.h"
#include "ui/popup_placement.h"
#include "ui/settings_store.h"
#include "ui/window_placement.h"

namespace app {

namespace {

// Message pop-ups, per ais::PopupKind: "MsgPopupWindow_0", "MsgPopupBeep_0", ...
constexpr const char* kPopupWindowKey = "MsgPopupWindow_%1";
constexpr const char* kPopupBeepKey = "MsgPopupBeep_%1";

QRect GlobalRect(const QWidget& w) { return {w.mapToGlobal(QPoint(0, 0)), w.size()}; }

// A top-level window with room for the title bar the window manager adds.
QRect WindowRect(const QWidget& w) {
    return {w.frameGeometry().topLeft(), w.size() + QSize(0, ui::kTitleBarAllowance)};
}

}  // namespace

IncomingMessages::IncomingMessages(QWidget& window, ui::SettingsStore* settings, Notice notice)
    : QObject(&window), window_(window), settings_(settings), notice_(std::move(notice)) {
    inbox_ = new ais::MessageInboxModel(ais::kInboxCapacity, this);
    if (settings_) {
        for (int k = 0; k < ais::kPopupKinds; ++k) {
            ais::PopupChoice& c = popups_[static_cast<size_t>(k)];
            c.showWindow = settings_->readNumber(QString(kPopupWindowKey).arg(k), 1) != 0;
            c.beep = settings_->readNumber(QString(kPopupBeepKey).arg(k), 1) != 0;
        }
    }
}

void IncomingMessages::keepClearOf(QWidget& list, QWidget& reference) {
    list_ = &list;
    reference_ = &reference;
}

void IncomingMessages::show(const MessageToShow& m) {
    const ais::InboxAdded added = inbox_->add(m.notice);
    const auto kind = ais::PopupKindOf(m.messageType);
    const ais::PopupChoice choice = kind ? popups_[static_cast<size_t>(*kind)] : ais::PopupChoice{};
    if (choice.beep) {
        ++beeps_;
        QApplication::beep();
    }
    if (choice.showWindow) {
        if (!frmAISMessage_) {
            frmAISMessage_ = new ais::FrmAISMessage(&window_);
            // Messages arrive while the operator types elsewhere: shown, never
            // given the keyboard, and never over the reference position.
            frmAISMessage_->setAttribute(Qt::WA_ShowWithoutActivating);
        }
        frmAISMessage_->showNotice(m.notice);
        showPopup(*frmAISMessage_);
    }
    if (choice.showWindow && m.notice.window != ais::ApplicationWindow::None && m.binary) {
        // An open window keeps what it shows; a closed one opens filled from
        // the message that asked for it (addressed or broadcast alike).
        QPointer<QWidget>& open = applicationWindows_[static_cast<size_t>(m.notice.window) - 1];
        if (!open) {
            auto* window = ais::OpenApplicationWindow(m.notice.window, *m.binary, &window_);
            window->setAttribute(Qt::WA_ShowWithoutActivating);
            const std::uint64_t id = added.id;
            connect(window, &ais::FrmBinaryApplication::accepted, this, [this, id] { inbox_->markRead(id); });
            open = window;
        }
        showPopup(*open);
    }
    if (m.logFailed && !logFailureShown_) {
        // Told once per run: a message box per message would bury a busy feed.
        logFailureShown_ = true;
        notice_(base::MessageIcon::Exclamation, "AIS message log",
                "Messages can not be written to the message log (" + m.logError +
                    "). They are still shown; further log errors are not reported.");
    }
}

void IncomingMessages::showPopup(QWidget& window) {
    std::erase_if(popupOrder_, [](const QPointer<QWidget>& w) { return !w || !w->isVisible(); });
    if (std::find(popupOrder_.begin(), popupOrder_.end(), &window) != popupOrder_.end()) {
        window.show();  // open already: it keeps its place
        return;
    }
    ui::PopupScene scene;
    const QScreen* screen = window_.screen() ? window_.screen() : QGuiApplication::primaryScreen();
    scene.screen = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    if (list_) scene.list = GlobalRect(*list_);
    if (reference_) scene.reference = GlobalRect(*reference_);
    for (const QPointer<QWidget>& w : popupOrder_) scene.open.push_back(WindowRect(*w));
    for (QWidget* t : QApplication::topLevelWidgets()) {
        const auto* dialog = qobject_cast<QDialog*>(t);
        if (t->isVisible() && (t->isModal() || (dialog && dialog->isModal()))) scene.dialogs.push_back(WindowRect(*t));
    }
    if (!window.testAttribute(Qt::WA_Resized)) window.adjustSize();
    const QRect at = ui::NextPopupRect(scene, window.size() + QSize(0, ui::kTitleBarAllowance));
    window.move(at.topLeft());
    window.show();
    popupOrder_.emplace_back(&window);
    // The oldest gives way; what it showed stays in Incoming Messages.
    while (static_cast<int>(popupOrder_.size()) > ui::kMaxOpenPopups) {
        const QPointer<QWidget> oldest = popupOrder_.front();
        popupOrder_.erase(popupOrder_.begin());
        if (oldest) oldest->close();
    }
}

void IncomingMessages::setPopupSettings(const ais::PopupSettings& popups) {
    popups_ = popups;
    if (!settings_) return;
    for (int k = 0; k < ais::kPopupKinds; ++k) {
        const ais::PopupChoice& c = popups_[static_cast<size_t>(k)];
        settings_->writeNumber(QString(kPopupWindowKey).arg(k), c.showWindow ? 1 : 0);
        settings_->writeNumber(QString(kPopupBeepKey).arg(k), c.beep ? 1 : 0);
    }
}

void IncomingMessages::showPopupSettings() {
    FrmMessagePopups dialog(popups_, &window_);
    if (dialog.exec() == QDialog::Accepted) setPopupSettings(dialog.settings());
}

void IncomingMessages::showMessagesWindow() {
    if (!frmMessages_) {
        frmMessages_ = new FrmMessages(*inbox_, &window_);
        // Where it does not cover the reference-position frame.
        if (reference_) {
            const QRect frame(reference_->mapToGlobal(QPoint(0, 0)), reference_->size());
            frmMessages_->move(ui::PlaceClearOf(frame, frmMessages_->frameGeometry().size()));
        }
    }
    frmMessages_->show();
    frmMessages_->raise();
    frmMessages_->activateWindow();
}

}  // namespace app
