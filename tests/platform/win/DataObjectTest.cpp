#include "platform/ole/DataObject.h"
#include "platform/win/DragDrop.h"

#include <gtest/gtest.h>

TEST(DataObjectTest, RegisteredFormatsKeepTheirNumberWhateverTheCase)
{
    UINT rtf = RegisterClipboardFormat("Rich Text Format");
    EXPECT_GE(rtf, 0xC000u);
    EXPECT_EQ(rtf, RegisterClipboardFormat("RICH TEXT FORMAT"));
    EXPECT_NE(rtf, RegisterClipboardFormat("Rectangular Selection"));
    EXPECT_EQ("Rich Text Format", GetClipboardFormatName(rtf));
    EXPECT_EQ("", GetClipboardFormatName(CF_TEXT));
    EXPECT_EQ(0u, RegisterClipboardFormat(""));
}

TEST(DataObjectTest, FormatsKeepTheirFirstOrderAndReplaceTheirData)
{
    TDataObject data;
    data.SetData(CF_UNICODETEXT, std::string("a\0\0\0", 4));
    data.SetData(CF_TEXT, std::string("a\0", 2));
    data.SetData(CF_UNICODETEXT, std::string("b\0\0\0", 4));
    ASSERT_EQ(2u, data.Items().size());
    EXPECT_EQ(CF_UNICODETEXT, data.Items()[0].first);
    std::string bytes;
    EXPECT_TRUE(data.GetData(CF_UNICODETEXT, bytes));
    EXPECT_EQ(std::string("b\0\0\0", 4), bytes);
    EXPECT_FALSE(data.GetData(CF_HDROP, bytes));
    EXPECT_TRUE(bytes.empty());
}

TEST(DataObjectTest, DroppedFileListsReadBackAndDamagedBlocksGiveNoName)
{
    std::vector<std::string> names = {"/tmp/Lettre \xE0 Andr\xE9.rtf", "/tmp/b.doc"};
    EXPECT_EQ(names, DropFileNames(MakeDropFiles(names)));

    // Wide names, as other programs write them.
    std::string wide(20, '\0');
    wide[0] = 20;
    wide[16] = 1;
    for (char c : std::string("/x/\xE9t\xE9.txt")) {
        wide += c;
        wide += '\0';
    }
    wide.append(4, '\0');
    EXPECT_EQ(std::vector<std::string>{"/x/\xE9t\xE9.txt"}, DropFileNames(wide));

    EXPECT_TRUE(DropFileNames("").empty());
    EXPECT_TRUE(DropFileNames(std::string(19, '\0')).empty());
    std::string badOffset = MakeDropFiles({"/a"});
    badOffset[0] = static_cast<char>(200);  // past the block
    EXPECT_TRUE(DropFileNames(badOffset).empty());
    std::string unterminated = MakeDropFiles({"/a"});
    unterminated.resize(unterminated.size() - 2);
    EXPECT_EQ(std::vector<std::string>{"/a"}, DropFileNames(unterminated));
}

namespace {
struct TNullTarget : TDropTarget {
    void DragEnter(const TDataObject&, uint32_t, TPoint, uint32_t&) override {}
    void DragOver(uint32_t, TPoint, uint32_t&) override {}
    void DragLeave() override {}
    void Drop(const TDataObject&, uint32_t, TPoint, uint32_t&) override {}
};
}  // namespace

TEST(DataObjectTest, OneDropTargetPerWindow)
{
    TNullTarget a, b;
    EXPECT_FALSE(RegisterDragDrop(HWND_NONE, &a));
    EXPECT_TRUE(RegisterDragDrop(77, &a));
    EXPECT_FALSE(RegisterDragDrop(77, &b));
    EXPECT_EQ(&a, DropTargetOf(77));
    EXPECT_TRUE(RevokeDragDrop(77));
    EXPECT_FALSE(RevokeDragDrop(77));
    EXPECT_EQ(nullptr, DropTargetOf(77));
}
