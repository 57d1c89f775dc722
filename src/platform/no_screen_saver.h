// The screen saver where the system offers no way to switch it: it counts as
// not active, so a computation neither switches it nor reports doing so.
#pragma once

#include "compute/screen_saver.h"

namespace vemra {

class NoScreenSaver : public ScreenSaver {
public:
    bool isActive() override { return false; }
    void setActive(bool) override {}
};

} // namespace vemra
