#include "main_settings.h"

#include "platform/qt/settings_store.h"

namespace vemra {

namespace {

const QString files = QString::fromLatin1(FilesKey);
const QString options = QString::fromLatin1(OptionsKey);

QString recentName(int n)
{
    return QStringLiteral("File_") + QString::number(n);
}

} // namespace

void MainSettings::read(const SettingsStore& store)
{
    if (store.keyExists(files))
        if (auto v = store.readInteger(files, QStringLiteral("LastFType")))
            LastFType = *v;
    if (auto v = store.readString(files, QStringLiteral("LastR4PPath")))
        LastR4PPath = *v;
    if (auto v = store.readString(files, QStringLiteral("LastImportPath")))
        LastImportPath = *v;
    recentFiles.clear();
    for (int n = 1;; ++n) {
        const auto f = store.readString(files, recentName(n));
        if (!f || f->isEmpty())
            break;
        recentFiles << *f;
    }
    if (LastFType < 1 || LastFType > 3)
        LastFType = 1;

    if (!store.keyExists(options))
        return;
    if (auto v = store.readBool(options, QStringLiteral("DelConfirm")))
        DelConfirm = *v;
    if (auto v = store.readBool(options, QStringLiteral("ShowEditor")))
        ShowEditor = *v;
    if (auto v = store.readInteger(options, QStringLiteral("PriorityClass"))) {
        switch (*v) {
        case 1:
            priority = PriorityClass::Low;
            break;
        case 3:
            priority = PriorityClass::High;
            break;
        case 4:
            priority = PriorityClass::Extern;
            break;
        default:
            priority = PriorityClass::Normal;
        }
    }
    if (auto v = store.readBinary(options, QStringLiteral("Position"))) {
        int32_t ltwh[4];
        // A block of the wrong size is someone else's data: keep the default.
        if (unpackInt32Block(*v, ltwh))
            position = QRect(ltwh[0], ltwh[1], ltwh[2], ltwh[3]);
    }
}

void MainSettings::write(SettingsStore& store, const QString& homePath) const
{
    store.writeString(files, QStringLiteral("HomePath"), homePath);
    store.writeString(files, QStringLiteral("LastR4PPath"), LastR4PPath);
    store.writeString(files, QStringLiteral("LastImportPath"), LastImportPath);
    store.writeInteger(files, QStringLiteral("LastFType"), LastFType);
    int n = 1;
    for (const QString& f : recentFiles)
        store.writeString(files, recentName(n++), f);
    // A shorter list than last time must not let stale entries reappear.
    for (; store.readString(files, recentName(n)).has_value(); ++n)
        store.removeValue(files, recentName(n));

    store.writeBool(options, QStringLiteral("DelConfirm"), DelConfirm);
    store.writeBool(options, QStringLiteral("ShowEditor"), ShowEditor);
    store.writeInteger(options, QStringLiteral("PriorityClass"), static_cast<int>(priority));
    const int32_t ltwh[4] = {position.left(), position.top(), position.width(), position.height()};
    store.writeBinary(options, QStringLiteral("Position"), packInt32Block(ltwh));
}

} // namespace vemra
