// Runs a piece of a test with standard input taken from another descriptor.
#pragma once

#include <unistd.h>

#include <gtest/gtest.h>

template <typename Body>
void WithStandardInput(int fd, Body body) {
    const int saved = dup(STDIN_FILENO);
    ASSERT_GE(saved, 0);
    ASSERT_EQ(dup2(fd, STDIN_FILENO), STDIN_FILENO);
    body();
    dup2(saved, STDIN_FILENO);
    close(saved);
}
