// The breakpoint list the debugger keeps in the processor: sixteen addresses at most, no
// duplicates, in the order they were added.
#include "cpu_test_support.h"

namespace {

std::vector<uint16_t> List(const TCPU& cpu) {
    return std::vector<uint16_t>(cpu.Breakpoints, cpu.Breakpoints + cpu.ValidBreakpointCount());
}

}  // namespace

TEST_F(CpuTest, BreakpointsAreKeptInOrderWithoutDuplicatesUpToSixteen) {
    for (int i = 0; i < TCPU::MaxBreakpoints; ++i) EXPECT_TRUE(Cpu.AddBreakpoint(uint16_t(0x1000 * (i % 16) + i)));
    EXPECT_EQ(Cpu.BreakpointCount, 16);
    EXPECT_FALSE(Cpu.AddBreakpoint(0xFFFF));  // the 17th is refused
    EXPECT_FALSE(Cpu.HasBreakpoint(0xFFFF));
    EXPECT_EQ(Cpu.BreakpointCount, 16);

    EXPECT_TRUE(Cpu.RemoveBreakpoint(0x1001));
    EXPECT_FALSE(Cpu.AddBreakpoint(0x2002));  // already set
    EXPECT_EQ(Cpu.BreakpointCount, 15);
    EXPECT_TRUE(Cpu.AddBreakpoint(0xFFFF));
    EXPECT_EQ(List(Cpu).back(), 0xFFFF);
}

TEST_F(CpuTest, RemovingABreakpointMovesTheLaterOnesUp) {
    for (uint16_t a : {0x1000, 0x2000, 0x3000}) Cpu.AddBreakpoint(a);
    EXPECT_TRUE(Cpu.RemoveBreakpoint(0x1000));
    EXPECT_EQ(List(Cpu), std::vector<uint16_t>({0x2000, 0x3000}));
    EXPECT_FALSE(Cpu.RemoveBreakpoint(0x1000));
    EXPECT_TRUE(Cpu.RemoveBreakpoint(0x3000));
    EXPECT_EQ(List(Cpu), std::vector<uint16_t>({0x2000}));
}

TEST_F(CpuTest, AnOutOfRangeCountIsClampedByTheListOperations) {
    Cpu.BreakpointCount = -3;
    EXPECT_FALSE(Cpu.HasBreakpoint(0));
    EXPECT_TRUE(Cpu.AddBreakpoint(0x1234));
    EXPECT_EQ(Cpu.BreakpointCount, 1);
    Cpu.BreakpointCount = 99;
    EXPECT_EQ(Cpu.ValidBreakpointCount(), 16);
    EXPECT_FALSE(Cpu.AddBreakpoint(0x4321));
}
