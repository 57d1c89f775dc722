#include "settings_store.h"

#include <QSettings>
#include <QtEndian>

namespace vemra {

SettingsStore::SettingsStore(const QString& rootKey)
{
    QStringList parts = rootKey.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
#ifdef Q_OS_WIN
    settings_ = std::make_unique<QSettings>(QStringLiteral("HKEY_CURRENT_USER\\") + parts.join(QLatin1Char('\\')),
                                            QSettings::NativeFormat);
#else
    // "SOFTWARE\Maker\Product\Version": the maker and product name the file,
    // everything below them becomes groups inside it.
    if (!parts.isEmpty() && parts.front().compare(QLatin1String("SOFTWARE"), Qt::CaseInsensitive) == 0)
        parts.removeFirst();
    const QString organisation = parts.isEmpty() ? QStringLiteral("Vemra") : parts.takeFirst();
    const QString application = parts.isEmpty() ? organisation : parts.takeFirst();
    settings_ = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, organisation, application);
    if (!parts.isEmpty())
        prefix_ = parts.join(QLatin1Char('/')) + QLatin1Char('/');
#endif
}

SettingsStore::~SettingsStore()
{
    if (settings_)
        settings_->sync();
}

QString SettingsStore::path(const QString& subKey, const QString& name) const
{
    return prefix_ + subKey + QLatin1Char('/') + name;
}

bool SettingsStore::keyExists(const QString& subKey) const
{
    settings_->beginGroup(prefix_ + subKey);
    const bool exists = !settings_->childKeys().isEmpty() || !settings_->childGroups().isEmpty();
    settings_->endGroup();
    return exists;
}

std::optional<int32_t> SettingsStore::readInteger(const QString& subKey, const QString& name) const
{
    const QVariant v = settings_->value(path(subKey, name));
    if (!v.isValid())
        return std::nullopt;
    bool ok = false;
    const qlonglong x = v.toLongLong(&ok);
    // Out-of-range numbers are as unusable as text: keep the default.
    if (!ok || x < INT32_MIN || x > INT32_MAX)
        return std::nullopt;
    return static_cast<int32_t>(x);
}

std::optional<bool> SettingsStore::readBool(const QString& subKey, const QString& name) const
{
    const auto x = readInteger(subKey, name);
    if (!x)
        return std::nullopt;
    return *x != 0;
}

std::optional<QString> SettingsStore::readString(const QString& subKey, const QString& name) const
{
    const QVariant v = settings_->value(path(subKey, name));
    if (!v.isValid() || v.typeId() == QMetaType::QByteArray)
        return std::nullopt;
    if (v.typeId() == QMetaType::QStringList) // an INI value with a comma in it
        return v.toStringList().join(QLatin1String(", "));
    return v.toString();
}

std::optional<QByteArray> SettingsStore::readBinary(const QString& subKey, const QString& name) const
{
    const QVariant v = settings_->value(path(subKey, name));
    if (!v.isValid() || v.typeId() != QMetaType::QByteArray)
        return std::nullopt;
    return v.toByteArray();
}

void SettingsStore::writeInteger(const QString& subKey, const QString& name, int32_t value)
{
    settings_->setValue(path(subKey, name), value);
}

void SettingsStore::writeBool(const QString& subKey, const QString& name, bool value)
{
    settings_->setValue(path(subKey, name), value ? 1 : 0);
}

void SettingsStore::writeString(const QString& subKey, const QString& name, const QString& value)
{
    settings_->setValue(path(subKey, name), value);
}

void SettingsStore::writeBinary(const QString& subKey, const QString& name, const QByteArray& value)
{
    settings_->setValue(path(subKey, name), value);
}

void SettingsStore::removeValue(const QString& subKey, const QString& name)
{
    settings_->remove(path(subKey, name));
}

QStringList SettingsStore::valueNames(const QString& subKey) const
{
    settings_->beginGroup(prefix_ + subKey);
    const QStringList names = settings_->childKeys();
    settings_->endGroup();
    return names;
}

bool SettingsStore::flush(QString* error)
{
    settings_->sync();
    switch (settings_->status()) {
    case QSettings::NoError:
        return true;
    case QSettings::AccessError:
        if (error)
            *error = QStringLiteral("Die Einstellungen konnten nicht geschrieben werden: ") + location();
        return false;
    case QSettings::FormatError:
        if (error)
            *error = QStringLiteral("Die Einstellungsdatei ist beschädigt: ") + location();
        return false;
    }
    return true;
}

QString SettingsStore::location() const
{
    return settings_->fileName();
}

QByteArray packInt32Block(const int32_t (&values)[4])
{
    QByteArray block(16, '\0');
    for (int i = 0; i < 4; ++i)
        qToLittleEndian<qint32>(values[i], block.data() + 4 * i);
    return block;
}

bool unpackInt32Block(const QByteArray& data, int32_t (&values)[4])
{
    if (data.size() != 16)
        return false;
    for (int i = 0; i < 4; ++i)
        values[i] = qFromLittleEndian<qint32>(data.constData() + 4 * i);
    return true;
}

} // namespace vemra
