// The bed picture as a PNG file: the same pixels Save Image writes as a
// bitmap, encoded by Qt and written through the atomic writer, so a failed
// save leaves any earlier file of that name as it was.
#pragma once

#include <string>

class CJobDisplay;

bool SaveBedPng(const CJobDisplay& display, const std::string& path, std::string* error);
