#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <vector>

#include "media/d64_backend.h"
#include "media/d64_builder.h"
#include "media/drive_channels.h"
#include "media/drive_dos.h"

namespace {

// Records what the parser asks of a back-end; answers each operation with `Answer`.
class TRecordingBackEnd : public TDosBackEnd {
public:
    TDosStatus ReadFile(std::string_view pattern, int32_t, std::vector<uint8_t>&) override { return Log("read " + std::string(pattern)); }
    TDosStatus CanWrite(std::string_view name, bool) override { return Log("can-write " + std::string(name)); }
    TDosStatus WriteFile(std::string_view name, int32_t, bool, const std::vector<uint8_t>&) override {
        return Log("write " + std::string(name));
    }
    TDosStatus Scratch(std::string_view pattern, int32_t& count) override {
        count += ScratchCount;
        return Log("scratch " + std::string(pattern));
    }
    TDosStatus Rename(std::string_view newName, std::string_view oldPattern) override {
        return Log("rename " + std::string(newName) + "=" + std::string(oldPattern));
    }
    TDosStatus Format(std::string_view name, std::string_view id, bool newId) override {
        return Log("format " + std::string(name) + (newId ? std::string(",").append(id) : std::string()));
    }
    TDosStatus Validate() override { return Log("validate"); }

    TDosStatus Log(std::string call) {
        Calls.push_back(std::move(call));
        return Answer;
    }
    std::vector<std::string> Calls;
    TDosStatus Answer;
    int32_t ScratchCount = 1;
};

struct TCommandCase {
    const char* Command;
    const char* Status;
    std::vector<std::string> Calls;
};

TEST(DosStatus, LinesHaveTheDrivesFormat) {
    EXPECT_EQ(TDosStatus{}.Line(), "00, OK,00,00");
    EXPECT_EQ((TDosStatus{DosFilesScratched, 3}).Line(), "01,FILES SCRATCHED,03,00");
    EXPECT_EQ(TDosStatus{DosVersion}.Line(), "73,VARLUME DOS V1.0,00,00");
    EXPECT_EQ((TDosStatus{DosIllegalTrackSector, 40, 7}).Line(), "66,ILLEGAL TRACK AND SECTOR,40,07");
    EXPECT_FALSE(TDosStatus{DosFilesScratched}.IsError());
    EXPECT_FALSE(TDosStatus{DosVersion}.IsError());
    EXPECT_TRUE(TDosStatus{DosWriteError}.IsError());
}

TEST(DosCommand, CommandsReachTheBackEndWithTheirArguments) {
    const TCommandCase cases[] = {
        {"S0:GAME", "01,FILES SCRATCHED,01,00", {"scratch GAME"}},
        {"S:G*,0:H?\r", "01,FILES SCRATCHED,02,00", {"scratch G*", "scratch H?"}},
        {"SCRATCH0:X", "01,FILES SCRATCHED,01,00", {"scratch X"}},
        {"R0:NEW=OLD*", "00, OK,00,00", {"rename NEW=OLD*"}},
        {"R:NEW=0:OLD", "00, OK,00,00", {"rename NEW=OLD"}},
        {"N0:MY DISK,XY", "00, OK,00,00", {"format MY DISK,XY"}},
        {"N:QUICK", "00, OK,00,00", {"format QUICK"}},
        {"N0:A VERY LONG DISK NAME,ID", "00, OK,00,00", {"format A VERY LONG DISK,ID"}},
        {"V0", "00, OK,00,00", {"validate"}},
        {"I0\r\r", "00, OK,00,00", {}},
        {"", "00, OK,00,00", {}},
    };
    for (const TCommandCase& c : cases) {
        TRecordingBackEnd backEnd;
        EXPECT_EQ(ExecuteDosCommand(c.Command, backEnd).Line(), c.Status) << c.Command;
        EXPECT_EQ(backEnd.Calls, c.Calls) << c.Command;
    }
}

TEST(DosCommand, BadCommandsAreRefusedBeforeTheBackEnd) {
    const TCommandCase cases[] = {
        {"X", "31,SYNTAX ERROR,00,00", {}},
        {"UJ", "31,SYNTAX ERROR,00,00", {}},
        {"S0", "34,SYNTAX ERROR,00,00", {}},
        {"S0:", "34,SYNTAX ERROR,00,00", {}},
        {"R0:NEW", "34,SYNTAX ERROR,00,00", {}},
        {"R0:N*W=OLD", "33,SYNTAX ERROR,00,00", {}},
        {"R0:A/B=OLD", "33,SYNTAX ERROR,00,00", {}},
        {"N0:", "34,SYNTAX ERROR,00,00", {}},
        {"N0:NAME,", "34,SYNTAX ERROR,00,00", {}},
        {"S1:GAME", "74,DRIVE NOT READY,00,00", {}},
        {"I1", "74,DRIVE NOT READY,00,00", {}},
        {"S0:A,1:B", "74,DRIVE NOT READY,00,00", {"scratch A"}},
        {"S0:AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA", "32,SYNTAX ERROR,00,00", {}},
    };
    for (const TCommandCase& c : cases) {
        TRecordingBackEnd backEnd;
        EXPECT_EQ(ExecuteDosCommand(c.Command, backEnd).Line(), c.Status) << c.Command;
        EXPECT_EQ(backEnd.Calls, c.Calls) << c.Command;
    }
}

TEST(DosCommand, TheBackEndsFailureIsTheStatus) {
    TRecordingBackEnd backEnd;
    backEnd.Answer = {DosWriteProtect};
    EXPECT_EQ(ExecuteDosCommand("S0:A,B", backEnd).Code, DosWriteProtect);
    EXPECT_EQ(backEnd.Calls.size(), 1u);  // the second pattern is not tried
}

// The block commands on a disk in memory, one after the other: their numbers in every spelling,
// and each refusal with the 1541's code.
TEST(DosCommand, BlockCommandsTakeTheirNumbersAndRefuseWithTheDrivesCodes) {
    TD64Image image;
    ASSERT_EQ(image.AttachData(media_test::TD64Builder().Image), TD64Attach::Attached);
    TDataChannel buffer;
    buffer.OpenBuffer(0);
    const TBufferLookup channels = [&](int32_t channel) { return channel == 2 ? &buffer : nullptr; };
    const std::pair<const char*, const char*> cases[] = {
        {"B-A 0 1 0", "00, OK,00,00"},
        {"B-A:0,1,0", "65,NO BLOCK,01,01"},
        {"B-F 0 1 0\r", "00, OK,00,00"},
        {"B-A 0 18 0", "65,NO BLOCK,18,02"},
        {"B-A 0 36 0", "66,ILLEGAL TRACK AND SECTOR,36,00"},
        {"B-A 0 1 21", "66,ILLEGAL TRACK AND SECTOR,01,21"},
        {"B-A 0 99999999999 0", "66,ILLEGAL TRACK AND SECTOR,99,00"},
        {"B-A 1 1 0", "74,DRIVE NOT READY,00,00"},
        {"B-A 0 1", "30,SYNTAX ERROR,00,00"},
        {"B-A 0 X 1", "30,SYNTAX ERROR,00,00"},
        {"U1 3 0 18 0", "70,NO CHANNEL,00,00"},
        {"U1: 2\x1d" "0\x1d" "18\x1d" "0", "00, OK,00,00"},  // cursor-right codes between the numbers
        {"B-P 2 7", "00, OK,00,00"},
        {"M-R", "31,SYNTAX ERROR,00,00"},
        {"B-E 2 0 1 0", "31,SYNTAX ERROR,00,00"},
    };
    for (const auto& [command, status] : cases) {
        TD64BackEnd backEnd(image, false);
        EXPECT_EQ(ExecuteDosCommand(command, backEnd, channels).Line(), status) << command;
    }
    EXPECT_EQ(buffer.Block()[0], 18);  // the map's link to the directory
    EXPECT_EQ(buffer.BufferPointer(), 7);
    EXPECT_EQ(image.Bytes(), media_test::TD64Builder().Image);  // everything taken was given back
}

TEST(DosOpenName, NamesGiveFileTypeModeAndReplace) {
    TOpenRequest save = ParseOpenName("@0:GAME", 1);
    EXPECT_EQ(save.Name, "GAME");
    EXPECT_TRUE(save.Replace);
    EXPECT_EQ(save.Mode, TOpenRequest::Write);
    EXPECT_EQ(save.Type, FilePrg);

    TOpenRequest read = ParseOpenName("DATA,S,R", 2);
    EXPECT_EQ(read.Name, "DATA");
    EXPECT_EQ(read.Type, FileSeq);
    EXPECT_EQ(read.Mode, TOpenRequest::Read);
    EXPECT_EQ(ParseOpenName("D*", 2).Type, FileAnyType);  // a read takes any type

    TOpenRequest write = ParseOpenName("0:LOG,W", 3);
    EXPECT_EQ(write.Type, FileSeq);  // data files are written sequential unless told
    EXPECT_EQ(write.Mode, TOpenRequest::Write);
    EXPECT_EQ(ParseOpenName("LOG,A", 3).Mode, TOpenRequest::Append);
    EXPECT_EQ(ParseOpenName("PROG,P,W", 4).Type, FilePrg);
    EXPECT_EQ(ParseOpenName("SEQ,S", 1).Type, FileSeq);
    EXPECT_EQ(ParseOpenName("$0:A*", 2).Kind, TOpenRequest::Directory);

    EXPECT_EQ(ParseOpenName("#", 5).Kind, TOpenRequest::DirectBuffer);
    EXPECT_EQ(ParseOpenName("#3", 5).Buffer, 3);
    EXPECT_EQ(ParseOpenName("#7", 5).Status.Code, DosNoChannel);
    // Only a read of "$" is the directory: a write of such a name makes no file.
    for (const auto& [name, secondary] : {std::pair{"$", 1}, std::pair{"0:$", 1}, std::pair{"$X,S,W", 2}, std::pair{"@$X,S,A", 2}})
        EXPECT_EQ(ParseOpenName(name, secondary).Status.Code, DosInvalidName) << name;
    EXPECT_EQ(ParseOpenName("REL,L,\x20", 5).Status.Code, DosFileTypeMismatch);
    EXPECT_EQ(ParseOpenName("G*ME", 1).Status.Code, DosInvalidName);
    EXPECT_EQ(ParseOpenName("../ESCAPE,S,W", 2).Status.Code, DosInvalidName);
    EXPECT_EQ(ParseOpenName("SEVENTEEN-CHARS-X", 1).Status.Code, DosInvalidName);
    EXPECT_EQ(ParseOpenName("@:", 1).Status.Code, DosNoName);
    EXPECT_EQ(ParseOpenName("1:GAME", 1).Status.Code, DosDriveNotReady);
}

// Random command lines, mostly built from the characters commands are made of, never crash the
// parser, always give a status the drive knows, and reach the back-end only with names that
// came from the line itself.
TEST(DosCommand, RandomCommandLinesGiveKnownStatuses) {
    const std::set<int32_t> known = {DosOk, DosFilesScratched, DosInvalidCommand, DosLineTooLong, DosInvalidName,
                                     DosNoName, DosDriveNotReady, DosWriteError};
    const std::string alphabet = "SRNIVUC0129:,=*?@$#/\\.\r AB";
    std::mt19937 random(11);
    for (int run = 0; run < 20000; ++run) {
        std::string command;
        const int length = int(random() % 48);
        for (int i = 0; i < length; ++i)
            command += random() % 8 == 0 ? char(random() % 256) : alphabet[random() % alphabet.size()];
        TRecordingBackEnd backEnd;
        backEnd.Answer = random() % 4 == 0 ? TDosStatus{DosWriteError} : TDosStatus{};
        const TDosStatus status = ExecuteDosCommand(command, backEnd);
        ASSERT_TRUE(known.count(status.Code)) << status.Line() << " for " << command;
        ASSERT_LE(backEnd.Calls.size(), command.size()) << command;
        ParseOpenName(command, int(random() % 15));
    }
}

}  // namespace
