// The SIGBUS guard takes only faults inside its own mappings: every other
// bus error still ends the process as it would have.
#include "io/guarded_mapping.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/temp_dir.h"

namespace {

// Reads every page of the mapping; volatile, so that no read is left out.
unsigned SumPages(const std::uint8_t* data, std::size_t size) {
    const auto* bytes = reinterpret_cast<const volatile std::uint8_t*>(data);
    unsigned sum = 0;
    for (std::size_t i = 0; i < size; i += 512) sum += bytes[i];
    return sum;
}

class GuardedMappingDeathTest : public testing::Test {
protected:
    void SetUp() override {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        m_path = m_dir.Write("job.prn", std::string(kSize, '\1'));
        m_fd = open(m_path.c_str(), O_RDONLY);
        ASSERT_GE(m_fd, 0);
        // The guard is in place once any mapping was made.
        ASSERT_TRUE(m_guarded.Map(m_fd, kSize, nullptr));
    }
    void TearDown() override { close(m_fd); }

    static constexpr std::size_t kSize = 1 << 16;
    TempDir m_dir;
    std::string m_path;
    int m_fd = -1;
    GuardedMapping m_guarded;
};

TEST_F(GuardedMappingDeathTest, FaultOutsideAGuardedMappingStillEndsTheProcess) {
    EXPECT_DEATH(
        {
            void* plain = mmap(nullptr, kSize, PROT_READ, MAP_PRIVATE, m_fd, 0);
            if (truncate(m_path.c_str(), 0) != 0) _exit(0);
            SumPages(static_cast<const std::uint8_t*>(plain), kSize);
            _exit(0);
        },
        "");
    EXPECT_DEATH(
        {
            raise(SIGBUS);
            _exit(0);
        },
        "");
}

TEST_F(GuardedMappingDeathTest, FaultInsideIsSurvivedAndEndedMappingsAreForgotten) {
    ASSERT_EQ(truncate(m_path.c_str(), 0), 0);
    EXPECT_EQ(SumPages(m_guarded.Data(), kSize), 0u);
    EXPECT_TRUE(m_guarded.LostPages());
    // Once unmapped, the same addresses are no longer the guard's.
    const std::uint8_t* former = m_guarded.Data();
    m_guarded.Unmap();
    EXPECT_DEATH(
        {
            void* plain = mmap(const_cast<std::uint8_t*>(former), kSize, PROT_READ,
                               MAP_PRIVATE | MAP_FIXED, m_fd, 0);
            if (plain == MAP_FAILED) _exit(0);
            SumPages(former, kSize);
            _exit(0);
        },
        "");
}

}  // namespace
