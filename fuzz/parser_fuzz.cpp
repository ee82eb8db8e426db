// The parser alone on any bytes: every hook is raised through a subclass that
// touches the parameters the descriptor points at, so a descriptor that
// reaches past the job shows up as a heap overflow.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/keep_value.h"
#include "parser/base_job_parser.h"

namespace {

class DescriptorToucher : public CBaseJobParser {
public:
    std::uint32_t Checksum() const { return m_sum; }

protected:
    void OnRasterLine() override { TouchCommand(); }
    void OnArcB() override { TouchCommand(); }
    void OnArcC() override { TouchCommand(); }
    void OnEscP() override { TouchCommand(); }
    void OnLineRelative() override { TouchCommand(); }
    void OnMoveAbsolute() override { TouchCommand(); }
    void OnEscS() override { TouchCommand(); }
    void OnEscJ() override { TouchCommand(); }
    void OnFileName() override { TouchCommand(); }

private:
    void TouchCommand() {
        for (std::uint32_t i = 0; i < m_cmdLength; ++i) m_sum += m_data[m_cmdStart + i];
    }
    std::uint32_t m_sum = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // An exactly-sized copy, so that ASan sees any read past the end.
    std::vector<std::uint8_t> job(data, data + size);
    DescriptorToucher parser;
    parser.Attach(job.data(), static_cast<std::uint32_t>(job.size()));
    parser.Parse();
    parser.Parse();  // a second parse of the same job must be just as safe
    KeepValue(parser.Checksum());
    return 0;
}
