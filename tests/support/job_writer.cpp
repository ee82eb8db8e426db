#include "tests/support/job_writer.h"

#include <algorithm>

#include "parser/job_format.h"

namespace {

// Runs shorter than this stay literal: a repeat code costs two bytes.
constexpr std::size_t kShortestRepeat = 3;

}  // namespace

JobWriter& JobWriter::Byte(std::uint8_t value) {
    m_bytes.push_back(value);
    return *this;
}

JobWriter& JobWriter::Raw(std::initializer_list<std::uint8_t> bytes) {
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
    return *this;
}

JobWriter& JobWriter::Raw(std::span<const std::uint8_t> bytes) {
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
    return *this;
}

JobWriter& JobWriter::Raw(std::string_view text) {
    m_bytes.insert(m_bytes.end(), text.begin(), text.end());
    return *this;
}

JobWriter& JobWriter::U16(std::uint32_t value) {
    return Byte(static_cast<std::uint8_t>(value >> 8)).Byte(static_cast<std::uint8_t>(value));
}

JobWriter& JobWriter::U32(std::uint32_t value) { return U16(value >> 16).U16(value & 0xFFFF); }

JobWriter& JobWriter::S32(std::int32_t value) { return U32(static_cast<std::uint32_t>(value)); }

JobWriter& JobWriter::Magic() {
    return Raw(std::span<const std::uint8_t>(jobformat::kMagic, jobformat::kMagicSize));
}

JobWriter& JobWriter::Esc(char letter) {
    return Byte(jobformat::kEsc).Byte(static_cast<std::uint8_t>(letter));
}

JobWriter& JobWriter::Vector(char prefix, char letter) {
    return Byte(static_cast<std::uint8_t>(prefix)).Byte(static_cast<std::uint8_t>(letter));
}

JobWriter::Bytes_t JobWriter::EncodeRasterRow(std::span<const std::uint8_t> decoded,
                                              std::uint8_t rleBase) {
    const std::uint32_t threshold = rleBase == 0 ? jobformat::kDefaultRleThreshold : rleBase;
    const std::size_t maxCount = 255 - threshold;
    Bytes_t out;
    std::size_t i = 0;
    while (i < decoded.size()) {
        const std::uint8_t value = decoded[i];
        std::size_t run = 1;
        while (i + run < decoded.size() && decoded[i + run] == value) ++run;
        i += run;
        // Values above the threshold can only travel inside a repeat code.
        const bool mustRepeat = value > threshold;
        while (run > 0) {
            if (mustRepeat || (maxCount >= kShortestRepeat && run >= kShortestRepeat)) {
                const std::size_t count = std::min(run, maxCount);
                out.push_back(static_cast<std::uint8_t>(threshold + count));
                out.push_back(value);
                run -= count;
            } else {
                out.push_back(value);
                --run;
            }
        }
    }
    return out;
}

std::uint16_t JobWriter::ByteSum(std::span<const std::uint8_t> bytes) {
    std::uint32_t sum = 0;
    for (std::uint8_t b : bytes) sum += b;
    return static_cast<std::uint16_t>(sum);
}

JobWriter& JobWriter::RasterBlock(char letter, std::uint32_t n,
                                  std::span<const std::uint8_t> block) {
    return Esc(letter).U32(n).Raw(block);
}

JobWriter& JobWriter::RasterCompressed(char letter, std::int32_t x, std::int32_t y,
                                       std::span<const std::uint8_t> compressed) {
    const auto n = static_cast<std::uint32_t>(jobformat::kRasterMinimumBlock + compressed.size());
    return Esc(letter).U32(n).S32(x).S32(y).Raw(compressed);
}

JobWriter& JobWriter::Raster(char letter, std::int32_t x, std::int32_t y,
                             std::span<const std::uint8_t> decoded) {
    return RasterCompressed(letter, x, y, EncodeRasterRow(decoded, m_rleBase));
}

JobWriter& JobWriter::Trailer() {
    Esc('B').Raw("YE");
    const std::uint16_t checksum = ByteSum(m_bytes);
    const std::uint32_t totalLength = Size() + 6;  // checksum and length still to come
    return U16(checksum).U32(totalLength);
}

JobWriter& JobWriter::Trailer(std::uint16_t checksum, std::uint32_t totalLength) {
    return Esc('B').Raw("YE").U16(checksum).U32(totalLength);
}

JobWriter& JobWriter::RleBase(std::uint8_t value) {
    m_rleBase = value;
    return Esc('C').Byte(value);
}

JobWriter& JobWriter::DotStep(std::uint8_t value) { return Esc('D').Byte(value); }
JobWriter& JobWriter::EscE(const std::array<std::uint8_t, 7>& bytes) { return Esc('E').Raw(bytes); }

JobWriter& JobWriter::FileName(std::string_view name) {
    return Esc('F').Byte(static_cast<std::uint8_t>(name.size())).Raw(name);
}

JobWriter& JobWriter::EscH(std::uint16_t value) { return Esc('H').U16(value); }
JobWriter& JobWriter::EscI(std::span<const std::uint8_t> bytes) {
    return Esc('I').Byte(static_cast<std::uint8_t>(bytes.size())).Raw(bytes);
}
JobWriter& JobWriter::EscJ(std::uint16_t value) { return Esc('J').U16(value); }
JobWriter& JobWriter::EscL(const std::array<std::uint8_t, 3>& bytes) { return Esc('L').Raw(bytes); }
JobWriter& JobWriter::BitMode(std::uint8_t flags) { return Esc('M').Byte(flags); }
JobWriter& JobWriter::Pen(std::uint8_t pen) { return Esc('N').Byte(pen); }
JobWriter& JobWriter::EscO(std::uint8_t flags) { return Esc('O').Byte(flags); }
JobWriter& JobWriter::EscP(std::uint16_t value) { return Esc('P').U16(value); }
JobWriter& JobWriter::EscQ(std::uint8_t a, std::uint8_t b) { return Esc('Q').Byte(a).Byte(b); }
JobWriter& JobWriter::EscR(std::uint16_t value) { return Esc('R').U16(value); }
JobWriter& JobWriter::EscS(std::uint16_t value) { return Esc('S').U16(value); }
JobWriter& JobWriter::EscT(const std::array<std::uint8_t, 16>& bytes) {
    return Esc('T').Raw(bytes);
}
JobWriter& JobWriter::EscV() { return Esc('V'); }
JobWriter& JobWriter::EscW() { return Esc('W'); }
JobWriter& JobWriter::EscY(std::uint32_t value) { return Esc('Y').U32(value); }
JobWriter& JobWriter::EscLowA(std::uint8_t value) { return Esc('a').Byte(value); }
JobWriter& JobWriter::EscLowF(std::uint8_t value) { return Esc('f').Byte(value); }
JobWriter& JobWriter::EscLowL(const std::array<std::uint8_t, 32>& bytes) {
    return Esc('l').Raw(bytes);
}
JobWriter& JobWriter::EscLowN(const std::array<std::uint8_t, 8>& bytes) {
    return Esc('n').Raw(bytes);
}
JobWriter& JobWriter::EscLowV(const std::array<std::uint8_t, 3>& bytes) {
    return Esc('v').Raw(bytes);
}

JobWriter& JobWriter::MoveAbsolute(std::int32_t x, std::int32_t y, char prefix) {
    return Vector(prefix, 'A').S32(x).S32(y);
}
JobWriter& JobWriter::LineRelative(std::int32_t dx, std::int32_t dy, char prefix) {
    return Vector(prefix, 'R').S32(dx).S32(dy);
}
JobWriter& JobWriter::ArcB(std::int32_t endDx, std::int32_t endDy, std::int32_t centreDx,
                           std::int32_t centreDy, char prefix) {
    return Vector(prefix, 'B').S32(endDx).S32(endDy).S32(centreDx).S32(centreDy);
}
JobWriter& JobWriter::ArcC(std::int32_t endDx, std::int32_t endDy, std::int32_t centreDx,
                           std::int32_t centreDy, char prefix) {
    return Vector(prefix, 'C').S32(endDx).S32(endDy).S32(centreDx).S32(centreDy);
}
JobWriter& JobWriter::PenUp(char prefix) { return Vector(prefix, 'U'); }
JobWriter& JobWriter::PenDown(char prefix) { return Vector(prefix, 'D'); }
JobWriter& JobWriter::VectorF(char prefix) { return Vector(prefix, 'F'); }
JobWriter& JobWriter::VectorJ(char prefix) { return Vector(prefix, 'J'); }
JobWriter& JobWriter::VectorE(std::uint8_t a, std::uint8_t b, char prefix) {
    return Vector(prefix, 'E').Byte(a).Byte(b);
}
JobWriter& JobWriter::VectorLowS(std::uint8_t value, char prefix) {
    return Vector(prefix, 's').Byte(value);
}
JobWriter& JobWriter::VectorS(char prefix) { return Vector(prefix, 'S'); }
