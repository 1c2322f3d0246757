// Long random series of every kind of edit the dispatcher runs over the
// three-section fixture (with a header and a footnote): character and
// paragraph formats, tabs, reset to style, section formats and breaks, page
// set-up, deletions and replacements that cut bookmarks, fields, notes and
// section breaks, typing, bookmarks, hyperlinks and fields put in and taken
// out, text moved, paragraphs joined and split, case changes, block
// deletion and formatting, click and type, page set-up and columns applied
// to a scope; with single undo and redo steps between them, and edits made to fail
// at one of their first steps. After every step the document is well formed
// (complete records, one start and one end anchor per range object, in order
// and where the object says, one break per section, normalised records); a
// failed edit leaves it as it was, every single undo and redo gives back the
// state it must byte for byte, and so do undoing and redoing everything at
// the end.
#include "document/FormattingFixtures.h"
#include "document/editing/EditingRecords.h"
#include "document/editing/SectionScopes.h"
#include "document/fields/FieldInstructions.h"
#include "foundation/MessageAnswers.h"
#include "foundation/managers/TabManager.h"
#include "platform/runtime/Exception.h"

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <sstream>

namespace {

std::string Where(int32_t paragraph, int32_t offset)
{
    return std::to_string(paragraph) + ":" + std::to_string(offset);
}

// Everything that makes the document's content well formed, beside what
// ExpectDocumentConsistent checks.
void ExpectWellFormed(TDocument& document)
{
    ExpectDocumentConsistent(document);
    struct TAnchors {
        int Starts = 0;
        int Ends = 0;
        TTextPosition Start;
        TTextPosition End;
    };
    std::map<TObjectHandle, TAnchors> anchors;
    std::set<TObjectHandle> breaks;
    const int32_t bodyLast = document.StoryLast(stBody);
    for (int32_t index = 0; index < document.ParagraphCount(); ++index) {
        const TParagraph& paragraph = document.Paragraphs(index);
        const uint8_t* p = paragraph.GetText().Data();
        const int32_t size = paragraph.GetText().Size();
        int32_t chars = 0;
        int32_t lastCharRecord = -1;  // the code of the last character's record, -1 for a plain byte
        for (int32_t pos = 0; pos < size;) {
            if (p[pos] != InlineControlStartByte) {
                EXPECT_GE(p[pos], 32) << "paragraph " << index << " byte " << pos;
                ++chars;
                ++pos;
                lastCharRecord = -1;
                continue;
            }
            ASSERT_LE(pos + InlineControlSize, size) << "paragraph " << index << ": record cut at " << pos;
            ASSERT_EQ(p[pos + 7], InlineControlEndByte) << "paragraph " << index << ": record at " << pos;
            const TInlineControl record = ReadInlineControl(p + pos);
            ASSERT_LT(record.Code, icCodeCount) << "paragraph " << index;
            if (record.Code == icSpecialChar) {
                EXPECT_TRUE(IsValidSpecialCharArgument(record.Argument)) << "paragraph " << index;
            }
            if (record.Code == icSectionBreak) {
                EXPECT_LE(index, bodyLast) << "a section break outside the body";
                EXPECT_TRUE(breaks.insert(record.Argument).second) << "section " << record.Argument << " twice";
            }
            if (IsAnchorCode(record.Code)) {
                TAnchors& a = anchors[record.Argument];
                if (record.Code == icRangeStart) {
                    ++a.Starts;
                    a.Start = {index, chars};
                } else {
                    ++a.Ends;
                    a.End = {index, chars};
                }
            }
            if (IsCharacterCode(record.Code)) {
                ++chars;
                lastCharRecord = record.Code;
            }
            pos += InlineControlSize;
        }
        // Every paragraph ends with its mark or with a section break.
        const uint8_t last = paragraph.GetCharCount() ? paragraph.GetPlainChars().Data()[chars - 1] : 0;
        EXPECT_TRUE((last == scParagraphMark && lastCharRecord == icSpecialChar) ||
                    (last == scSectionBreak && lastCharRecord == icSectionBreak))
            << "paragraph " << index << " ends with " << int(last);
        // Its records as normalising leaves them.
        TParagraph copy(&document);
        copy.SetText(p, size);
        copy.NormalizeControlCodes();
        EXPECT_EQ(DumpParagraphText(copy), DumpParagraphText(paragraph)) << "paragraph " << index << " not normalised";
    }
    // The last paragraph of the body ends with its mark; each other section
    // ends with its break.
    EXPECT_EQ(static_cast<int32_t>(breaks.size()) + 1, document.SectionCount());
    if (bodyLast >= 0) {
        const TParagraph& last = document.Paragraphs(bodyLast);
        EXPECT_EQ(last.GetPlainChars().Data()[last.GetCharCount() - 1], scParagraphMark);
    }
    // Each range object has one start and one end, in order, where its range says.
    for (const auto& object : document.RangeObjects()) {
        const auto found = anchors.find(object->Handle());
        ASSERT_NE(found, anchors.end()) << "object " << object->Handle() << " has no anchors";
        const TAnchors& a = found->second;
        EXPECT_EQ(a.Starts, 1) << "object " << object->Handle();
        EXPECT_EQ(a.Ends, 1) << "object " << object->Handle();
        EXPECT_LE(CompareTextPos(a.Start, a.End), 0) << "object " << object->Handle();
        EXPECT_EQ(Where(object->Range.Start.Paragraph, object->Range.Start.Offset),
                  Where(a.Start.Paragraph, a.Start.Offset))
            << "start of object " << object->Handle();
        EXPECT_EQ(Where(object->Range.End.Paragraph, object->Range.End.Offset), Where(a.End.Paragraph, a.End.Offset))
            << "end of object " << object->Handle();
        anchors.erase(found);
    }
    for (const auto& [handle, a] : anchors)
        ADD_FAILURE() << "anchors of object " << handle << " that is not in the document";
}

// The dump of everything, the range objects in handle order: the position
// search keeps the list sorted by start, which is no change of content.
std::string Dump(TDocument& document)
{
    std::vector<std::string> lines;
    std::string objects;
    std::istringstream in(DumpAll(document));
    std::string out;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("object ", 0) == 0 || line.rfind("instruction ", 0) == 0)
            lines.push_back(line);
        else
            out += line + "\n";
    }
    std::sort(lines.begin(), lines.end());
    for (const std::string& line : lines)
        out += line + "\n";
    return out;
}

// The step that many steps from now fails, once (0: none).
int g_StepsToFailure = 0;

void FailArmedStep(const TSubOperation&)
{
    if (g_StepsToFailure > 0 && --g_StepsToFailure == 0)
        throw EOutOfMemory();
}

class MixedEditSequenceTest : public FormattingTest {
protected:
    std::mt19937 Random{1};
    int NextName = 0;

    int32_t Pick(int32_t from, int32_t to) { return std::uniform_int_distribution<int32_t>(from, to)(Random); }

    // A position in the story, the body unless told.
    TTextPosition AnyPosition(int32_t story = stBody)
    {
        const int32_t paragraph = Pick(Doc->StoryFirst(story), Doc->StoryLast(story));
        return {paragraph, Pick(0, Doc->Paragraphs(paragraph).GetCharCount() - 1)};
    }
    // A range in the body, or now and then in the notes or the headers.
    TTextRange AnyRange()
    {
        int32_t story = stBody;
        if (Pick(0, 7) == 0) {
            story = Pick(0, 1) ? stFootnotes : stHeadersFooters;
            if (Doc->StoryCount(story) == 0)
                story = stBody;
        }
        TTextPosition a = AnyPosition(story);
        TTextPosition b = Pick(0, 3) == 0 ? a : AnyPosition(story);
        if (CompareTextPos(b, a) < 0)
            std::swap(a, b);
        return {a, b};
    }
    std::vector<TField*> ObjectsOf(uint8_t kind, uint8_t type = 255)
    {
        std::vector<TField*> found;
        for (const auto& object : Doc->RangeObjects())
            if (object->Kind == kind && (type == 255 || object->Type == type))
                found.push_back(object.get());
        return found;
    }
    // A caret inside one of the objects of a kind; false when there is none.
    // The caret put inside a field picked at random; that field (null when
    // there is none).
    TField* CaretInField() { return CaretInObject(rkField) ? Doc->FindFieldAtCaret(255) : nullptr; }

    bool CaretInObject(uint8_t kind, uint8_t type = 255)
    {
        const std::vector<TField*> objects = ObjectsOf(kind, type);
        if (objects.empty())
            return false;
        const TField* object = objects[static_cast<size_t>(Pick(0, static_cast<int32_t>(objects.size()) - 1))];
        if (object->Range.Start.Paragraph == object->Range.End.Paragraph)
            Caret(object->Range.Start.Paragraph,
                  Pick(object->Range.Start.Offset, std::max(object->Range.End.Offset - 1, object->Range.Start.Offset)));
        else
            Caret(object->Range.Start.Paragraph, object->Range.Start.Offset);
        return true;
    }

    // One random edit through the dispatcher.
    void RandomEdit(std::string& what)
    {
        TTextRange range = AnyRange();
        Select(range.Start.Paragraph, range.Start.Offset, range.End.Paragraph, range.End.Offset);
        uint8_t flags = 0;
        switch (Pick(0, 27)) {
        case 0: {
            constexpr int kSlots[] = {cfBold, cfItalic, cfSize, cfColor, cfUnderline, cfStrikeOut};
            const int slot = kSlots[Pick(0, 5)];
            TCharFormat format;
            ClearCharFormat(format);
            format[slot] = slot == cfSize ? Pick(8, 40) : Pick(0, 2);
            what = "format text slot " + std::to_string(slot);
            Doc->ExecuteOperation(docFormatText, {&range, &format, &flags});
            break;
        }
        case 1: {
            constexpr int kSlots[] = {pfAlignment, pfFirstIndent, pfLeftIndent, pfSpaceBefore, pfKeepTogether};
            TParFormat format;
            ClearParFormat(format);
            const int slot = kSlots[Pick(0, 4)];
            format[slot] = slot == pfAlignment ? Pick(0, 3) : slot == pfKeepTogether ? Pick(0, 1) : Pick(-400, 900);
            what = "format paragraphs slot " + std::to_string(slot);
            Doc->ExecuteOperation(docFormatParagraphs, {&range, &format});
            break;
        }
        case 2: {
            TTabTable table;
            table.AddTab(PackTabStop(Pick(1, 20) * 144, static_cast<uint8_t>(Pick(0, 2)), 0));
            TTabChange change;
            if (Pick(0, 1))
                change.DefaultInterval = Pick(1, 8) * 180;
            change.TableIndex = Pick(0, 3) == 0 ? -1 : Doc->TabManager().AddTable(table);
            what = "tabs";
            Doc->ExecuteOperation(docFormatTabs, {&change});
            break;
        }
        case 3: {
            uint8_t kind = static_cast<uint8_t>(Pick(0, 1));
            what = "reset to style " + std::to_string(kind);
            Doc->ExecuteOperation(docResetFormatToStyle, {&range, &kind});
            break;
        }
        case 4: {
            TSectionSettings settings;
            std::fill(std::begin(settings.Values), std::end(settings.Values), NotSet);
            settings[ssColumnCount] = Pick(1, 3);
            if (Pick(0, 1))
                settings[ssColumnSpacing] = Pick(0, 4) * 180;
            what = "format sections";
            Doc->ExecuteOperation(docFormatSections, {&range, &settings});
            break;
        }
        case 5: {
            int32_t paragraph = range.Start.Paragraph;
            uint8_t kind = static_cast<uint8_t>(Pick(0, 4));
            what = "section break of " + std::to_string(paragraph);
            Doc->ExecuteOperation(docChangeSectionBreak, {&paragraph, &kind});
            break;
        }
        case 6:
        case 7: {
            constexpr uint8_t kFlags[] = {0, 0, efStoryEnd, efKeepEndFormat, efAdjustSpaces};
            flags = kFlags[Pick(0, 4)];
            what = "delete " + Where(range.Start.Paragraph, range.Start.Offset) + ".." +
                   Where(range.End.Paragraph, range.End.Offset) + " flags " + std::to_string(flags);
            Doc->ExecuteOperation(docDeleteRange, {&range.Start, &range.End, &flags});
            break;
        }
        case 8: {
            what = "typing";
            Format.Overtype = Pick(0, 4) == 0;
            TypeText(Pick(0, 2) ? "mot" : "a\rb");
            Format.Overtype = false;
            break;
        }
        case 9: {
            std::string name = "Signet" + std::to_string(++NextName);
            what = "insert bookmark " + name;
            Doc->ExecuteOperation(docInsertBookmark, {&name});
            break;
        }
        case 10: {
            const std::vector<TField*> marks = ObjectsOf(rkBookmark);
            if (marks.empty())
                return;
            std::string name = marks[static_cast<size_t>(Pick(0, static_cast<int32_t>(marks.size()) - 1))]->Instruction;
            what = "delete bookmark " + name;
            Doc->ExecuteOperation(docDeleteBookmark, {&name});
            break;
        }
        case 11: {
            std::string instruction = BuildHyperlinkField(Pick(0, 1) ? "#signet" : "http://exemple.fr/", "");
            std::string display = Pick(0, 1) ? std::string() : std::string("Lien");
            what = "insert hyperlink '" + display + "'";
            Doc->ExecuteOperation(docInsertHyperlink, {&instruction, &display});
            break;
        }
        case 12: {
            if (!CaretInObject(rkField, fkHyperlink))
                return;
            what = "remove hyperlink at caret";
            Doc->ExecuteOperation(docRemoveHyperlink);
            break;
        }
        case 13: {
            if (!Doc->HasSelection())
                return;
            what = "remove hyperlinks in selection";
            Doc->ExecuteOperation(docRemoveHyperlinksInSelection);
            break;
        }
        case 14: {
            uint8_t type = fkTitle;
            std::string instruction = Pick(0, 1) ? "\\* Upper" : "";
            what = "insert field";
            Doc->ExecuteOperation(docInsertField, {&type, &instruction});
            break;
        }
        case 15: {
            TField* field = CaretInField();
            if (!field)
                return;
            uint8_t type = field->Type;
            what = "remove field record";
            Doc->ExecuteOperation(docRemoveFieldRecord, {&type});
            break;
        }
        case 16: {
            TField* field = CaretInField();
            if (!field)
                return;
            uint8_t type = field->Type;
            what = "delete field";
            // Removing a link to a bookmark offers to remove the bookmark.
            TMessageAnswers answers;
            answers.AnswerOthers(Pick(0, 1) ? mrYes : mrNo);
            Doc->ExecuteOperation(docDeleteField, {&type});
            break;
        }
        case 17: {
            const std::vector<TField*> fields = ObjectsOf(rkField);
            if (fields.empty())
                return;
            TField* field = fields[static_cast<size_t>(Pick(0, static_cast<int32_t>(fields.size()) - 1))];
            std::string instruction = field->Instruction + " \\* MERGEFORMAT";
            int32_t handle = field->Handle();
            what = "change field instruction";
            Doc->ExecuteOperation(docChangeFieldInstruction, {&instruction, &handle});
            break;
        }
        case 18: {
            TMemory text;
            text.Append(Pick(0, 1) ? "neuf" : "x\ry", Pick(0, 1) ? 4 : 3);
            flags = Pick(0, 1) ? efAdjustSpaces : 0;
            what = "replace " + Where(range.Start.Paragraph, range.Start.Offset) + ".." +
                   Where(range.End.Paragraph, range.End.Offset);
            Doc->ExecuteOperation(docReplaceText, {&range.Start, &range.End, &text, &flags});
            break;
        }
        case 19: {
            TPageParams params;
            std::fill(std::begin(params.Values), std::end(params.Values), NotSet);
            params[Pick(0, 1) ? ppTopMargin : ppLeftMargin] = Pick(0, 4000);
            what = "page set-up";
            Doc->ExecuteOperation(docChangePageParams, {&params, &range});
            break;
        }
        case 20: {
            // A block of the same story moved elsewhere in it.
            const int32_t story = Doc->GetStoryOfParagraph(range.Start.Paragraph);
            TTextPosition target = AnyPosition(story);
            constexpr uint8_t kFlags[] = {0, efReportRange, efAdjustSpaces, efStoryEnd};
            flags = kFlags[Pick(0, 3)];
            what = "move " + Where(range.Start.Paragraph, range.Start.Offset) + ".." +
                   Where(range.End.Paragraph, range.End.Offset) + " to " + Where(target.Paragraph, target.Offset) +
                   " flags " + std::to_string(flags);
            Doc->ExecuteOperation(docMoveText, {&range.Start, &range.End, &target, &flags});
            break;
        }
        case 21: {
            int32_t first = range.Start.Paragraph;
            int32_t last = range.End.Paragraph;
            what = "join " + std::to_string(first) + ".." + std::to_string(last);
            TMessageAnswers answers;
            answers.AnswerOthers(mrOk);
            Doc->ExecuteOperation(docJoinParagraphs, {&first, &last});
            break;
        }
        case 22: {
            int32_t first = range.Start.Paragraph;
            int32_t last = range.End.Paragraph;
            what = "split " + std::to_string(first) + ".." + std::to_string(last);
            Doc->ExecuteOperation(docSplitParagraphs, {&first, &last});
            break;
        }
        case 23: {
            uint8_t mode = static_cast<uint8_t>(Pick(tmUpperCase, tmCapitalizeWords));
            flags = Pick(0, 1) ? efReportRange : 0;
            what = "transform " + std::to_string(mode) + " " + Where(range.Start.Paragraph, range.Start.Offset) +
                   ".." + Where(range.End.Paragraph, range.End.Offset);
            TMessageAnswers answers;
            answers.AnswerOthers(mrOk);
            Doc->ExecuteOperation(docTransformText, {&mode, &range, &flags});
            break;
        }
        case 24:
        case 25: {
            TBlockSelection block;
            block.First = range.Start;
            block.StartParagraph = range.Start.Paragraph;
            block.EndParagraph = range.End.Paragraph;
            block.StartLine = Pick(0, 1);
            block.EndLine = Pick(0, 2);
            block.LeftX = Pick(0, 8);
            block.RightX = Pick(0, 12);
            if (Pick(0, 1)) {
                what = "delete block";
                Doc->ExecuteOperation(docDeleteBlock, {&block});
            } else {
                TCharFormat format;
                ClearCharFormat(format);
                format[cfItalic] = Pick(0, 1);
                what = "format block";
                Doc->ExecuteOperation(docFormatBlock, {&block, &format});
            }
            break;
        }
        case 26: {
            Caret(range.Start.Paragraph, range.Start.Offset);
            TClickAndTypePlan plan;
            const int32_t added = Doc->GetStoryOfParagraph(range.Start.Paragraph) == stBody ? Pick(0, 2) : 0;
            plan.TargetParagraph = range.Start.Paragraph + added;
            if (added)
                plan.Steps.push_back({ctAddParagraphs, added, 0});
            plan.Steps.push_back({ctAlignment, Pick(0, 3), 0});
            if (Pick(0, 1))
                plan.Steps.push_back({ctSetTab, Pick(1, 20) * 144, static_cast<uint8_t>(Pick(0, 2))});
            if (Pick(0, 1))
                plan.Steps.push_back({ctInsertTab, 0, 0});
            what = "click and type at " + Where(range.Start.Paragraph, range.Start.Offset);
            Doc->ExecuteOperation(docClickAndType, {&plan});
            break;
        }
        case 27: {
            if (Doc->GetStoryOfParagraph(range.Start.Paragraph) != stBody ||
                Doc->GetStoryOfParagraph(range.End.Paragraph) != stBody)
                return;
            TPageParams params;
            std::fill(std::begin(params.Values), std::end(params.Values), NotSet);
            params[ppRightMargin] = Pick(0, 3000);
            TSectionSettings columns;
            std::fill(std::begin(columns.Values), std::end(columns.Values), NotSet);
            columns[ssColumnCount] = Pick(1, 3);
            const uint8_t scope = static_cast<uint8_t>(Pick(0, 4));
            const uint8_t mode = static_cast<uint8_t>(Pick(0, 1));
            what = "scope " + std::to_string(scope) + " mode " + std::to_string(mode);
            ApplySectionFormatToScope(*Doc, scope, mode,
                                      mode == sfPageSetup ? static_cast<const void*>(&params)
                                                          : static_cast<const void*>(&columns));
            break;
        }
        }
    }

    void RunSeries(uint32_t seed, int steps, bool laidOut)
    {
        Random.seed(seed);
        Doc = std::make_unique<TDocument>(false);
        BuildFixture();
        Doc->Properties.Title = "Rapport";
        // A header of the first section and a footnote on "sept".
        TField& header = Doc->AddRangeObject(rkHeaderFooter);
        AddToStory(stHeadersFooters,
                   Rec(icRangeStart, header.Handle()) + "En-tête{22:2}" + Rec(icRangeEnd, header.Handle()));
        S0->HeadersFooters[0] = &header;
        TField& reference = Doc->AddRangeObject(rkNoteReference);
        TField& note = Doc->AddRangeObject(rkNoteReference);
        reference.NoteRecord = &note;
        TParagraph& noted = Doc->Paragraphs(1);
        noted.InsertControl(noted.CharToByteOffset(13), icRangeEnd, reference.Handle());
        noted.InsertControl(noted.CharToByteOffset(9), icRangeStart, reference.Handle());
        AddToStory(stFootnotes, Rec(icRangeStart, note.Handle()) + "1 La note{22:2}" + Rec(icRangeEnd, note.Handle()));
        Doc->RefreshRangeObjectPositions();
        std::unique_ptr<TCharLayout> layout;
        if (laidOut) {
            layout = std::make_unique<TCharLayout>();
            for (int32_t i = 0; i < Doc->ParagraphCount(); ++i)
                Doc->Paragraphs(i).Invalidate(true, 9);
        }
        // states[i]: the document with the first i operations done.
        std::vector<std::string> states{Dump(*Doc)};
        auto index = [&] { return static_cast<size_t>(Undo().CurrentIndex() + 1); };
        std::string previous = states[0];
        for (int step = 0; step < steps; ++step) {
            std::string what;
            const int choice = Pick(0, 11);
            if (choice == 0 && Undo().CanUndo()) {
                what = "undo";
                Undo().Undo();
                SCOPED_TRACE(testing::Message() << "seed " << seed << " step " << step << ": " << what);
                ASSERT_LT(index(), states.size());
                EXPECT_EQ(Dump(*Doc), states[index()]);
            } else if (choice == 1 && Undo().CanRedo()) {
                what = "redo";
                Undo().Redo();
                SCOPED_TRACE(testing::Message() << "seed " << seed << " step " << step << ": " << what);
                ASSERT_LT(index(), states.size());
                EXPECT_EQ(Dump(*Doc), states[index()]);
            } else if (choice == 2) {
                // An edit whose first, second or third step fails: the
                // document and its undo list stay as they were.
                const size_t before = index();
                g_StepsToFailure = Pick(1, 3);
                const TSubOperationFaultHook previousHook = SetSubOperationFaultHook(&FailArmedStep);
                bool failed = false;
                try {
                    RandomEdit(what);
                } catch (const EOutOfMemory&) {
                    failed = true;
                }
                SetSubOperationFaultHook(previousHook);
                g_StepsToFailure = 0;
                SCOPED_TRACE(testing::Message() << "seed " << seed << " step " << step << ": failing " << what);
                const std::string now = Dump(*Doc);
                // A field inserted or deleted is recorded before its follow-up
                // (the field's update, the bookmarks of a table of contents)
                // runs as an operation of its own: a failure there leaves the
                // recorded part, whole and undoable.
                const bool followUp = what == "insert field" || what == "delete field";
                if ((failed && !(followUp && index() > before)) || index() == before) {
                    EXPECT_EQ(index(), before);
                    EXPECT_EQ(now, states[before]) << (failed ? "a failed edit left changes" : "a change that was not recorded");
                } else {
                    states.resize(index() + 1);
                    states[index()] = now;
                }
                EXPECT_EQ(Doc->InOperation, 0);
                EXPECT_EQ(Format.Locks, 0);
            } else {
                const size_t before = index();
                RandomEdit(what);
                SCOPED_TRACE(testing::Message() << "seed " << seed << " step " << step << ": " << what);
                const std::string now = Dump(*Doc);
                if (index() == before) {
                    // Nothing recorded: nothing changed, and the operations
                    // undone before are still there to redo.
                    EXPECT_EQ(now, states[before]) << "a change that was not recorded";
                } else {
                    states.resize(index() + 1);
                    states[index()] = now;
                }
            }
            SCOPED_TRACE(testing::Message() << "seed " << seed << " step " << step << ": " << what);
            ExpectWellFormed(*Doc);
            if (HasFailure()) {
                ADD_FAILURE() << "before:\n" << previous << "after:\n" << Dump(*Doc);
                return;
            }
            previous = Dump(*Doc);
        }
        const std::string end = Dump(*Doc);
        Undo().UndoAll();
        EXPECT_EQ(Dump(*Doc), states[0]) << "seed " << seed;
        Undo().RedoAll();
        EXPECT_EQ(Dump(*Doc), states.back()) << "seed " << seed;
        while (Undo().CanRedo())
            Undo().Redo();
        while (Undo().CanUndo())
            Undo().Undo();
        EXPECT_EQ(Dump(*Doc), states[0]) << "seed " << seed;
        ExpectWellFormed(*Doc);
    }
};

TEST_F(MixedEditSequenceTest, EveryStepWellFormedAndEveryUndoByteForByte)
{
    for (uint32_t seed : {20250301u, 1004u}) {
        RunSeries(seed, 120, false);
        if (HasFailure())
            return;
        RunSeries(seed + 1, 120, true);
        if (HasFailure())
            return;
    }
}

}  // namespace
