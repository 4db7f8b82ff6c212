#include <QAction>
#include <QKeyEvent>
#include <QTimer>
#include <cmath>

#include "gui/form_fixture.h"
#include "machine/snapshot.h"
#include "media/prg_file.h"

// F6 and Shift+F6: a BASIC program saved in the middle of its run, the program closed and
// started again, the snapshot loaded: the program counts on from where it was.

namespace {

class SnapshotCommandsTest : public FormFixture {
protected:
    static void Key(TForm_Main& form, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(&form, &event);
    }
    // BASIC's variable A of 10 A=A+1:GOTO 10: its name at $1011, right after the text, then
    // its value, a 5-byte float.
    static double CounterValue(const TForm_Main& form) {
        const uint8_t* v = form.Machine->Memory.Ram() + 0x1013;
        if (v[0] == 0) return 0;
        const uint32_t bits = uint32_t(v[1] | 0x80) << 24 | uint32_t(v[2]) << 16 | uint32_t(v[3]) << 8 | v[4];
        const double mantissa = double(bits) / 4294967296.0;
        return std::ldexp(mantissa, v[0] - 128);
    }
};

// 10 A=A+1:GOTO 10
const QByteArray Counter("\x01\x10\x0F\x10\x0A\x00" "A\xB2" "A\xAA" "1:\x89" "10\x00\x00\x00", 18);

}  // namespace

TEST_F(SnapshotCommandsTest, AProgramSavedWithF6GoesOnInTheNextSessionAfterShiftF6) {
    const QString state = Dir.filePath("counting.vsn");
    double saved = 0;
    {
        auto form = BootedForm();
        ASSERT_TRUE(form->OpenDroppedFile(WriteFile("count.prg", Counter)));  // loaded and RUN
        RunFrames(*form, 50);
        NextFile = state;
        Key(*form, Qt::Key_F6);
        EXPECT_EQ(form->StatusPanelText(0), "Snapshot saved.");
        saved = CounterValue(*form);
        ASSERT_GT(saved, 100) << "the program should be counting";
        EXPECT_EQ(form->RecentFileList().size(), 1u);  // the PRG, not the snapshot
    }
    auto form = BootedForm();
    form->Menu_CommodorePlus4->trigger();  // another machine: the snapshot brings its own type
    NextFile = state;
    Key(*form, Qt::Key_F6, Qt::ShiftModifier);
    ASSERT_TRUE(Errors.isEmpty()) << Errors.join(';').toStdString();
    EXPECT_EQ(form->StatusPanelText(0), "Snapshot loaded.");
    EXPECT_TRUE(form->Menu_Commodore16->isChecked());
    EXPECT_EQ(CounterValue(*form), saved);
    RunFrames(*form, 20);
    EXPECT_GT(CounterValue(*form), saved);  // counting on
}

TEST_F(SnapshotCommandsTest, ATruncatedSnapshotIsReportedAndTheMachineRunsOnUntouched) {
    auto form = BootedForm();
    NextFile = Dir.filePath("whole.vsn");
    form->Savesnapshotimage1->trigger();
    const QByteArray whole = ReadFile(NextFile);
    ASSERT_GT(whole.size(), 1000);
    NextFile = WriteFile("cut.vsn", whole.left(whole.size() - 100));
    form->IdleTimer->start();
    RunFrames(*form, 3);
    const std::vector<uint8_t> before = SaveSnapshot(*form->Machine);
    form->Loadsnapshotimage1->trigger();
    EXPECT_EQ(Errors, QStringList{"The snapshot file is damaged or incomplete."});
    EXPECT_TRUE(SaveSnapshot(*form->Machine) == before);
    EXPECT_TRUE(form->FrameLoopActive());
    // Dropped, a snapshot is loaded too; one that is no snapshot says so.
    Errors.clear();
    EXPECT_FALSE(form->OpenDroppedFile(WriteFile("text.vsn", "not a snapshot")));
    EXPECT_EQ(Errors, QStringList{"The file is not a Varlume snapshot."});
    EXPECT_TRUE(form->OpenDroppedFile(Dir.filePath("whole.vsn")));
}
