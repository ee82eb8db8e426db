// How long an animated load will take: the pauses a draw makes (one per row
// or command shown), counted by drawing the job once without a screen to
// wait on, with the options and model of the display that will animate it.
#pragma once

#include <cstdint>
#include <span>

#include "display/model_info.h"

class CJobDisplay;

// The switches that make a draw pause, which the display does not report.
struct AnimationSwitches {
    bool cutProcess = false;
    bool showPR = false;
    bool engraveProcess = false;
};

struct AnimationSteps {
    std::uint64_t count = 0;
    std::uint64_t milliseconds = 0;  // the sum of the pauses' delays
};

AnimationSteps CountAnimationSteps(const CJobDisplay& display, const AnimationSwitches& switches,
                                   const ModelInfo& model, std::span<const std::uint8_t> job);
