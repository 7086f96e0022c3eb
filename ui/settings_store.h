// The per-user settings store: window placements and the like, under the
// application "Orvanta", group "Settings". Values are kept as the text of a
// single-precision number ("13300"), as they were always stored.
//
//   ui::SettingsStore store;                       // the user's store
//   int left = store.readNumber("MainLeft", 1000);
//   store.writeNumber("MainLeft", 1200);
//
// Tests pass an ini file path to keep the user's store untouched.
//
// A run with a data folder of its own (--data-dir DIR) keeps its settings in
// DIR/Orvanta.conf, and every other settings file Qt writes for the run (the
// file dialogs' recent folders) in DIR too, so such a run writes nothing
// outside DIR:
//   auto store = ui::SettingsStore::ForRun(dataDirGiven);   // "" for the user's store
#pragma once

#include <QSettings>
#include <QString>
#include <QStringList>
#include <memory>

namespace ui {

class SettingsStore {
public:
    SettingsStore();
    explicit SettingsStore(const QString& iniFile);
    static constexpr const char* kFileName = "Orvanta.conf";
    // The store of a program run; dataDir is the folder given on the command
    // line, empty for none.
    static std::unique_ptr<SettingsStore> ForRun(const QString& dataDir);

    // The stored number, or def when the key is missing or not a number.
    double readNumber(const QString& key, double def) const;
    void writeNumber(const QString& key, double value);
    // A list of texts (file paths and the like); empty when the key is missing.
    QStringList readTextList(const QString& key) const;
    void writeTextList(const QString& key, const QStringList& values);
    bool contains(const QString& key) const;
    void sync() { settings_->sync(); }
    // Writes the file now and makes it readable by its owner only, for a
    // store that holds a secret (the web view's access token). Later writes
    // replace the file with the same permissions.
    void keepPrivate();

private:
    std::unique_ptr<QSettings> settings_;
};

}  // namespace ui
