#include "platform/runtime/Exception.h"
#include "platform/runtime/FileStream.h"
#include "platform/runtime/SystemErrors.h"
#include "platform/testing/Testing.h"

#include <cstring>

TEST(FileStream, ShortTransfersRaise)
{
    const std::string path = MakeTestDir("short-read") + "/ten.bin";
    WriteTestFile(path, "0123456789");
    TFileStream in(path, fmOpenRead | fmShareDenyWrite);
    char buf[20];
    EXPECT_THROW(in.ReadBuffer(buf, 20), EReadError);
    in.SetPosition(0);
    in.ReadBuffer(buf, 10);
    EXPECT_EQ(std::string(buf, 10), "0123456789");
    EXPECT_THROW(in.ReadByte(), EReadError);
    EXPECT_EQ(in.Read(buf, 5), 0);
    // A stream opened for reading cannot write.
    EXPECT_THROW(in.WriteBuffer("x", 1), EWriteError);
}

TEST(FileStream, OpenFailuresRaiseWithCodeAndFrenchText)
{
    const std::string dir = MakeTestDir("stream-errors");
    try {
        TFileStream s(dir + "/absent.rtf", fmOpenRead);
        FAIL() << "opened a missing file";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.ErrorCode, static_cast<int>(ERROR_FILE_NOT_FOUND));
        EXPECT_EQ(e.Message(), "Impossible d'ouvrir le fichier \"" + dir + "/absent.rtf\". "
                               "Le fichier spécifié est introuvable.");
    }
    EXPECT_THROW(TFileStream(dir + "/no/such/folder.rtf", fmCreate), EFCreateError);

    TFileStream held(dir + "/held.rtf", fmCreate | fmShareDenyWrite);
    held.WriteString("{\\rtf1}");
    try {
        TFileStream second(dir + "/held.rtf", fmOpenReadWrite | fmShareDenyNone);
        FAIL() << "a second writer was admitted";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.ErrorCode, static_cast<int>(ERROR_SHARING_VIOLATION));
        EXPECT_NE(e.Message().find("utilisé par un autre processus"), std::string::npos) << e.Message();
    }
    // fmCreate alone is exclusive: not even a reader may come in.
    TFileStream fresh(dir + "/fresh.rtf", fmCreate);
    EXPECT_THROW(TFileStream(dir + "/fresh.rtf", fmOpenRead | fmShareDenyNone), EFOpenError);
}

TEST(FileStream, SaveThroughAKeptHandleCutsTheFile)
{
    const std::string path = MakeTestDir("kept-handle") + "/doc.txt";
    WriteTestFile(path, "a long first version of the document");
    const THandle h = CreateFile(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING,
                                 FILE_FLAG_SEQUENTIAL_SCAN);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    {
        THandleStream s(h);
        EXPECT_EQ(s.Size(), 36);
        s.SetPosition(0);
        s.WriteString("short");
        ASSERT_TRUE(SetEndOfFile(h));
        EXPECT_EQ(s.Size(), 5);
    }
    EXPECT_EQ(ReadTestFile(path), "short");
    FileClose(h);
}

TEST(FileStream, FilesBeyondFourGigabytes)
{
    // A sparse file: only the last bytes take room on the disk.
    const std::string path = MakeTestDir("large") + "/big.bin";
    constexpr int64_t kFar = (int64_t{5} << 30) + 7;
    {
        TFileStream s(path, fmCreate);
        EXPECT_EQ(s.Seek(kFar, TSeekOrigin::soBeginning), kFar);
        s.WriteString("end");
        EXPECT_EQ(s.Size(), kFar + 3);
        EXPECT_EQ(s.Position(), kFar + 3);
    }
    TFileStream s(path, fmOpenReadWrite);
    EXPECT_EQ(s.Size(), kFar + 3);
    EXPECT_EQ(s.Seek(-3, TSeekOrigin::soEnd), kFar);
    char buf[3];
    s.ReadBuffer(buf, 3);
    EXPECT_EQ(std::string(buf, 3), "end");
    s.SetPosition(kFar - 2);
    EXPECT_EQ(s.ReadByte(), 0);
    s.SetPosition(kFar + 3);
    s.SetSize(kFar + 1);
    EXPECT_EQ(s.Position(), kFar + 1);
    EXPECT_EQ(s.Size(), kFar + 1);
    s.SetPosition(kFar);
    EXPECT_EQ(s.ReadByte(), 'e');
    EXPECT_EQ(FileGetSize(s.Handle()), kFar + 1);
}
