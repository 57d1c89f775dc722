#include "diagram_settings.h"

#include "platform/qt/settings_store.h"

#include <algorithm>

namespace vemra {

namespace {

const QString key()
{
    return QString::fromLatin1(DiagramSettingsKey);
}

template <class Block> QByteArray toBytes(const Block& block)
{
    return QByteArray(reinterpret_cast<const char*>(block.data()), static_cast<qsizetype>(block.size()));
}

const uint8_t* bytesOf(const QByteArray& a)
{
    return reinterpret_cast<const uint8_t*>(a.constData());
}

} // namespace

void readDiagramDefaults(const SettingsStore& store, DiagramDefaultSettings& s)
{
    if (const auto v = store.readInteger(key(), QStringLiteral("HLColor")))
        s.HLColor = *v;
    if (const auto v = store.readBinary(key(), QStringLiteral("DColor")))
        if (const auto record = DisplayRecord::fromBlock(bytesOf(*v), static_cast<size_t>(v->size())))
            s.Record = *record;
}

void writeDiagramDefaults(SettingsStore& store, const DiagramDefaultSettings& s)
{
    store.writeInteger(key(), QStringLiteral("HLColor"), s.HLColor);
    store.writeBinary(key(), QStringLiteral("DColor"), toBytes(s.Record.toBlock()));
}

void readPictureExportOptions(const SettingsStore& store, PictureExportOptions& o)
{
    if (const auto v = store.readBool(key(), QStringLiteral("ExDin")))
        o.Din = *v;
    if (const auto v = store.readBool(key(), QStringLiteral("ExLS")))
        o.Landscape = *v;
    // Sizes outside what the dialog offers are brought into its range.
    if (const auto v = store.readInteger(key(), QStringLiteral("ExWidth")))
        o.Width = std::clamp<int>(*v, PictureExportOptions::MinSize, PictureExportOptions::MaxSize);
    if (const auto v = store.readInteger(key(), QStringLiteral("ExHeight")))
        o.Height = std::clamp<int>(*v, PictureExportOptions::MinSize, PictureExportOptions::MaxSize);
    if (const auto v = store.readInteger(key(), QStringLiteral("ExRes")); v && *v >= 0 && *v <= 2)
        o.Resolution = *v;
    if (const auto v = store.readBinary(key(), QStringLiteral("ExFont")))
        if (const auto font = FontSetting::fromBlock(bytesOf(*v), static_cast<size_t>(v->size())))
            o.Font = *font;
}

void writePictureExportOptions(SettingsStore& store, const PictureExportOptions& o)
{
    store.writeBool(key(), QStringLiteral("ExDin"), o.Din);
    store.writeBool(key(), QStringLiteral("ExLS"), o.Landscape);
    store.writeInteger(key(), QStringLiteral("ExWidth"), o.Width);
    store.writeInteger(key(), QStringLiteral("ExHeight"), o.Height);
    store.writeInteger(key(), QStringLiteral("ExRes"), o.Resolution);
    store.writeBinary(key(), QStringLiteral("ExFont"), toBytes(o.Font.toBlock()));
}

} // namespace vemra
