#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <algorithm>
#include <string>
#include <vector>

#include "gui/form_fixture.h"
#include "host/key_event_queue.h"

// Keys pressed and let go faster than the ROM scans the keyboard (once a frame) reach the
// machine one after another, each held for the scans to see it.

namespace {

using TEvent = TKeyEventQueue::TEvent;

// A queue whose events are written down with the frame they were applied in.
struct TRecordedQueue {
    struct TApplied {
        int Frame;
        uint8_t Code;
        bool Down;
    };
    void Push(uint8_t code, bool down) { Queue.Push({TKeyEventQueue::ByPosition, code, down}); }
    void Frames(int count) {
        for (int i = 0; i < count; ++i) {
            ++Frame;
            Queue.FrameEnded();
        }
    }

    int Frame = 0;
    std::vector<TApplied> Applied;
    TKeyEventQueue Queue{[this](const TEvent& event) { Applied.push_back({Frame, event.Code, event.Down}); }};
};

}  // namespace

TEST(KeyEventQueue, AnEventWithNothingWaitingGoesThroughAtOnce) {
    TRecordedQueue keys;
    keys.Push(0x1E, true);
    ASSERT_EQ(keys.Applied.size(), 1u);
    EXPECT_EQ(keys.Applied[0].Frame, 0);
    // A release after the press has lasted its two frames is not delayed either, and nor is
    // a press a frame after that release.
    keys.Frames(5);
    keys.Push(0x1E, false);
    keys.Frames(1);
    keys.Push(0x30, true);
    ASSERT_EQ(keys.Applied.size(), 3u);
    EXPECT_EQ(keys.Applied[1].Frame, 5);
    EXPECT_EQ(keys.Applied[2].Frame, 6);
    EXPECT_EQ(keys.Queue.Waiting(), 0u);
}

TEST(KeyEventQueue, QuickEventsWaitTwoFramesAfterAPressAndOneAfterARelease) {
    TRecordedQueue keys;
    // "AA" typed with no time between the events, then Shift held over a key.
    const std::vector<std::pair<uint8_t, bool>> events{{0x1E, true},  {0x1E, false}, {0x1E, true}, {0x1E, false},
                                                       {0x2A, true},  {0x03, true},  {0x03, false}, {0x2A, false}};
    for (const auto& [code, down] : events) keys.Push(code, down);
    EXPECT_EQ(keys.Queue.Waiting(), 7u);
    EXPECT_FALSE(keys.Queue.Idle());
    keys.Frames(20);
    std::vector<int> frames;
    for (const auto& applied : keys.Applied) frames.push_back(applied.Frame);
    EXPECT_EQ(frames, (std::vector<int>{0, 2, 3, 5, 6, 8, 10, 11}));
    // In their order, none lost.
    EXPECT_EQ(keys.Applied[5].Code, 0x03);
    EXPECT_TRUE(keys.Applied[5].Down);
    EXPECT_FALSE(keys.Applied[7].Down);
    EXPECT_TRUE(keys.Queue.Idle());
}

namespace {

class FastTypingTest : public FormFixture {
protected:
    void Key(bool down, int key, Qt::KeyboardModifiers modifiers, const QString& text) {
        QKeyEvent event(down ? QEvent::KeyPress : QEvent::KeyRelease, key, modifiers, text);
        QApplication::sendEvent(Form.get(), &event);
    }
    void Tap(int key, const QString& text, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        Key(true, key, modifiers, text);
        Key(false, key, modifiers, text);
    }
    // What a US keyboard sends for '"': Shift, then the key right of ';' (Qt's '"' with Shift).
    // By position that key is the machine's ':'; the machine's '"' is SHIFT and 2 (Qt's @).
    void TapQuote() {
        Key(true, Qt::Key_Shift, Qt::ShiftModifier, QString());
        Tap(Form->SymbolicKeyboard ? Qt::Key_QuoteDbl : Qt::Key_At, "\"", Qt::ShiftModifier);
        Key(false, Qt::Key_Shift, Qt::NoModifier, QString());
    }
    // PRINT"<text>" and RETURN, every event sent before a single frame runs, as a paste does.
    void TypePrint(const QString& text) {
        for (const QChar letter : QStringLiteral("PRINT\"") + text + '"') {
            if (letter == '"')
                TapQuote();
            else
                Tap(Qt::Key_A + (letter.unicode() - 'A'), letter.toLower());
        }
        Tap(Qt::Key_Return, "\r");
    }
    void Frames(int count) { RunFrames(*Form, count); }
    // The 40 x 25 text screen as letters (screen codes 1-26), '"' and spaces.
    std::vector<std::string> ScreenLines() const {
        std::vector<std::string> lines;
        const uint8_t* screen = Form->Machine->Memory.Ram() + 0x0C00;
        for (int row = 0; row < 25; ++row) {
            std::string line;
            for (int column = 0; column < 40; ++column) {
                const uint8_t code = screen[row * 40 + column] & 0x7F;
                line += code >= 1 && code <= 26 ? char('A' + code - 1) : code == 0x22 ? '"' : ' ';
            }
            lines.push_back(line.substr(0, line.find_last_not_of(' ') + 1));
        }
        return lines;
    }

    std::unique_ptr<TForm_Main> Form;
};

}  // namespace

TEST_F(FastTypingTest, KeysPressedAndReleasedWithinOneFrameReachBasic) {
    Form = BootedForm();
    ASSERT_TRUE(AutoLoadReady(Form->Machine->Cpu.PC, Form->Machine->Cpu.Cycle));

    TypePrint("HI");
    EXPECT_GT(Form->KeyQueue.Waiting(), 20u);
    Frames(100);
    EXPECT_TRUE(Form->KeyQueue.Idle());
    std::vector<std::string> lines = ScreenLines();
    auto typed = std::find(lines.begin(), lines.end(), "PRINT\"HI\"");
    ASSERT_TRUE(typed != lines.end() && typed + 1 != lines.end());
    EXPECT_EQ(typed[1], "HI");

    // Mapped by character the events take the same way.
    Form->SetSymbolicKeyboard(true);
    TypePrint("HELLO");
    Frames(100);
    lines = ScreenLines();
    typed = std::find(lines.begin(), lines.end(), "PRINT\"HELLO\"");
    ASSERT_TRUE(typed != lines.end() && typed + 1 != lines.end());
    EXPECT_EQ(typed[1], "HELLO");
}

TEST_F(FastTypingTest, PasteTypesTheClipboardOnceTheUserHasLetGoOfEveryKey) {
    Form = BootedForm();
    QApplication::clipboard()->setText(QStringLiteral("print\"pasted £\"\r\n"));
    // SHIFT still held from the shortcut: the paste waits rather than type shifted keys.
    Form->Machine->Keyboard.SetKey(0x2A, true);
    Form->Menu_Paste->trigger();
    EXPECT_EQ(Form->StatusPanelText(0), "1 characters the keyboard cannot type were left out.");
    Frames(10);
    EXPECT_FALSE(Form->Typist.Started());
    Form->Machine->Keyboard.SetKey(0x2A, false);
    Frames(100);
    EXPECT_TRUE(Form->Typist.Idle());
    const std::vector<std::string> lines = ScreenLines();
    const auto typed = std::find(lines.begin(), lines.end(), "PRINT\"PASTED \"");
    ASSERT_TRUE(typed != lines.end() && typed + 1 != lines.end());
    EXPECT_EQ(typed[1], "PASTED");
}
