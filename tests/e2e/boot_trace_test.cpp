#include <gtest/gtest.h>

#include <fstream>

#include "run_tool.h"

TEST(BootTrace, ThePlus4StartsAtTheKernalsResetVector) {
    RequireRoms();
    std::ifstream kernal(BinDir() + "/kernal.bin", std::ios::binary);
    kernal.seekg(0x3FFC);
    const int lo = kernal.get(), hi = kernal.get();
    char expected[8];
    std::snprintf(expected, sizeof expected, "%04X  ", lo | hi << 8);

    const auto r = RunTool("--machine plus4 --frames 1 --trace", true);
    EXPECT_EQ(r.Status, 0);
    ASSERT_GT(r.Out.size(), 6u);
    EXPECT_EQ(r.Out.substr(0, 6), expected) << r.Out.substr(0, 200);
}
