#include <gtest/gtest.h>

#include "media/tape.h"
#include "run_tool.h"

// A recording that outgrows the tape's buffer: a machine-code loop toggles the cassette write
// line every 8 clocks, one pulse byte each, until the buffer is full. The runner keeps what
// fitted, says that the tape is not whole, and fails.
TEST(TapeOverflow, ARecordingThatOutgrowsItsBufferIsKeptAndReportedAsAFailure) {
    RequireRoms();
    TScratchDir dir;
    const std::string tap = dir / "long.tap";
    const auto r = RunTool("--machine plus4 --record-tap " + tap +
                               " --type '10 FORI=0TO9:READA:POKE8192+I,A:NEXT:SYS8192\\n20 DATA120,165,1,73,2,133,1,76,3,32\\nRUN\\n'"
                               " --frames 9000",
                           true);
    EXPECT_EQ(r.Status, 1) << r.Out;
    EXPECT_TRUE(Contains(r.Out, "the recording outgrew the tape's 16 MB buffer: '" + tap + "' holds only its beginning")) << r.Out;
    const auto size = std::filesystem::file_size(tap);
    EXPECT_GT(size, TTape::RecordCapacity - 4);
    EXPECT_LE(size, TTape::RecordCapacity + TTape::HeaderSize);
}
