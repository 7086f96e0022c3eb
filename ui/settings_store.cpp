#include "ui/settings_store.h"

#include <QDir>
#include <QFile>

namespace ui {

namespace {
const QString kGroup = QStringLiteral("Settings");
QString keyOf(const QString& key) { return kGroup + "/" + key; }
}  // namespace

SettingsStore::SettingsStore() : settings_(std::make_unique<QSettings>("Orvanta", "Orvanta")) {}

SettingsStore::SettingsStore(const QString& iniFile)
    : settings_(std::make_unique<QSettings>(iniFile, QSettings::IniFormat)) {}

std::unique_ptr<SettingsStore> SettingsStore::ForRun(const QString& dataDir) {
    if (dataDir.isEmpty()) return std::make_unique<SettingsStore>();
    for (const auto format : {QSettings::NativeFormat, QSettings::IniFormat}) {
        QSettings::setPath(format, QSettings::UserScope, dataDir);
    }
    return std::make_unique<SettingsStore>(QDir(dataDir).filePath(kFileName));
}

double SettingsStore::readNumber(const QString& key, double def) const {
    const QVariant v = settings_->value(keyOf(key));
    if (!v.isValid()) return def;
    bool ok = false;
    const double d = v.toString().trimmed().toDouble(&ok);
    return ok ? d : def;
}

void SettingsStore::writeNumber(const QString& key, double value) {
    settings_->setValue(keyOf(key), QString::number(static_cast<float>(value)));
}

QStringList SettingsStore::readTextList(const QString& key) const {
    return settings_->value(keyOf(key)).toStringList();
}

void SettingsStore::writeTextList(const QString& key, const QStringList& values) {
    settings_->setValue(keyOf(key), values);
}

bool SettingsStore::contains(const QString& key) const { return settings_->contains(keyOf(key)); }

void SettingsStore::keepPrivate() {
    settings_->sync();
    const QString file = settings_->fileName();
    if (QFile::exists(file)) QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

}  // namespace ui
