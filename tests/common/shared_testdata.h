#pragma once

#include <filesystem>

#include <gtest/gtest.h>

// Real files written by others lie beside the project, never in it: a clone of the project
// alone skips the tests that read them, with the place it looked.
#define SKIP_WITHOUT_SHARED_TESTDATA(dir) \
    do { \
        if (!std::filesystem::is_directory(dir)) \
            GTEST_SKIP() << "no shared test data at " << std::filesystem::path(dir).string(); \
    } while (false)
