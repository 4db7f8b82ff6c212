#include <gtest/gtest.h>

#include "machine/machine.h"

TEST(Machine, FrameBufferHeaderDescribesATopDownBitmap) {
    TFrameBuffer frame;
    EXPECT_EQ(frame.Header[0], 40);
    EXPECT_EQ(frame.Header[4] | frame.Header[5] << 8, 456);
    EXPECT_EQ(frame.Header[14], 8);
}
