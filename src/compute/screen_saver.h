// The desktop's screen saver, switched off while the module runs locally so
// that a long computation does not compete with it for the processor.
#pragma once

namespace vemra {

class ScreenSaver {
public:
    virtual ~ScreenSaver() = default;
    virtual bool isActive() = 0;
    virtual void setActive(bool active) = 0;
};

} // namespace vemra
