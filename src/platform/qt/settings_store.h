// The user's settings with registry semantics: a root key such as
// "SOFTWARE\Norwald\Zembo\V1208\" holds sub-keys ("Files", "Options", ...)
// with typed values. On Windows it is the registry itself; elsewhere one
// settings file per maker and product, the rest of the key path as groups.
// A value that is missing or of the wrong type reads as "absent", so the
// caller keeps its built-in default.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>

class QSettings;

namespace vemra {

inline constexpr const char* ProductSettingsRoot = "SOFTWARE\\Norwald\\Zembo\\V1208\\";

class SettingsStore {
public:
    explicit SettingsStore(const QString& rootKey = QString::fromLatin1(ProductSettingsRoot));
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // A sub-key exists once it holds at least one value.
    bool keyExists(const QString& subKey) const;

    std::optional<int32_t> readInteger(const QString& subKey, const QString& name) const;
    // Booleans are stored as the integers 0 and 1; any non-zero reads as true.
    std::optional<bool> readBool(const QString& subKey, const QString& name) const;
    std::optional<QString> readString(const QString& subKey, const QString& name) const;
    std::optional<QByteArray> readBinary(const QString& subKey, const QString& name) const;

    void writeInteger(const QString& subKey, const QString& name, int32_t value);
    void writeBool(const QString& subKey, const QString& name, bool value);
    void writeString(const QString& subKey, const QString& name, const QString& value);
    void writeBinary(const QString& subKey, const QString& name, const QByteArray& value);
    void removeValue(const QString& subKey, const QString& name);
    // Names of the values stored in a sub-key.
    QStringList valueNames(const QString& subKey) const;

    // Writes pending changes; false (with a reason) when the store is not writable.
    bool flush(QString* error = nullptr);

    // Where the values end up, for messages and diagnostics.
    QString location() const;

private:
    QString path(const QString& subKey, const QString& name) const;

    std::unique_ptr<QSettings> settings_;
    QString prefix_; // group prefix below the settings file, ends with "/" or is empty
};

// The 16-byte little-endian block of four 32-bit integers used for window
// positions ("Position": Left, Top, Width, Height).
QByteArray packInt32Block(const int32_t (&values)[4]);
bool unpackInt32Block(const QByteArray& data, int32_t (&values)[4]);

} // namespace vemra
