#include "app/history_settings.h"

#include <QUrl>

#include "ui/settings_store.h"

namespace app {

namespace {

QString ReadText(const ui::SettingsStore* store, const QString& key, const QString& def) {
    if (!store || !store->contains(key)) return def;
    const QStringList list = store->readTextList(key);
    return list.isEmpty() ? QString() : list.front();
}

QString Encoded(const QString& text) { return QString::fromLatin1(QUrl::toPercentEncoding(text)); }

}  // namespace

bool HistorySettings::operator==(const HistorySettings& o) const {
    return on == o.on && server == o.server && host == o.host && port == o.port && database == o.database &&
           user == o.user && thinning.minSeconds == o.thinning.minSeconds &&
           thinning.courseDegrees == o.thinning.courseDegrees && thinning.speedKnots == o.thinning.speedKnots &&
           thinning.statusChange == o.thinning.statusChange && retention.days == o.retention.days &&
           retention.maxBytes == o.retention.maxBytes;
}

HistorySettings LoadHistorySettings(const ui::SettingsStore* store) {
    HistorySettings s;
    if (!store) return s;
    s.on = store->readNumber("History", 1) != 0;
    s.server = store->readNumber("HistoryServer", 0) != 0;
    s.host = ReadText(store, "HistoryHost", s.host);
    s.port = static_cast<int>(store->readNumber("HistoryPort", s.port));
    s.database = ReadText(store, "HistoryDatabase", s.database);
    s.user = ReadText(store, "HistoryUser", s.user);
    s.thinning.minSeconds = store->readNumber("HistoryThinSeconds", s.thinning.minSeconds);
    s.thinning.courseDegrees = store->readNumber("HistoryThinCourse", s.thinning.courseDegrees);
    s.thinning.speedKnots = store->readNumber("HistoryThinSpeed", s.thinning.speedKnots);
    s.thinning.statusChange = store->readNumber("HistoryThinStatus", 1) != 0;
    s.retention.days = static_cast<int>(store->readNumber("HistoryDays", s.retention.days));
    s.retention.maxBytes = static_cast<int64_t>(store->readNumber("HistoryMegabytes", 2048)) << 20;
    return s;
}

void SaveHistorySettings(ui::SettingsStore* store, const HistorySettings& s) {
    if (!store) return;
    store->writeNumber("History", s.on ? 1 : 0);
    store->writeNumber("HistoryServer", s.server ? 1 : 0);
    store->writeTextList("HistoryHost", {s.host});
    store->writeNumber("HistoryPort", s.port);
    store->writeTextList("HistoryDatabase", {s.database});
    store->writeTextList("HistoryUser", {s.user});
    store->writeNumber("HistoryThinSeconds", s.thinning.minSeconds);
    store->writeNumber("HistoryThinCourse", s.thinning.courseDegrees);
    store->writeNumber("HistoryThinSpeed", s.thinning.speedKnots);
    store->writeNumber("HistoryThinStatus", s.thinning.statusChange ? 1 : 0);
    store->writeNumber("HistoryDays", s.retention.days);
    store->writeNumber("HistoryMegabytes", static_cast<double>(s.retention.maxBytes >> 20));
}

std::string ServerUrl(const HistorySettings& s) {
    QString url = "postgresql://";
    if (!s.user.isEmpty()) url += Encoded(s.user) + "@";
    const QString host = s.host.trimmed();
    if (!host.isEmpty()) url += host.contains(':') ? "[" + host + "]" : Encoded(host);
    if (!host.isEmpty() && s.port > 0) url += ":" + QString::number(s.port);
    url += "/" + Encoded(s.database);
    return url.toStdString();
}

HistoryKeeper::Settings KeeperSettings(const HistorySettings& s) {
    HistoryKeeper::Settings k;
    k.on = s.on;
    if (s.server) k.location = ServerUrl(s);
    k.thinning = s.thinning;
    k.retention = s.retention;
    return k;
}

}  // namespace app
