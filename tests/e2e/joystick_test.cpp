#include <gtest/gtest.h>

#include <sstream>

#include "joystick_program.h"
#include "run_tool.h"

// The ball program on the real ROMs, moved by varlume-run's joystick scripts.

namespace {

struct TBall {
    int Row = -1, Column = -1;
    char Shape = 0;
};

// Where the ball is on the text screen ('~' is the ball, which has no ASCII form; '*' while fire
// is held).
TBall FindBall(const std::string& screen) {
    std::istringstream lines(screen);
    std::string line;
    TBall ball;
    for (int row = 0; std::getline(lines, line) && row < 25; ++row) {
        const size_t column = line.find_first_of("~*");
        if (column == std::string::npos) continue;
        ball = {row, int(column), line[column]};
    }
    return ball;
}

// The PRG is loaded and run once the ROM has booted (about 120 frames on a C16), so the
// scripts start moving after that.
TBall RunBall(const std::string& joystickOptions, int frames) {
    RequireRoms();
    TScratchDir dir;
    const auto prg = dir.Write("ball.prg", JoystickBallPrg);
    const auto r = RunTool("--prg " + prg + " --frames " + std::to_string(frames) + " " + joystickOptions + " --screen-text");
    EXPECT_EQ(r.Status, 0) << r.Out;
    return FindBall(r.Out);
}

}  // namespace

TEST(JoystickScript, PortOneMovesTheBallOneCellEverySecondFrameAndStopsAtTheEdge) {
    // 20 frames right: 10 cells; then up long enough to reach the top row and stay there.
    const TBall ball = RunBall("--joy1 200:right,220:none,230:up,300:none", 330);
    EXPECT_NEAR(ball.Column, 30, 1);
    EXPECT_EQ(ball.Row, 0);
    EXPECT_EQ(ball.Shape, '~');
}

TEST(JoystickScript, PortTwoMovesItTooAndFireShowsAStar) {
    const TBall ball = RunBall("--joy2 200:down+left,210:fire", 240);
    EXPECT_NEAR(ball.Row, 17, 1);
    EXPECT_NEAR(ball.Column, 15, 1);
    EXPECT_EQ(ball.Shape, '*');
}

TEST(JoystickScript, MalformedScriptsAreRefused) {
    for (const char* script : {"", "10", "x:up", "10:sideways", "10:up,5:down", "-1:up", "10:up+"}) {
        const auto r = RunTool(std::string("--joy1 '") + script + "'", true);
        EXPECT_EQ(r.Status, 1) << script;
        EXPECT_NE(r.Out.find("--joy1"), std::string::npos) << script << ": " << r.Out;
    }
}
