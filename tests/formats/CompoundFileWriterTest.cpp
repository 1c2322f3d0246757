// Compound files written and checked twice: by the independent structural
// check, and by the program's own reader, which must give back every stream.
#include "formats/CompoundFileCheck.h"

#include "platform/ole/CompoundFile.h"
#include "platform/ole/CompoundFileWriter.h"
#include "platform/testing/Testing.h"

#include <gtest/gtest.h>

namespace {

std::string Pattern(size_t size, uint32_t seed)
{
    std::string out(size, '\0');
    uint32_t x = seed * 2654435761u + 1;
    for (char& c : out) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 16);
    }
    return out;
}

struct TStreamCase {
    std::u16string Name;
    size_t Size;
};

void CheckWritten(const std::vector<TStreamCase>& streams, const std::string& path)
{
    TCompoundFileWriter writer;
    std::map<std::u16string, std::string> expected;
    uint32_t seed = 1;
    for (const TStreamCase& stream : streams) {
        const std::string bytes = Pattern(stream.Size, seed++);
        TStorageWriteStream& out = writer.CreateStream(stream.Name);
        // Written in two parts, the second through a seek back and forth.
        out.Write(bytes.data(), bytes.size() / 2);
        out.Seek(0);
        out.Seek(static_cast<int64_t>(bytes.size() / 2));
        out.Write(bytes.data() + bytes.size() / 2, bytes.size() - bytes.size() / 2);
        expected[stream.Name] = bytes;
    }
    const std::vector<uint8_t> file = writer.Build();
    const std::string bytes(file.begin(), file.end());
    const TCheckedCompoundFile checked = CheckCompoundFile(bytes);
    ASSERT_TRUE(checked.Valid) << checked.Error;
    EXPECT_TRUE(checked.Streams == expected);

    WriteTestFile(path, bytes);
    TCompoundFile reader(path, 0);
    EXPECT_EQ(reader.Children(TCompoundFile::RootStorage).size(), streams.size());
    for (const auto& [name, data] : expected) {
        std::unique_ptr<TStream> stream = reader.OpenStream(name);
        ASSERT_EQ(stream->Size(), static_cast<int64_t>(data.size()));
        std::string read(data.size(), '\0');
        if (!data.empty()) {
            ASSERT_EQ(stream->Read(read.data(), static_cast<int32_t>(read.size())), static_cast<int32_t>(data.size()));
        }
        EXPECT_TRUE(read == data);
    }
}

}  // namespace

TEST(CompoundFileWriter, StreamsOfEverySizeReadBack)
{
    const std::string folder = MakeTestDir("compound-writer");
    const std::vector<std::vector<TStreamCase>> cases = {
        {},
        {{u"Empty", 0}},
        {{u"WordDocument", 1}, {u"1Table", 63}, {u"Data", 64}},
        {{u"Short", 4095}, {u"Cutoff", 4096}, {u"Long", 4097}},
        {{u"Big", 512 * 1000 + 17}, {u"small", 100}},
        // Enough names to make a deep tree, given out of order.
        {{u"m", 10}, {u"b", 5000}, {u"zz", 1}, {u"a", 0}, {u"Q", 70}, {u"cc", 9000}, {u"d", 3},
         {u"eee", 64}, {u"f", 65}, {u"gg", 128}, {u"H", 129}, {u"i", 4096}, {u"jjj", 1}, {u"k", 2}},
    };
    int n = 0;
    for (const auto& streams : cases) {
        SCOPED_TRACE(n);
        CheckWritten(streams, folder + "/case" + std::to_string(n++) + ".cfb");
    }
}

// Over 109 allocation-table sectors: the table's list goes on in extension
// sectors.
TEST(CompoundFileWriter, LargeFileUsesExtensionSectors)
{
    const std::string folder = MakeTestDir("compound-writer-large");
    CheckWritten({{u"Large", 110u * 128u * 512u}, {u"Tail", 10}}, folder + "/large.cfb");
}

TEST(CompoundFileWriter, RefusesBadNames)
{
    TCompoundFileWriter writer;
    writer.CreateStream(u"Data");
    EXPECT_THROW(writer.CreateStream(u"DATA"), EStreamError);
    EXPECT_THROW(writer.CreateStream(u""), EStreamError);
    EXPECT_THROW(writer.CreateStream(std::u16string(32, u'x')), EStreamError);
}
