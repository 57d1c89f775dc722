#include "commands.h"

namespace vemra::cli {

const std::vector<Command>& commands()
{
    static const std::vector<Command> table = {
        {"check", "check DATEI.r4p...", "liest Projekte, zeigt ihren Baum und prüft, ob sie berechnet werden können",
         runCheck},
    };
    return table;
}

} // namespace vemra::cli
