// The list of recently used project files behind the "&Datei" menu: at most
// six full file names, oldest first, no two that differ only in case.
#pragma once

#include <QString>
#include <QStringList>

namespace vemra {

class RecentFiles {
public:
    static constexpr int MaxEntries = 6;

    // Returns false when the name is already listed (compared without
    // regard to case) or empty; a listed file keeps its place.
    bool add(const QString& fileName);
    // Loading from the settings: the same rules as add().
    void assign(const QStringList& fileNames);

    const QStringList& files() const { return files_; }
    int count() const { return static_cast<int>(files_.size()); }
    bool contains(const QString& fileName) const;

private:
    QStringList files_;
};

} // namespace vemra
