#include "working_directory.h"

#include <QDir>
#include <QStandardPaths>

namespace vemra {

QString moduleWorkingDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + QStringLiteral("/work");
}

bool enterModuleWorkingDirectory(QString* error)
{
    const QString dir = moduleWorkingDirectory();
    if (!QDir().mkpath(dir)) {
        if (error)
            *error = QStringLiteral("Das Arbeitsverzeichnis \"%1\" konnte nicht angelegt werden.").arg(dir);
        return false;
    }
    if (!QDir::setCurrent(dir)) {
        if (error)
            *error = QStringLiteral("In das Arbeitsverzeichnis \"%1\" konnte nicht gewechselt werden.").arg(dir);
        return false;
    }
    return true;
}

} // namespace vemra
