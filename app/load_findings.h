// What a load of a job found beyond its picture, for the status line: the
// parser's error bits and warnings, the unknown bytes with those that a
// failed trailer check left behind told apart, and whether the job fits the
// bed it was drawn on.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "parser/job_warnings.h"

class CJobDisplay;

struct LoadFindings {
    bool notAJob = false;  // the magic check failed: nothing was drawn
    std::uint32_t errorFlags = 0;
    std::vector<JobWarning> warnings;
    // Bytes read as top-level bytes only because a trailer check failed
    // before reaching them (the rest of that trailer), and all others.
    std::uint32_t trailerLeftoverBytes = 0;
    std::uint32_t unknownBytes = 0;
    // Whether the job fits the bed comes later, from a measure of its own
    // (fit_measurer.h): one sentence per bed edge the job reaches past
    // ("cuts reach 20.3 mm past the right edge"), and whether nothing of it
    // shows on the bed (drawn with every layer, the bed stayed white).
    bool fitMeasured = false;
    bool bedBlank = false;
    std::vector<std::string> overhangs;
    bool whollyOffBed = false;

    void SetFit(std::vector<std::string> sentences) {
        overhangs = std::move(sentences);
        whollyOffBed = !overhangs.empty() && bedBlank;
        fitMeasured = true;
    }
};

// display has just drawn job; the fit is still to be measured.
LoadFindings ExamineLoad(const CJobDisplay& display, std::span<const std::uint8_t> job);
