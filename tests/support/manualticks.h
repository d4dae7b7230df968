#pragma once

#include "widgets/ticksource.h"

// A tick source that ticks only when told to.
class ManualTicks : public TTickSource {
public:
    void start(int ms) override
    {
        active = true;
        ms_ = roundedInterval(ms);
    }
    void stop() override { active = false; }
    bool isActive() const override { return active; }
    int interval() const override { return ms_; }
    void fire() { Q_EMIT tick(); }

    bool active = false;
    int ms_ = 0;
};
