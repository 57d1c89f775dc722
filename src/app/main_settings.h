// The main window's values in the settings store: last folders, the import
// type, the recently used files, the option check marks, the computation
// mode and the window position. Missing values keep the defaults below.
#pragma once

#include <QRect>
#include <QString>
#include <QStringList>

namespace vemra {

class SettingsStore;

// Computation mode as stored in "PriorityClass".
enum class PriorityClass { Low = 1, Normal = 2, High = 3, Extern = 4 };

struct MainSettings {
    int LastFType = 1;
    QString LastR4PPath;
    QString LastImportPath;
    QStringList recentFiles;
    bool DelConfirm = false;
    bool ShowEditor = false;
    PriorityClass priority = PriorityClass::Normal;
    QRect position{254, 204, 301, 472};

    // Fills what the store holds and leaves the rest.
    void read(const SettingsStore& store);
    // Writes everything; homePath is the program's folder (written only).
    void write(SettingsStore& store, const QString& homePath) const;
};

inline constexpr const char* FilesKey = "Files";
inline constexpr const char* OptionsKey = "Options";

} // namespace vemra
