// Keeps the desktop's screen saver from starting while the computation
// module runs, through the freedesktop screen-saver service on the session
// bus. Where no such service runs, the screen saver counts as not active and
// nothing is switched.
#pragma once

#include "compute/screen_saver.h"

#include <QDBusConnection>

#include <cstdint>

namespace vemra {

class DBusScreenSaver : public ScreenSaver {
public:
    // bus: where the service is looked for; the user's session bus unless
    // told otherwise.
    explicit DBusScreenSaver(const QDBusConnection& bus = QDBusConnection::sessionBus()) : bus_(bus) {}
    ~DBusScreenSaver() override;
    DBusScreenSaver(const DBusScreenSaver&) = delete;
    DBusScreenSaver& operator=(const DBusScreenSaver&) = delete;

    // The screen saver may start: the service exists and this object holds
    // no inhibition.
    bool isActive() override;
    // false: asks the service to inhibit the screen saver; true: lifts the
    // inhibition this object holds.
    void setActive(bool active) override;
    bool inhibited() const { return cookie_ != 0; }

    bool serviceAvailable() const;

    static constexpr const char* Service = "org.freedesktop.ScreenSaver";
    static constexpr const char* Path = "/org/freedesktop/ScreenSaver";
    static constexpr const char* Interface = "org.freedesktop.ScreenSaver";

private:
    QDBusConnection bus_;
    uint32_t cookie_ = 0;
};

inline constexpr const char* ScreenSaverOffStatusText = "Bildschirmschoner deaktiviert.";

} // namespace vemra
