// Host files that are not what they seem, for every reader and writer of the media: named
// pipes, links, and writes that fail half-way.
#include <gtest/gtest.h>

#include "fifo_guard.h"
#include "media/host_files.h"
#include "media/prg_file.h"
#include "media/tape.h"
#include "media_test_support.h"
#include "memory/memory.h"

using namespace media_test;

namespace {

// A recording of a few pulses, so that there is something to save.
TTape RecordedTape() {
    TTape tape;
    tape.StartRecording();
    for (int edge = 0; edge < 6; ++edge) {
        for (int i = 0; i < 400; ++i) tape.Step();
        tape.WriteLine(edge & 1);
    }
    tape.StopRecording();
    return tape;
}

bool NoTemporaryFileIn(const fs::path& directory) {
    for (const auto& entry : fs::directory_iterator(directory))
        if (entry.path().filename().string().find(".varlume-") != std::string::npos) return false;
    return true;
}

TEST(HostFileSafety, NoReaderBlocksOnANamedPipe) {
    TTempDir dir;
    auto memory = std::make_unique<TMemory>(2);
    const Bytes ram(memory->Ram(), memory->Ram() + TMemory::RamSize);
    EXPECT_TRUE(ReturnsWithoutBlocking(dir / "pipe.tap", [&] {
        TTape tape;
        EXPECT_EQ(tape.Load((dir / "pipe.tap").string()), 0);
    }));
    EXPECT_TRUE(ReturnsWithoutBlocking(dir / "pipe.prg", [&] {
        EXPECT_EQ(LoadPrgFile(*memory, (dir / "pipe.prg").string(), true).Status, TPrgLoadStatus::CannotRead);
    }));
    EXPECT_EQ(Bytes(memory->Ram(), memory->Ram() + TMemory::RamSize), ram);
    EXPECT_TRUE(ReturnsWithoutBlocking(dir / "pipe.d64", [&] {
        TDrive drive;
        EXPECT_EQ(drive.AttachImage((dir / "pipe.d64").string()), TD64Attach::CannotOpen);
    }));
}

// The saves write a temporary file beside the target and rename it over the target: a write
// that fails half-way (here: the host's file size limit, as a full disk) leaves the old file as
// it was and no temporary file behind. Before, the old file was cut to what fitted.
TEST(HostFileSafety, AFailedSaveLeavesTheOldFileWhole) {
    TTempDir dir;
    auto memory = std::make_unique<TMemory>(2);
    const Bytes old = Program(0x1001, 100);
    WriteFile(dir / "old.prg", old);
    WriteFile(dir / "old.tap", old);
    EXPECT_EQ(WithFileSizeLimit(4096, [&] { return SavePrgFile(*memory, 0x1000, 0x8000, (dir / "old.prg").string()); }),
              TPrgSaveStatus::CannotWrite);
    const TTape tape = RecordedTape();
    EXPECT_EQ(WithFileSizeLimit(10, [&] { return tape.SaveRecording((dir / "old.tap").string()); }), TTapeSave::CannotWrite);
    EXPECT_EQ(ReadFile(dir / "old.prg"), old);
    EXPECT_EQ(ReadFile(dir / "old.tap"), old);
    EXPECT_TRUE(NoTemporaryFileIn(dir.Path));
}

// A save never replaces what is not a regular file (a pipe would be swapped for a file), and a
// save through a link writes the file the link names.
TEST(HostFileSafety, SavesReplaceOnlyRegularFilesAndWriteThroughLinks) {
    TTempDir dir;
    auto memory = std::make_unique<TMemory>(2);
    ::mkfifo((dir / "pipe.prg").c_str(), 0600);
    fs::create_directory(dir / "folder.tap");
    EXPECT_EQ(SavePrgFile(*memory, 0x1000, 0x1010, (dir / "pipe.prg").string()), TPrgSaveStatus::CannotWrite);
    EXPECT_EQ(RecordedTape().SaveRecording((dir / "folder.tap").string()), TTapeSave::CannotWrite);
    EXPECT_TRUE(fs::is_fifo(dir / "pipe.prg"));
    EXPECT_TRUE(fs::is_directory(dir / "folder.tap"));

    fs::create_directory(dir / "real");
    WriteFile(dir / "real" / "game.prg", {1, 2, 3});
    fs::create_symlink(dir / "real" / "game.prg", dir / "link.prg");
    ASSERT_EQ(SavePrgFile(*memory, 0x1000, 0x1003, (dir / "link.prg").string()), TPrgSaveStatus::Saved);
    EXPECT_TRUE(fs::is_symlink(dir / "link.prg"));
    EXPECT_EQ(ReadFile(dir / "real" / "game.prg").size(), 6u);
    EXPECT_TRUE(NoTemporaryFileIn(dir.Path));
}

}  // namespace
