// The desktop's history settings as the settings store keeps them, and the
// server URL made from them. The password is never stored: libpq reads it
// from ~/.pgpass or a service file.
//
//   app::HistorySettings s = app::LoadHistorySettings(store);
//   s.retention.days = 60;
//   app::SaveHistorySettings(store, s);
#pragma once

#include <QString>
#include <string>

#include "app/history_keeper.h"
#include "history/history_feed.h"
#include "history/history_store.h"

namespace ui {
class SettingsStore;
}

namespace app {

struct HistorySettings {
    bool on = true;
    bool server = false;  // PostgreSQL instead of History.sqlite
    QString host;         // empty: the local socket
    int port = 5432;
    QString database = "orvanta";
    QString user;
    history::ThinningRule thinning;
    history::Retention retention;
    bool operator==(const HistorySettings&) const;
};

// The defaults for keys that are missing; a null store gives the defaults.
HistorySettings LoadHistorySettings(const ui::SettingsStore* store);
void SaveHistorySettings(ui::SettingsStore* store, const HistorySettings& s);

// "postgresql://user@host:port/database", names percent-encoded, an IPv6
// address in brackets; user and host left out when empty.
std::string ServerUrl(const HistorySettings& s);

// What the history keeper is started with, for the desktop and the station alike.
HistoryKeeper::Settings KeeperSettings(const HistorySettings& s);

}  // namespace app
