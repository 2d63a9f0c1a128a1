// The system as the corner watch sees it, for the watch's tests and its
// fuzz target: every answer a field the test sets, the saver starts it was
// asked for counted. What a feedback change does is the test's.
#pragma once

#include "hotcorners/corners.h"

class AnsweringSystem : public SaverSystem {
public:
    bool active = true;
    bool usable = true;
    bool running = false;
    bool startWorks = true;
    int starts = 0;

    bool IsSaverActive() override { return active; }
    void SetSaverActive(bool on) override { active = on; }
    bool HasUsableSaver() override { return usable; }
    bool IsSaverRunning() override { return running; }
    bool RequestSaverStart() override
    {
        ++starts;
        return startWorks;
    }
};
