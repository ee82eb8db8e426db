// JobWriter builds job streams for tests, samples and benchmarks: one call per
// command of the format, so a test says what a job contains instead of
// spelling out its bytes. Calls append to one growing buffer and return the
// writer, so they chain.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>
#include <vector>

class JobWriter {
public:
    using Bytes_t = std::vector<std::uint8_t>;

    const Bytes_t& Bytes() const { return m_bytes; }
    std::uint32_t Size() const { return static_cast<std::uint32_t>(m_bytes.size()); }

    // Raw material, for jobs that the command calls cannot express.
    JobWriter& Raw(std::initializer_list<std::uint8_t> bytes);
    JobWriter& Raw(std::span<const std::uint8_t> bytes);
    JobWriter& Raw(std::string_view text);
    JobWriter& U16(std::uint32_t value);  // big-endian, low 16 bits
    JobWriter& U32(std::uint32_t value);  // big-endian
    JobWriter& Magic();

    // Raster lines ('0' runs towards larger x, '1' towards smaller x).
    // Raster() compresses the decoded bytes with the threshold of the last
    // RleBase() written (0, the default, stands for 192).
    JobWriter& Raster(char letter, std::int32_t x, std::int32_t y,
                      std::span<const std::uint8_t> decoded);
    // Writes the compressed row data as given, for broken or hand-made lines.
    JobWriter& RasterCompressed(char letter, std::int32_t x, std::int32_t y,
                                std::span<const std::uint8_t> compressed);
    // Writes ESC letter N and then the block bytes as given, whatever N says:
    // for N below 8 and for N running past the end of the job.
    JobWriter& RasterBlock(char letter, std::uint32_t n, std::span<const std::uint8_t> block);

    // Trailer: with the checksum of everything written so far (plus ESC 'B'
    // 'Y' 'E') and the final job size, or with chosen values.
    JobWriter& Trailer();
    JobWriter& Trailer(std::uint16_t checksum, std::uint32_t totalLength);

    // Escape commands, named after what the parser does with them.
    JobWriter& RleBase(std::uint8_t value);  // ESC 'C'
    JobWriter& DotStep(std::uint8_t value);  // ESC 'D'
    JobWriter& EscE(const std::array<std::uint8_t, 7>& bytes);
    JobWriter& FileName(std::string_view name);  // ESC 'F'; n = name size (at most 255)
    JobWriter& EscH(std::uint16_t value);
    JobWriter& EscI(std::span<const std::uint8_t> bytes);  // at most 255 bytes
    JobWriter& EscJ(std::uint16_t value);
    JobWriter& EscL(const std::array<std::uint8_t, 3>& bytes);
    JobWriter& BitMode(std::uint8_t flags);  // ESC 'M'
    JobWriter& Pen(std::uint8_t pen);        // ESC 'N'
    JobWriter& EscO(std::uint8_t flags);
    JobWriter& EscP(std::uint16_t value);
    JobWriter& EscQ(std::uint8_t a, std::uint8_t b);
    JobWriter& EscR(std::uint16_t value);
    JobWriter& EscS(std::uint16_t value);
    JobWriter& EscT(const std::array<std::uint8_t, 16>& bytes);
    JobWriter& EscV();
    JobWriter& EscW();
    JobWriter& EscY(std::uint32_t value);
    JobWriter& EscLowA(std::uint8_t value);  // ESC 'a'
    JobWriter& EscLowF(std::uint8_t value);  // ESC 'f'
    JobWriter& EscLowL(const std::array<std::uint8_t, 32>& bytes);
    JobWriter& EscLowN(const std::array<std::uint8_t, 8>& bytes);
    JobWriter& EscLowV(const std::array<std::uint8_t, 3>& bytes);

    // Vector commands, with 'G' or 'P' as the prefix byte.
    JobWriter& MoveAbsolute(std::int32_t x, std::int32_t y, char prefix = 'G');
    JobWriter& LineRelative(std::int32_t dx, std::int32_t dy, char prefix = 'G');
    JobWriter& ArcB(std::int32_t endDx, std::int32_t endDy, std::int32_t centreDx,
                    std::int32_t centreDy, char prefix = 'G');
    JobWriter& ArcC(std::int32_t endDx, std::int32_t endDy, std::int32_t centreDx,
                    std::int32_t centreDy, char prefix = 'G');
    JobWriter& PenUp(char prefix = 'G');
    JobWriter& PenDown(char prefix = 'G');
    JobWriter& VectorF(char prefix = 'G');
    JobWriter& VectorJ(char prefix = 'G');
    JobWriter& VectorE(std::uint8_t a, std::uint8_t b, char prefix = 'G');
    JobWriter& VectorLowS(std::uint8_t value, char prefix = 'G');  // 's'
    JobWriter& VectorS(char prefix = 'G');

    // Compresses one decoded raster row for threshold rleBase (0 means 192).
    static Bytes_t EncodeRasterRow(std::span<const std::uint8_t> decoded, std::uint8_t rleBase);
    // Byte sum modulo 65536, as the trailer's checksum takes it.
    static std::uint16_t ByteSum(std::span<const std::uint8_t> bytes);

private:
    JobWriter& Esc(char letter);
    JobWriter& Vector(char prefix, char letter);
    JobWriter& Byte(std::uint8_t value);
    JobWriter& S32(std::int32_t value);

    Bytes_t m_bytes;
    std::uint8_t m_rleBase = 0;
};
