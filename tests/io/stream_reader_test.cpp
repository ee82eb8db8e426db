// Reading streams: the size limit holds while reading, and a descriptor
// left non-blocking is waited for.
#include "io/stream_reader.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "io/job_file.h"

namespace {

struct Pipe {
    Pipe() { EXPECT_EQ(pipe(fds), 0); }
    ~Pipe() {
        close(fds[0]);
        if (fds[1] >= 0) close(fds[1]);
    }
    void Send(const std::string& bytes, bool last) {
        ASSERT_EQ(write(fds[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        if (!last) return;
        close(fds[1]);
        fds[1] = -1;
    }
    int fds[2] = {-1, -1};
};

TEST(StreamReaderTest, RefusesAsSoonAsTheStreamPassesTheLimit) {
    {
        Pipe stream;
        stream.Send(std::string(10, 'a'), true);
        HeapBytes bytes;
        std::size_t size = 99;
        std::string error;
        ASSERT_TRUE(ReadStream(stream.fds[0], 10, bytes, &size, &error)) << error;
        EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes.get()), size), std::string(10, 'a'));
    }
    {
        // The writer keeps the pipe open: only a reader that stops at the
        // limit returns at all, and it leaves the rest unread.
        Pipe stream;
        stream.Send(std::string(11, 'b') + "rest", false);
        HeapBytes bytes;
        std::size_t size = 99;
        std::string error;
        EXPECT_FALSE(ReadStream(stream.fds[0], 10, bytes, &size, &error));
        EXPECT_EQ(error, kJobTooLarge);
        EXPECT_EQ(size, 99u);
        char rest[8] = {};
        EXPECT_EQ(read(stream.fds[0], rest, sizeof rest), 4);
    }
    {
        Pipe stream;
        stream.Send("", true);
        HeapBytes bytes;
        std::size_t size = 99;
        EXPECT_TRUE(ReadStream(stream.fds[0], 10, bytes, &size, nullptr));
        EXPECT_EQ(size, 0u);
    }
}

TEST(StreamReaderTest, LargeStreamArrivesWhole) {
    // Many growths of the buffer, with a writer that is slower than the reader.
    Pipe stream;
    std::string sent;
    for (int i = 0; i < 300000; ++i) sent += static_cast<char>('a' + i % 26);
    std::thread writer([&] { stream.Send(sent, true); });
    HeapBytes bytes;
    std::size_t size = 0;
    ASSERT_TRUE(ReadStream(stream.fds[0], sent.size(), bytes, &size, nullptr));
    writer.join();
    EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes.get()), size), sent);
}

TEST(StreamReaderTest, NonBlockingDescriptorIsWaitedFor) {
    Pipe stream;
    ASSERT_EQ(fcntl(stream.fds[0], F_SETFL, O_NONBLOCK), 0);
    std::thread writer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        stream.Send("late", true);
    });
    HeapBytes bytes;
    std::size_t size = 0;
    std::string error;
    EXPECT_TRUE(ReadStream(stream.fds[0], 100, bytes, &size, &error)) << error;
    writer.join();
    EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes.get()), size), "late");
}

}  // namespace
