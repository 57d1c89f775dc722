#include "recent_files.h"

namespace vemra {

bool RecentFiles::contains(const QString& fileName) const
{
    return files_.contains(fileName, Qt::CaseInsensitive);
}

bool RecentFiles::add(const QString& fileName)
{
    if (fileName.isEmpty() || contains(fileName))
        return false;
    if (files_.size() >= MaxEntries)
        files_.removeFirst();
    files_.append(fileName);
    return true;
}

void RecentFiles::assign(const QStringList& fileNames)
{
    files_.clear();
    for (const QString& f : fileNames)
        add(f);
}

} // namespace vemra
