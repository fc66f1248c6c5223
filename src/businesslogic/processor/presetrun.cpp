#include "presetrun.h"

#include <QtGlobal>

namespace ledwall::processor
{

PresetStep presetStep(int flag, int counter, int presetCount)
{
    presetCount = qBound(0, presetCount, MaxPresets);
    PresetStep step;
    step.nextCounter = counter;
    if (flag == 0) {
        step.nextCounter = 1;
        if (presetCount > 0) {
            step.sendScene = true;
            step.sceneIndex = 1;
        }
        return step;
    }
    if (counter < 1) // no run started: a stray scene end is not a step
        return step;
    step.nextCounter = counter + 1;
    if (flag != 1 || counter > presetCount)
        return step;
    step.sendScene = true;
    step.templateNumber = counter - 1;
    step.sceneIndex = counter < presetCount ? counter + 1 : 0;
    return step;
}

} // namespace ledwall::processor
