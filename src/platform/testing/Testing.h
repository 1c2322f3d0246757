#pragma once
// Services of the test main shared by every test executable.
#include <string>

#include <gtest/gtest.h>

// The temporary folder of this test run (removed at the end); the current
// directory is a folder "current" inside it. Paths are file-system (UTF-8) paths.
const std::string& TestRunDir();
// A fresh empty folder below TestRunDir() for one test.
std::string MakeTestDir(const std::string& name);
// Folder where tests leave files for people to look at (pictures, dumps).
std::string TestOutputDir();

// The shared corpus and benchmark inputs (../shared beside the source tree).
std::string SharedDir();
// True when a missing shared folder must fail rather than skip (CI).
bool SharedRequired();

// Skips the current test when the shared folder is absent, or fails it when the
// shared data is required. Use as the first statement of a test.
#define ELDRAVIN_NEED_SHARED(path)                                                   \
    do {                                                                              \
        if (!TestPathExists(path)) {                                                  \
            if (SharedRequired())                                                     \
                FAIL() << "shared data missing (required under CI): " << (path);     \
            GTEST_SKIP() << "shared data absent: " << (path);                         \
        }                                                                             \
    } while (0)

bool TestPathExists(const std::string& path);

// Reads a whole file (file-system path) into a byte string; fails the test if it cannot.
std::string ReadTestFile(const std::string& path);
void WriteTestFile(const std::string& path, const std::string& bytes);
