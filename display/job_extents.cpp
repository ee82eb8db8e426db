#include "display/job_extents.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <new>
#include <numbers>

#include "display/raster_line.h"
#include "parser/byte_readers.h"

namespace {

// The set pixels of a decoded line: how many, and the first and last of
// them by index along the line.
struct SetPixels {
    std::uint64_t count = 0;
    std::int64_t first = 0;
    std::int64_t last = 0;
};

std::uint32_t SetPixelsInByte(std::uint8_t byte, std::uint16_t bitMode) {
    switch (bitMode) {
        case 0:
            return static_cast<std::uint32_t>(std::popcount(byte));
        case 1:
            return ((byte >> 4) != 0 ? 1u : 0u) + ((byte & 0x0F) != 0 ? 1u : 0u);
        default:
            return byte != 0 ? 1u : 0u;
    }
}

// Index within a non-zero byte of its first and last set pixel.
std::int64_t FirstPixelInByte(std::uint8_t byte, std::uint16_t bitMode) {
    if (bitMode == 0) return std::countl_zero(byte);
    if (bitMode == 1) return (byte >> 4) != 0 ? 0 : 1;
    return 0;
}

std::int64_t LastPixelInByte(std::uint8_t byte, std::uint16_t bitMode) {
    if (bitMode == 0) return 7 - std::countr_zero(byte);
    if (bitMode == 1) return (byte & 0x0F) != 0 ? 1 : 0;
    return 0;
}

SetPixels FindSetPixels(const std::uint8_t* bytes, std::uint32_t length, std::uint16_t bitMode) {
    const std::int64_t perByte = PixelsPerByte(bitMode);
    SetPixels pixels;
    std::int64_t firstByte = -1;
    std::int64_t lastByte = -1;
    for (std::uint32_t i = 0; i < length; ++i) {
        if (bytes[i] == 0) continue;
        if (firstByte < 0) firstByte = i;
        lastByte = i;
        pixels.count += SetPixelsInByte(bytes[i], bitMode);
    }
    if (pixels.count == 0) return pixels;
    pixels.first = firstByte * perByte + FirstPixelInByte(bytes[firstByte], bitMode);
    pixels.last = lastByte * perByte + LastPixelInByte(bytes[lastByte], bitMode);
    return pixels;
}

double NormalAngle(double angle) {
    constexpr double kTurn = 2 * std::numbers::pi;
    angle = std::fmod(angle, kTurn);
    return angle < 0 ? angle + kTurn : angle;
}

// Extends a box by a point given in floating point, outwards to whole dots.
void AddOutward(DotBox& box, double x, double y) {
    box.Add(static_cast<std::int64_t>(std::floor(x)), static_cast<std::int64_t>(std::floor(y)));
    box.Add(static_cast<std::int64_t>(std::ceil(x)), static_cast<std::int64_t>(std::ceil(y)));
}

double Overhang(std::int64_t reach, std::int64_t edge) {
    return reach > edge ? static_cast<double>(reach - edge) : 0.0;
}

// limitX / limitY: the largest coordinate on the bed; first: the smallest.
EdgeOverhang OverhangOf(const DotBox& box, std::int64_t firstX, std::int64_t limitX,
                        std::int64_t firstY, std::int64_t limitY) {
    if (box.empty) return {};
    return EdgeOverhang{Overhang(firstX, box.left), Overhang(box.right, limitX),
                        Overhang(box.top, limitY), Overhang(firstY, box.bottom)};
}

}  // namespace

void DotBox::Add(std::int64_t x, std::int64_t y) {
    if (empty) {
        *this = DotBox{false, x, y, x, y};
        return;
    }
    left = std::min(left, x);
    right = std::max(right, x);
    bottom = std::min(bottom, y);
    top = std::max(top, y);
}

BedFit FitOnBed(const JobExtents& extents, std::int32_t bedWidthDots, std::int32_t bedHeightDots) {
    const std::int64_t width = bedWidthDots;
    const std::int64_t height = bedHeightDots;
    return BedFit{OverhangOf(extents.dots, 0, width - 1, 1, height),
                  OverhangOf(extents.cuts, 0, width, 0, height),
                  OverhangOf(extents.travel, 0, width, 0, height)};
}

CJobExtents::CJobExtents()
    : m_decodeBuffer(new (std::nothrow) std::uint8_t[kDecodedLineCapacity + kDecodeSlack]) {}

CJobExtents::~CJobExtents() = default;

void CJobExtents::SetOffset(std::int32_t x, std::int32_t y) {
    m_offsetX = x;
    m_offsetY = y;
}

void CJobExtents::OnParseBegin() {
    m_extents = JobExtents{};
    m_layer = 0;
    m_headX = 0;
    m_headY = 0;
    m_headPlaced = false;
}

void CJobExtents::OnRasterLine() {
    const std::uint32_t p = m_cmdStart + m_cmdPrefix;
    const std::int64_t perByte = PixelsPerByte(m_bitMode);
    if (perByte == 0 || !m_decodeBuffer) return;
    const std::uint32_t dataLength = ReadU32BE(m_data, p) - 8;
    const std::uint32_t dataStart = p + 12;
    const CodedLine line{m_data + dataStart, dataLength,
                         std::uint64_t{dataStart} + dataLength < m_dataSize};
    const std::uint32_t decoded =
        DecodeRuns(line, RunThreshold(m_rleBase), kDecodedLineCapacity, m_decodeBuffer.get());
    const SetPixels pixels = FindSetPixels(m_decodeBuffer.get(), decoded, m_bitMode);
    if (pixels.count == 0) return;

    const std::int64_t x = std::int64_t{ReadS32BE(m_data, p + 4)} + m_offsetX;
    const std::int64_t y = std::int64_t{ReadS32BE(m_data, p + 8)} + m_offsetY;
    // '0' lines run towards larger x, any other letter towards smaller x.
    const std::int64_t stride = m_data[p - 1] == '0' ? m_dotStep : -std::int64_t{m_dotStep};
    m_extents.dots.Add(x + stride * pixels.first, y);
    m_extents.dots.Add(x + stride * pixels.last, y);
    m_extents.layers[m_layer].dots += pixels.count;
}

void CJobExtents::OnPenSelect() {
    if (m_penNumber < m_extents.layers.size()) m_layer = m_penNumber;
}

std::int32_t CJobExtents::ReadVectorParam(int index) const {
    const std::uint32_t p = m_cmdStart + m_cmdPrefix;
    return ReadS32BE(m_data, p + 4 * static_cast<std::uint32_t>(index));
}

void CJobExtents::OnMoveAbsolute() {
    if (m_headPlaced) m_extents.travel.Add(m_headX, m_headY);
    m_headX = std::int64_t{ReadVectorParam(0)} + m_offsetX;
    m_headY = std::int64_t{ReadVectorParam(1)} + m_offsetY;
    m_headPlaced = true;
    m_extents.travel.Add(m_headX, m_headY);
}

void CJobExtents::OnLineRelative() {
    const std::int64_t dx = ReadVectorParam(0);
    const std::int64_t dy = ReadVectorParam(1);
    m_extents.cuts.Add(m_headX, m_headY);
    m_headX += dx;
    m_headY += dy;
    m_headPlaced = true;
    m_extents.cuts.Add(m_headX, m_headY);
    m_extents.layers[m_layer].cutDots +=
        std::hypot(static_cast<double>(dx), static_cast<double>(dy));
}

void CJobExtents::OnArcB() { MeasureArc(true); }

void CJobExtents::OnArcC() { MeasureArc(false); }

void CJobExtents::MeasureArc(bool clockwise) {
    // As the preview draws it: the circle about the centre through the
    // start point, from the ray through the start to the ray through the
    // end (the whole circle when they coincide); the head then goes to the
    // end point as given, on the circle or not.
    const double startX = static_cast<double>(m_headX);
    const double startY = static_cast<double>(m_headY);
    const double centreX = startX + ReadVectorParam(2);
    const double centreY = startY + ReadVectorParam(3);
    const double endX = startX + ReadVectorParam(0);
    const double endY = startY + ReadVectorParam(1);
    const double radius = std::hypot(startX - centreX, startY - centreY);

    m_extents.cuts.Add(m_headX, m_headY);
    m_headX += ReadVectorParam(0);
    m_headY += ReadVectorParam(1);
    m_headPlaced = true;
    if (radius == 0.0) return;

    const double startAngle = std::atan2(startY - centreY, startX - centreX);
    const double endAngle = std::atan2(endY - centreY, endX - centreX);
    // Angles are measured counter-clockwise from the start; a clockwise arc
    // sweeps the other way round.
    const auto fromStart = [&](double angle) {
        return NormalAngle(clockwise ? startAngle - angle : angle - startAngle);
    };
    double sweep = fromStart(endAngle);
    const bool endOnCentre = endX == centreX && endY == centreY;
    if (sweep == 0.0 || endOnCentre) sweep = 2 * std::numbers::pi;

    if (!endOnCentre) {
        const double scale = radius / std::hypot(endX - centreX, endY - centreY);
        AddOutward(m_extents.cuts, centreX + (endX - centreX) * scale,
                   centreY + (endY - centreY) * scale);
    }
    // The points furthest right, up, left and down, where the sweep passes
    // them; taken exactly, not through cosines.
    const std::array<std::array<double, 2>, 4> extremes = {
        {{radius, 0.0}, {0.0, radius}, {-radius, 0.0}, {0.0, -radius}}};
    for (std::size_t quarter = 0; quarter < extremes.size(); ++quarter) {
        if (fromStart(static_cast<double>(quarter) * std::numbers::pi / 2) > sweep) continue;
        AddOutward(m_extents.cuts, centreX + extremes[quarter][0], centreY + extremes[quarter][1]);
    }
    m_extents.layers[m_layer].cutDots += radius * sweep;
}
