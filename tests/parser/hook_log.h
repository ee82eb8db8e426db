// A parser for tests that logs every hook with a copy of the parser's fields
// at that moment, and parses from an exactly-sized heap buffer so that the
// address sanitizer catches any read past the end of the job.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "parser/hook_observer.h"

struct HookEvent {
    Hook hook;
    ParserState state;
};

class HookLog : public CHookObserver {
public:
    void ParseJob(const std::vector<std::uint8_t>& job) {
        auto buffer = std::make_unique<std::uint8_t[]>(job.size());
        std::copy(job.begin(), job.end(), buffer.get());
        Attach(buffer.get(), static_cast<std::uint32_t>(job.size()));
        m_buffer = std::move(buffer);
        events.clear();
        Parse();
    }

    std::vector<Hook> Hooks() const {
        std::vector<Hook> hooks;
        for (const HookEvent& e : events) hooks.push_back(e.hook);
        return hooks;
    }

    std::vector<HookEvent> events;
    // The sum of every byte the descriptor hooks read, in all parses.
    std::uint64_t bytesTouched = 0;

protected:
    void OnHook(Hook hook) override {
        events.push_back({hook, State()});
        if (!HookHasDescriptor(hook)) return;
        // A descriptor hook may read its whole command without checks.
        EXPECT_LE(std::uint64_t(m_cmdStart) + std::uint64_t(m_cmdLength), m_dataSize);
        // Summed into a member, so the reads stay in the program for ASan.
        for (std::uint32_t i = 0; i < m_cmdLength; ++i) bytesTouched += m_data[m_cmdStart + i];
    }

private:
    std::unique_ptr<std::uint8_t[]> m_buffer;
};
