#pragma once
// The steps of a preset run: the processor holds up to sixteen preset scenes
// (templates 0..15). A run sends preset 1 (flag 0), and at every finished scene
// (flag 1) stores the scene just sent into its template and sends the next one;
// after the last preset it restores the live scene (scene list entry 0).

namespace ledwall::processor
{

constexpr int MaxPresets = 16;

struct PresetStep {
    bool sendScene = false; // send scene list entry `sceneIndex` (before-synchronisation 5)
    int sceneIndex = -1;
    int templateNumber = -1; // >= 0: store the previous scene as this template first
    int nextCounter = 0;     // the step counter after this step
};

// One step. `counter` is the number of steps taken (0 while no run was started);
// `presetCount` the presets in the scene list (entries 1..presetCount, at most 16).
// Flag 255 (a failed scene) and steps past the end only advance or keep the
// counter; a flag 1 without a started run does nothing.
PresetStep presetStep(int flag, int counter, int presetCount);

} // namespace ledwall::processor
