// The picture half of lumikor-cli diff: both jobs drawn as render draws them,
// the bed pixels that differ counted and boxed, and a picture of B's bed with
// what only A has and what only B has marked in two colours.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <ostream>
#include <span>
#include <string>

#include "io/file_identity.h"

class CJobDisplay;

struct PictureDiff {
    std::uint64_t differingPixels = 0;
    // Inclusive box of the differing pixels, when there are any.
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = -1;
    std::int32_t bottom = -1;
};

// Draws each job on its display (set up by SetUpRender) and compares the
// union of the two bed images pixel by pixel.
PictureDiff ComparePictures(CJobDisplay& a, std::span<const std::uint8_t> jobA, CJobDisplay& b,
                            std::span<const std::uint8_t> jobB);

// The count and the box in pixels and, by B's geometry, in dots.
nlohmann::ordered_json PictureJson(const PictureDiff& diff, const CJobDisplay& b);
void WritePictureText(const nlohmann::ordered_json& pictures, std::ostream& out);

// B's bed, faded, with the pixels drawn only in A in red and those drawn
// only (or differently) in B in green, as a PNG file. False with the reason
// in error when it cannot be written, or path leads to one of inputs.
bool WriteDiffImage(const CJobDisplay& a, const CJobDisplay& b, const std::string& path,
                    std::span<const FileIdentity> inputs, std::string& error);
