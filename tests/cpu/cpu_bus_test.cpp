// Bus traffic clock by clock for each sequence family, with the page-crossing and wrap cases.
#include "cpu_test_support.h"

namespace {

using Clock = std::vector<TBusAccess>;
const Clock Internal{};

TEST_F(CpuTest, LdaImmediateTakesTwoClocks) {
    Place(0x2000, {0xA9, 0x80});
    EXPECT_EQ(StepLogged(), Clock({R(0x2000, 0xA9)}));
    EXPECT_EQ(Cpu.Cycle, 2u);
    EXPECT_EQ(Cpu.PC, 0x2001);
    EXPECT_EQ(StepLogged(), Clock({R(0x2001, 0x80)}));
    EXPECT_EQ(Cpu.A, 0x80);
    EXPECT_NE(Cpu.N, 0);
    EXPECT_EQ(Cpu.Z, 0);
    EXPECT_EQ(Cpu.Cycle, 1u);
    EXPECT_EQ(Cpu.PC, 0x2002);
}

TEST_F(CpuTest, ImpliedInstructionMakesNoBusAccessAfterTheFetch) {
    Cpu.X = 0x7F;
    Place(0x2000, {0xE8});  // INX
    EXPECT_EQ(TraceInstruction(), TClockTrace({{R(0x2000, 0xE8)}, Internal}));
    EXPECT_EQ(Cpu.X, 0x80);
    EXPECT_NE(Cpu.N, 0);
}

TEST_F(CpuTest, ZeroPageReadAndWrite) {
    Mem.Image[0x80] = 0x42;
    Place(0x2000, {0xA5, 0x80, 0x85, 0x90});  // LDA $80; STA $90
    EXPECT_EQ(TraceInstruction(), TClockTrace({{R(0x2000, 0xA5)}, {R(0x2001, 0x80)}, {R(0x0080, 0x42)}}));
    EXPECT_EQ(TraceInstruction(), TClockTrace({{R(0x2002, 0x85)}, {R(0x2003, 0x90)}, {W(0x0090, 0x42)}}));
}

TEST_F(CpuTest, ZeroPageModifyWritesOldThenNewValueAndSetsFlagsInClockFour) {
    Mem.Image[0x80] = 0x80;
    Place(0x2000, {0x06, 0x80});  // ASL $80
    EXPECT_EQ(StepLogged(), Clock({R(0x2000, 0x06)}));
    EXPECT_EQ(StepLogged(), Clock({R(0x2001, 0x80)}));
    EXPECT_EQ(StepLogged(), Clock({R(0x0080, 0x80)}));
    EXPECT_EQ(Cpu.C, 0);
    EXPECT_EQ(StepLogged(), Clock({W(0x0080, 0x80)}));
    EXPECT_NE(Cpu.C, 0);
    EXPECT_NE(Cpu.Z, 0);
    EXPECT_EQ(Cpu.N, 0);
    EXPECT_EQ(StepLogged(), Clock({W(0x0080, 0x00)}));
    EXPECT_EQ(Cpu.Cycle, 1u);
}

TEST_F(CpuTest, ZeroPageIndexedWrapsWithinPageZero) {
    Cpu.X = 0x20;
    Mem.Image[0x10] = 0x55;
    Place(0x2000, {0xB5, 0xF0});  // LDA $F0,X reads $0010
    EXPECT_EQ(TraceInstruction(), TClockTrace({{R(0x2000, 0xB5)}, {R(0x2001, 0xF0)}, Internal, {R(0x0010, 0x55)}}));
    EXPECT_EQ(Cpu.A, 0x55);
}

TEST_F(CpuTest, ZeroPageIndexedByYForLdxStxLdtAndDem) {
    Cpu.X = 0x01;
    Cpu.Y = 0x10;
    Cpu.A = 0x99;
    Mem.Image[0x90] = 0x12;
    Place(0x2000, {0xB6, 0x80, 0x96, 0x81, 0xB7, 0x80, 0xD7, 0x80});  // LDX $80,Y; STX $81,Y; LDT $80,Y; DEM $80,Y
    RunInstruction();
    EXPECT_EQ(Cpu.X, 0x12);
    EXPECT_EQ(TraceInstruction(), TClockTrace({{R(0x2002, 0x96)}, {R(0x2003, 0x81)}, Internal, {W(0x0091, 0x12)}}));
    RunInstruction();
    EXPECT_EQ(Cpu.A, 0x12);
    EXPECT_EQ(TraceInstruction(), TClockTrace({{R(0x2006, 0xD7)},
                                              {R(0x2007, 0x80)},
                                              {R(0x0090, 0x12)},
                                              Internal,
                                              {W(0x0090, 0x12)},
                                              {W(0x0090, 0x11)}}));
}

TEST_F(CpuTest, ZeroPageIndexedWriteAndModify) {
    Cpu.X = 0x05;
    Cpu.Y = 0x42;
    Mem.Image[0x85] = 0xFF;
    Place(0x2000, {0x94, 0x80, 0xF6, 0x80});  // STY $80,X; INC $80,X
    EXPECT_EQ(TraceInstruction(), TClockTrace({{R(0x2000, 0x94)}, {R(0x2001, 0x80)}, Internal, {W(0x0085, 0x42)}}));
    EXPECT_EQ(TraceInstruction(), TClockTrace({{R(0x2002, 0xF6)},
                                              {R(0x2003, 0x80)},
                                              {R(0x0085, 0x42)},
                                              Internal,
                                              {W(0x0085, 0x42)},
                                              {W(0x0085, 0x43)}}));
}

TEST_F(CpuTest, AbsoluteReadWriteAndModify) {
    Mem.Image[0x3080] = 0x01;
    Place(0x2000, {0xAD, 0x80, 0x30, 0x8D, 0x81, 0x30, 0xEE, 0x80, 0x30});  // LDA; STA; INC
    EXPECT_EQ(TraceInstruction(),
              TClockTrace({{R(0x2000, 0xAD)}, {R(0x2001, 0x80)}, {R(0x2002, 0x30)}, {R(0x3080, 0x01)}}));
    EXPECT_EQ(TraceInstruction(),
              TClockTrace({{R(0x2003, 0x8D)}, {R(0x2004, 0x81)}, {R(0x2005, 0x30)}, {W(0x3081, 0x01)}}));
    EXPECT_EQ(TraceInstruction(), TClockTrace({{R(0x2006, 0xEE)},
                                              {R(0x2007, 0x80)},
                                              {R(0x2008, 0x30)},
                                              {R(0x3080, 0x01)},
                                              {W(0x3080, 0x01)},
                                              {W(0x3080, 0x02)}}));
}

TEST_F(CpuTest, AbsoluteIndexedReadTakesTheExtraClockOnlyWhenCrossingAPage) {
    Mem.Image[0x3083] = 0x11;
    Mem.Image[0x317F] = 0x22;
    Cpu.X = 0x03;
    Place(0x2000, {0xBD, 0x80, 0x30});  // LDA $3080,X
    EXPECT_EQ(TraceInstruction(),
              TClockTrace({{R(0x2000, 0xBD)}, {R(0x2001, 0x80)}, {R(0x2002, 0x30)}, {R(0x3083, 0x11)}}));
    Cpu.X = 0xFF;
    Place(0x2000, {0xBD, 0x80, 0x30});
    EXPECT_EQ(TraceInstruction(),
              TClockTrace({{R(0x2000, 0xBD)}, {R(0x2001, 0x80)}, {R(0x2002, 0x30)}, Internal, {R(0x317F, 0x22)}}));
    EXPECT_EQ(Cpu.A, 0x22);
}

TEST_F(CpuTest, AbsoluteIndexedAddressWrapsAtTheTopOfMemory) {
    Mem.Image[0x0010] = 0x66;
    Cpu.Y = 0x20;
    Place(0x2000, {0xB9, 0xF0, 0xFF});  // LDA $FFF0,Y reads $0010
    const TClockTrace trace = TraceInstruction();
    ASSERT_EQ(trace.size(), 5u);
    EXPECT_EQ(trace[4], Clock({R(0x0010, 0x66)}));
}

TEST_F(CpuTest, AbsoluteIndexedWriteFollowsTheSameRule) {
    Cpu.A = 0x5A;
    Cpu.Y = 0x03;
    Place(0x2000, {0x99, 0x80, 0x30});  // STA $3080,Y
    EXPECT_EQ(TraceInstruction(),
              TClockTrace({{R(0x2000, 0x99)}, {R(0x2001, 0x80)}, {R(0x2002, 0x30)}, {W(0x3083, 0x5A)}}));
    Cpu.X = 0xFF;
    Place(0x2000, {0x9D, 0x80, 0x30});  // STA $3080,X
    EXPECT_EQ(TraceInstruction(),
              TClockTrace({{R(0x2000, 0x9D)}, {R(0x2001, 0x80)}, {R(0x2002, 0x30)}, Internal, {W(0x317F, 0x5A)}}));
}

TEST_F(CpuTest, AbsoluteIndexedModifyAlwaysTakesSevenClocks) {
    Mem.Image[0x3081] = 0x81;
    Cpu.X = 0x01;
    Place(0x2000, {0x1E, 0x80, 0x30});  // ASL $3080,X
    EXPECT_EQ(TraceInstruction(), TClockTrace({{R(0x2000, 0x1E)},
                                              {R(0x2001, 0x80)},
                                              {R(0x2002, 0x30)},
                                              Internal,
                                              {R(0x3081, 0x81)},
                                              {W(0x3081, 0x81)},
                                              {W(0x3081, 0x02)}}));
    EXPECT_NE(Cpu.C, 0);
}

TEST_F(CpuTest, IndexedIndirectPointerWrapsWithinPageZero) {
    Mem.Image[0xFF] = 0x34;
    Mem.Image[0x00] = 0x30;
    Mem.Image[0x3034] = 0x77;
    Cpu.X = 0x7F;
    Place(0x2000, {0xA1, 0x80});  // LDA ($80,X): pointer at $00FF/$0000
    EXPECT_EQ(TraceInstruction(), TClockTrace({{R(0x2000, 0xA1)},
                                              {R(0x2001, 0x80)},
                                              {R(0x00FF, 0x34)},
                                              {R(0x0000, 0x30)},
                                              Internal,
                                              {R(0x3034, 0x77)}}));
    EXPECT_EQ(Cpu.A, 0x77);
}

TEST_F(CpuTest, IndexedIndirectWriteAndModify) {
    Poke(0x0084, {0x00, 0x31});
    Mem.Image[0x3100] = 0x10;
    Cpu.X = 0x04;
    Cpu.A = 0x3C;
    Place(0x2000, {0x81, 0x80});  // STA ($80,X)
    EXPECT_EQ(TraceInstruction(), TClockTrace({{R(0x2000, 0x81)},
                                              {R(0x2001, 0x80)},
                                              {R(0x0084, 0x00)},
                                              {R(0x0085, 0x31)},
                                              Internal,
                                              {W(0x3100, 0x3C)}}));
    Place(0x2000, {0xC3, 0x80});  // DEM ($80,X)
    EXPECT_EQ(TraceInstruction(), TClockTrace({{R(0x2000, 0xC3)},
                                              {R(0x2001, 0x80)},
                                              {R(0x0084, 0x00)},
                                              {R(0x0085, 0x31)},
                                              Internal,
                                              {R(0x3100, 0x3C)},
                                              {W(0x3100, 0x3C)},
                                              {W(0x3100, 0x3B)}}));
}

TEST_F(CpuTest, IndirectIndexedPointerWrapsAndPageCrossingAddsAClock) {
    Mem.Image[0xFF] = 0x80;
    Mem.Image[0x00] = 0x30;
    Mem.Image[0x3081] = 0x11;
    Mem.Image[0x317F] = 0x22;
    Cpu.Y = 0x01;
    Place(0x2000, {0xB1, 0xFF});  // LDA ($FF),Y: pointer at $00FF/$0000
    EXPECT_EQ(TraceInstruction(), TClockTrace({{R(0x2000, 0xB1)},
                                              {R(0x2001, 0xFF)},
                                              {R(0x00FF, 0x80)},
                                              {R(0x0000, 0x30)},
                                              {R(0x3081, 0x11)}}));
    Cpu.Y = 0xFF;
    Place(0x2000, {0xB1, 0xFF});
    EXPECT_EQ(TraceInstruction(), TClockTrace({{R(0x2000, 0xB1)},
                                              {R(0x2001, 0xFF)},
                                              {R(0x00FF, 0x80)},
                                              {R(0x0000, 0x30)},
                                              Internal,
                                              {R(0x317F, 0x22)}}));
}

TEST_F(CpuTest, IndirectIndexedWrite) {
    Poke(0x0080, {0x80, 0x30});
    Cpu.A = 0x99;
    Cpu.Y = 0x02;
    Place(0x2000, {0x91, 0x80});  // STA ($80),Y
    EXPECT_EQ(TraceInstruction(), TClockTrace({{R(0x2000, 0x91)},
                                              {R(0x2001, 0x80)},
                                              {R(0x0080, 0x80)},
                                              {R(0x0081, 0x30)},
                                              {W(0x3082, 0x99)}}));
    Cpu.Y = 0x80;
    Place(0x2000, {0x91, 0x80});
    const TClockTrace trace = TraceInstruction();
    ASSERT_EQ(trace.size(), 6u);
    EXPECT_EQ(trace[4], Internal);
    EXPECT_EQ(trace[5], Clock({W(0x3100, 0x99)}));
}

TEST_F(CpuTest, LseIndirectIndexedWritesOldAndNewValueInOneClock) {
    Poke(0x0080, {0x80, 0x30});
    Mem.Image[0x3082] = 0x03;
    Cpu.Y = 0x02;
    Cpu.A = 0xF0;
    Place(0x2000, {0x53, 0x80});  // LSE ($80),Y
    EXPECT_EQ(TraceInstruction(), TClockTrace({{R(0x2000, 0x53)},
                                              {R(0x2001, 0x80)},
                                              {R(0x0080, 0x80)},
                                              {R(0x0081, 0x30)},
                                              {R(0x3082, 0x03)},
                                              {W(0x3082, 0x03), W(0x3082, 0x01)}}));
    EXPECT_EQ(Cpu.A, 0xF1);
    EXPECT_NE(Cpu.C, 0);

    Mem.Image[0x3100] = 0x04;
    Cpu.Y = 0x80;
    Place(0x2000, {0x53, 0x80});
    EXPECT_EQ(TraceInstruction(), TClockTrace({{R(0x2000, 0x53)},
                                              {R(0x2001, 0x80)},
                                              {R(0x0080, 0x80)},
                                              {R(0x0081, 0x30)},
                                              {R(0x3100, 0x04)},
                                              Internal,
                                              {W(0x3100, 0x04), W(0x3100, 0x02)}}));
    EXPECT_EQ(Cpu.A, 0xF3);
    EXPECT_EQ(Cpu.C, 0);
}

TEST_F(CpuTest, BranchNotTakenSkipsTheOffsetUnread) {
    Cpu.N = 0x80;
    Place(0x2000, {0x10, 0x10});  // BPL
    EXPECT_EQ(TraceInstruction(), TClockTrace({{R(0x2000, 0x10)}, Internal}));
    EXPECT_EQ(Cpu.PC, 0x2002);
}

TEST_F(CpuTest, BranchTakenWithinAndAcrossAPage) {
    Place(0x2000, {0x10, 0x10});
    EXPECT_EQ(TraceInstruction(), TClockTrace({{R(0x2000, 0x10)}, Internal, {R(0x2001, 0x10)}}));
    EXPECT_EQ(Cpu.PC, 0x2012);

    Place(0x20F0, {0x10, 0x10});
    EXPECT_EQ(TraceInstruction(), TClockTrace({{R(0x20F0, 0x10)}, Internal, {R(0x20F1, 0x10)}, Internal}));
    EXPECT_EQ(Cpu.PC, 0x2102);

    Place(0x2100, {0x10, 0xFC});  // backwards into the previous page
    EXPECT_EQ(RunInstruction(), 4);
    EXPECT_EQ(Cpu.PC, 0x20FE);

    Place(0x2010, {0x10, 0xFE});  // branch to itself
    EXPECT_EQ(RunInstruction(), 3);
    EXPECT_EQ(Cpu.PC, 0x2010);
}

TEST_F(CpuTest, BranchSamePageTestUsesTheAddressAfterTheOffset) {
    // The offset byte is the last in its page: the next instruction is in the following page,
    // and so is a target a few bytes further on.
    Place(0x20FE, {0x10, 0x02});
    EXPECT_EQ(RunInstruction(), 3);
    EXPECT_EQ(Cpu.PC, 0x2102);
}

TEST_F(CpuTest, JmpAbsoluteAndIndirect) {
    Place(0x2000, {0x4C, 0x80, 0x30});
    EXPECT_EQ(TraceInstruction(), TClockTrace({{R(0x2000, 0x4C)}, {R(0x2001, 0x80)}, {R(0x2002, 0x30)}}));
    EXPECT_EQ(Cpu.PC, 0x3080);

    Mem.Image[0x30FF] = 0x34;
    Mem.Image[0x3000] = 0x12;
    Mem.Image[0x3100] = 0x99;
    Place(0x2000, {0x6C, 0xFF, 0x30});  // JMP ($30FF): high byte from $3000
    EXPECT_EQ(TraceInstruction(), TClockTrace({{R(0x2000, 0x6C)},
                                              {R(0x2001, 0xFF)},
                                              {R(0x2002, 0x30)},
                                              {R(0x30FF, 0x34)},
                                              {R(0x3000, 0x12)}}));
    EXPECT_EQ(Cpu.PC, 0x1234);
}

TEST_F(CpuTest, JsrPushesTheAddressOfItsLastByteAndRtsReturnsPastIt) {
    Cpu.SP = 0xF0;
    Place(0x2000, {0x20, 0x80, 0x30});
    Mem.Image[0x3080] = 0x60;  // RTS
    EXPECT_EQ(TraceInstruction(),
              TClockTrace({{R(0x2000, 0x20)}, {R(0x2001, 0x80)}, Internal, Internal, Internal, {R(0x2002, 0x30)}}));
    EXPECT_EQ(Cpu.PC, 0x3080);
    EXPECT_EQ(Stack(0xF0), 0x20);
    EXPECT_EQ(Stack(0xEF), 0x02);
    EXPECT_EQ(Cpu.SP, 0xEE);
    EXPECT_EQ(TraceInstruction(),
              TClockTrace({{R(0x3080, 0x60)}, Internal, Internal, Internal, Internal, Internal}));
    EXPECT_EQ(Cpu.PC, 0x2003);
    EXPECT_EQ(Cpu.SP, 0xF0);
}

TEST_F(CpuTest, BrkReadsTheVectorByteByByteInClocksSixAndSeven) {
    Poke(0xFFFE, {0x00, 0x40});
    Cpu.SP = 0xF0;
    Place(0x2000, {0x00, 0xEA});
    EXPECT_EQ(TraceInstruction(), TClockTrace({{R(0x2000, 0x00)},
                                              Internal,
                                              Internal,
                                              Internal,
                                              Internal,
                                              {R(0xFFFE, 0x00)},
                                              {R(0xFFFF, 0x40)}}));
    EXPECT_EQ(Cpu.PC, 0x4000);
    EXPECT_EQ(Stack(0xF0), 0x20);
    EXPECT_EQ(Stack(0xEF), 0x02);
}

TEST_F(CpuTest, StackAccessesBypassTheDecoder) {
    Cpu.A = 0xAB;
    Cpu.SP = 0x00;
    Place(0x2000, {0x48, 0x68});  // PHA; PLA
    EXPECT_EQ(TraceInstruction(), TClockTrace({{R(0x2000, 0x48)}, Internal, Internal}));
    EXPECT_EQ(Mem.Image[0x0100], 0xAB);
    EXPECT_EQ(Cpu.SP, 0xFF);
    Cpu.A = 0;
    Mem.Image[0x0100] = 0x80;
    EXPECT_EQ(TraceInstruction(), TClockTrace({{R(0x2001, 0x68)}, Internal, Internal, Internal}));
    EXPECT_EQ(Cpu.A, 0x80);
    EXPECT_NE(Cpu.N, 0);
    EXPECT_EQ(Cpu.SP, 0x00);
}

TEST_F(CpuTest, ProgramCounterWrapsAtTheTopOfMemory) {
    Place(0xFFFF, {0xA9});
    Mem.Image[0x0000] = 0x5E;
    RunInstruction();
    EXPECT_EQ(Cpu.A, 0x5E);
    EXPECT_EQ(Cpu.PC, 0x0001);
}

}  // namespace
