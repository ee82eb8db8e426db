#include "parser/command_table.h"

#include <algorithm>
#include <array>
#include <cstddef>

#include "parser/byte_readers.h"

namespace jobformat {

namespace {

// The shapes by letter, looked up rather than switched on: commands come in
// no order a jump could predict.
using ShapeTable = std::array<CommandShape, 256>;

template <class ShapeOf>
constexpr ShapeTable MakeShapeTable(ShapeOf shapeOf) {
    ShapeTable table{};
    for (std::size_t letter = 0; letter < table.size(); ++letter) {
        table[letter] = shapeOf(static_cast<std::uint8_t>(letter));
    }
    return table;
}

constexpr ShapeTable kEscShapes = MakeShapeTable(EscCommandShape);
constexpr ShapeTable kVectorShapes = MakeShapeTable(VectorCommandShape);

// Offsets are taken in 64 bits: a block length near 2^32 must not wrap the
// position round to an earlier byte.
CommandExtent Finish(CommandExtent cmd, std::uint64_t end, std::uint32_t size) {
    if (end > size) {
        cmd.status = ExtentStatus::kCutShort;
        cmd.end = size;
    } else {
        cmd.end = static_cast<std::uint32_t>(end);
    }
    return cmd;
}

}  // namespace

CommandExtent MeasureCommand(const std::uint8_t* data, std::uint32_t size, std::uint32_t start) {
    CommandExtent cmd;
    const std::uint64_t params = std::uint64_t{start} + kCommandPrefixLength;
    if (params > size) return Finish(cmd, params, size);
    cmd.letter = static_cast<std::uint8_t>(ReadU8(data, start + 1));
    cmd.shape = (ReadU8(data, start) == kEsc ? kEscShapes : kVectorShapes)[cmd.letter];
    cmd.status = ExtentStatus::kComplete;
    switch (cmd.shape.layout) {
        case ParamLayout::kNotACommand:
        case ParamLayout::kTrailer:
            return Finish(cmd, params, size);
        case ParamLayout::kFixed:
            return Finish(cmd, params + cmd.shape.fixedSize, size);
        case ParamLayout::kCounted:
            if (params + 1 > size) return Finish(cmd, params + 1, size);
            return Finish(cmd, params + 1 + ReadU8(data, static_cast<std::uint32_t>(params)), size);
        case ParamLayout::kRasterBlock: {
            if (params + 4 > size) return Finish(cmd, params + 4, size);
            const std::uint32_t n = ReadU32BE(data, static_cast<std::uint32_t>(params));
            const std::uint64_t end = params + 4 + n;
            if (n >= kRasterMinimumBlock) return Finish(cmd, end, size);
            // Dropped, but passed over: the walk still only moves forward.
            cmd.status = ExtentStatus::kBlockTooShort;
            cmd.end = static_cast<std::uint32_t>(std::min<std::uint64_t>(end, size));
            return cmd;
        }
    }
    return cmd;
}

}  // namespace jobformat
