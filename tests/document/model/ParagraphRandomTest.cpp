// Random edits of a paragraph checked step by step against a plain model: a
// list of elements (characters and records) from which the expected text, plain
// characters, offsets and formats are worked out independently of the
// paragraph's own routines.
#include "document/model/Paragraph.h"

#include "foundation/Memory.h"
#include "platform/runtime/Exception.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

struct TElement {
    bool Record = false;
    uint8_t Char = 0;
    uint16_t Code = 0;
    int32_t Argument = 0;

    int32_t Width() const { return Record ? InlineControlSize : 1; }
    bool IsChar() const { return !Record || IsCharacterCode(Code); }
};

using TModel = std::vector<TElement>;

std::string Encode(const TModel& model, size_t from = 0, size_t to = SIZE_MAX)
{
    std::string out;
    for (size_t i = from; i < std::min(to, model.size()); ++i) {
        const TElement& e = model[i];
        if (!e.Record) {
            out.push_back(static_cast<char>(e.Char));
            continue;
        }
        uint8_t record[InlineControlSize];
        WriteInlineControl(record, e.Code, e.Argument);
        out.append(reinterpret_cast<const char*>(record), InlineControlSize);
    }
    return out;
}

std::string Plain(const TModel& model)
{
    std::string out;
    for (const TElement& e : model) {
        if (!e.Record)
            out.push_back(static_cast<char>(e.Char));
        else if (e.Code == icSpecialChar)
            out.push_back(static_cast<char>(SpecialCharKind(e.Argument)));
        else if (e.Code == icSectionBreak)
            out.push_back(static_cast<char>(scSectionBreak));
        else if (e.Code == icPicture)
            out.push_back(static_cast<char>(scPicture));
        else if (e.Code == icOleObject)
            out.push_back(static_cast<char>(scOleObject));
    }
    return out;
}

// Byte offsets of the elements, with the text's size at the end.
std::vector<int32_t> ElementBytes(const TModel& model)
{
    std::vector<int32_t> bytes;
    int32_t at = 0;
    for (const TElement& e : model) {
        bytes.push_back(at);
        at += e.Width();
    }
    bytes.push_back(at);
    return bytes;
}

// The format of every character: the default with the format records before it.
std::vector<TCharFormat> CharFormats(const TModel& model)
{
    std::vector<TCharFormat> formats;
    TCharFormat current = DefaultCharFormat();
    for (const TElement& e : model) {
        if (e.Record && IsFormatCode(e.Code))
            current[e.Code] = e.Argument;
        else if (e.IsChar())
            formats.push_back(current);
    }
    return formats;
}

TModel ModelOf(const TParagraph& paragraph)
{
    TModel model;
    const uint8_t* p = paragraph.GetText().Data();
    for (int32_t i = 0; i < paragraph.GetText().Size();) {
        TElement e;
        if (p[i] != InlineControlStartByte) {
            e.Char = p[i++];
        } else {
            const TInlineControl c = ReadInlineControl(p + i);
            e.Record = true;
            e.Code = c.Code;
            e.Argument = c.Argument;
            i += InlineControlSize;
        }
        model.push_back(e);
    }
    return model;
}

class TRandomText {
public:
    explicit TRandomText(uint32_t seed) : FRandom(seed) {}

    int32_t Below(int32_t n) { return n <= 0 ? 0 : std::uniform_int_distribution<int32_t>(0, n - 1)(FRandom); }

    TElement Element()
    {
        TElement e;
        const int32_t kind = Below(10);
        if (kind < 5) {
            // Letters, and now and then a code page character of the upper half.
            e.Char = Below(8) == 0 ? static_cast<uint8_t>(0xC0 + Below(64)) : static_cast<uint8_t>('a' + Below(26));
            return e;
        }
        e.Record = true;
        if (kind < 8) {
            e.Code = static_cast<uint16_t>(Below(4) == 0 ? Below(icLastFormatCode + 1) : cfBold + Below(2));
            e.Argument = Below(3);
        } else if (kind == 8) {
            static const uint8_t kinds[] = {scParagraphMark, scColumnBreak, scLineBreak, scPageBreak,
                                            scTab, scNonBreakingSpace, scOptionalHyphen, scControlByte};
            e.Code = icSpecialChar;
            const uint8_t special = kinds[Below(static_cast<int32_t>(std::size(kinds)))];
            e.Argument = Below(4) == 0 ? MakeSpecialCharArgument(special, static_cast<uint8_t>(Below(256))) : special;
        } else {
            e.Code = static_cast<uint16_t>(icSectionBreak + Below(5));
            e.Argument = 1 + Below(9);
        }
        return e;
    }

    TModel Run(int32_t maxLength)
    {
        TModel run;
        const int32_t length = 1 + Below(maxLength);
        for (int32_t i = 0; i < length; ++i)
            run.push_back(Element());
        return run;
    }

private:
    std::mt19937 FRandom;
};

// Everything the paragraph tells about its text agrees with the model.
void ExpectMatches(const TParagraph& par, const TModel& model)
{
    const std::string text(reinterpret_cast<const char*>(par.GetText().Data()),
                           static_cast<size_t>(par.GetText().Size()));
    ASSERT_EQ(text, Encode(model));
    const std::string plain(reinterpret_cast<const char*>(par.GetPlainChars().Data()),
                            static_cast<size_t>(par.GetPlainChars().Size()));
    ASSERT_EQ(plain, Plain(model));
    const auto count = static_cast<int32_t>(plain.size());
    ASSERT_EQ(par.GetCharCount(), count);

    const std::vector<int32_t> bytes = ElementBytes(model);
    int32_t chars = 0;
    std::vector<int32_t> charBytes;  // the byte of every character
    for (size_t i = 0; i <= model.size(); ++i) {
        ASSERT_EQ(par.ByteToCharOffset(bytes[i]), chars) << "element " << i;
        if (i == model.size())
            break;
        if (model[i].Record) {
            EXPECT_THROW(par.ByteToCharOffset(bytes[i] + 1 + static_cast<int32_t>(i % 7)), EInternalError);
        }
        if (model[i].IsChar()) {
            charBytes.push_back(bytes[i]);
            ++chars;
        }
    }
    for (int32_t c = 0; c < count; ++c) {
        const int32_t at = par.CharToByteOffset(c);
        ASSERT_EQ(at, charBytes[static_cast<size_t>(c)]) << "character " << c;
        ASSERT_EQ(par.ByteToCharOffset(at), c);
        const int32_t width = par.GetText().Data()[at] == InlineControlStartByte ? InlineControlSize : 1;
        ASSERT_EQ(par.ByteAfterChar(c), at + width);
    }
    // Offsets are clamped to the characters; with none, past the records.
    ASSERT_EQ(par.CharToByteOffset(count), count > 0 ? charBytes.back() : par.GetText().Size());
    ASSERT_EQ(par.CharToByteOffset(-1), count > 0 ? charBytes.front() : par.GetText().Size());

    // The record walk.
    size_t next = 0;
    int32_t before = 0;
    for (TRecordCursor cursor(par); cursor.Next();) {
        while (next < model.size() && !model[next].Record) {
            ++before;
            ++next;
        }
        ASSERT_LT(next, model.size());
        ASSERT_EQ(cursor.Byte(), bytes[next]);
        ASSERT_EQ(cursor.Chars(), before);
        ASSERT_EQ(cursor.Record().Code, model[next].Code);
        ASSERT_EQ(cursor.Record().Argument, model[next].Argument);
        if (model[next].IsChar())
            ++before;
        ++next;
    }
    while (next < model.size())
        ASSERT_FALSE(model[next++].Record);

    // The format before the first character, and the closing section break.
    TCharFormat start = DefaultCharFormat();
    for (const TElement& e : model) {
        if (e.IsChar())
            break;
        if (IsFormatCode(e.Code))
            start[e.Code] = e.Argument;
    }
    TCharFormat got;
    par.GetStartFormat(got);
    ASSERT_EQ(got, start);
    size_t end = model.size();
    while (end > 0 && model[end - 1].Record && IsAnchorCode(model[end - 1].Code))
        --end;
    const TObjectHandle section = end > 0 && model[end - 1].Record && model[end - 1].Code == icSectionBreak
                                      ? model[end - 1].Argument
                                      : NoObjectHandle;
    ASSERT_EQ(par.GetSectionBreak(), section);
}

// Normalising keeps the characters, the format of each, and which anchors stand
// between which characters; afterwards no format record is redundant, and it
// changes nothing a second time.
void ExpectNormalizedFrom(const TModel& before, const TParagraph& par)
{
    const TModel after = ModelOf(par);
    ASSERT_EQ(Plain(after), Plain(before));
    const std::vector<TCharFormat> was = CharFormats(before);
    const std::vector<TCharFormat> now = CharFormats(after);
    ASSERT_EQ(was.size(), now.size());
    for (size_t i = 0; i < was.size(); ++i)
        ASSERT_EQ(was[i], now[i]) << "format of character " << i << " in " << Encode(before);
    auto anchors = [](const TModel& model) {
        std::string out;
        int32_t chars = 0;
        for (const TElement& e : model) {
            if (e.IsChar())
                ++chars;
            else if (IsAnchorCode(e.Code))
                out += std::to_string(e.Code) + ":" + std::to_string(e.Argument) + "@" + std::to_string(chars) + " ";
        }
        return out;
    };
    ASSERT_EQ(anchors(after), anchors(before));
    TCharFormat current = DefaultCharFormat();
    std::vector<bool> sinceChar(TCharFormat::Count, false);
    bool formatSeen = false;
    for (const TElement& e : after) {
        if (e.IsChar()) {
            std::fill(sinceChar.begin(), sinceChar.end(), false);
            formatSeen = false;
        } else if (IsFormatCode(e.Code)) {
            ASSERT_NE(e.Argument, current[e.Code]) << "a record restating its value";
            ASSERT_FALSE(sinceChar[e.Code]) << "two records of one slot between two characters";
            sinceChar[e.Code] = true;
            current[e.Code] = e.Argument;
            formatSeen = true;
        } else {
            ASSERT_FALSE(formatSeen) << "an anchor behind a format record";
        }
    }
}

}  // namespace

TEST(ParagraphRandom, EditsAgreeWithAModel)
{
    TRandomText random(20240611u);
    for (int round = 0; round < 100; ++round) {
        TParagraph par(nullptr);
        TModel model;
        for (int step = 0; step < 80; ++step) {
            SCOPED_TRACE(testing::Message() << "round " << round << " step " << step << " text " << Encode(model));
            const std::vector<int32_t> bytes = ElementBytes(model);
            const auto elements = static_cast<int32_t>(model.size());
            switch (random.Below(10)) {
            case 0:
            case 1: {
                // Insert a run at an element boundary (the very start and end
                // included).
                const int32_t at = random.Below(3) == 0 ? (random.Below(2) ? 0 : elements) : random.Below(elements + 1);
                const TModel run = random.Run(6);
                const std::string encoded = Encode(run);
                par.InsertText(bytes[static_cast<size_t>(at)], encoded.data(), static_cast<int32_t>(encoded.size()));
                model.insert(model.begin() + at, run.begin(), run.end());
                break;
            }
            case 2: {
                // Insert at a character offset, where typing goes.
                const int32_t c = random.Below(par.GetCharCount() + 2) - 1;
                const int32_t at = par.CharToByteOffset(c);
                const TModel run = random.Run(4);
                const std::string encoded = Encode(run);
                par.InsertText(at, encoded.data(), static_cast<int32_t>(encoded.size()));
                size_t index = 0;
                while (index < model.size() && bytes[index] != at)
                    ++index;
                ASSERT_EQ(bytes[index], at);
                model.insert(model.begin() + static_cast<ptrdiff_t>(index), run.begin(), run.end());
                break;
            }
            case 3:
            case 4: {
                // Delete whole elements, keeping what was removed.
                const int32_t from = random.Below(elements + 1);
                const int32_t to = from + random.Below(std::min(elements - from, 5) + 1);
                TMemory removed;
                removed.AppendByte('#');
                par.DeleteText(bytes[static_cast<size_t>(from)], bytes[static_cast<size_t>(to)] - bytes[static_cast<size_t>(from)],
                               &removed);
                ASSERT_EQ(std::string(reinterpret_cast<const char*>(removed.Data()), static_cast<size_t>(removed.Size())),
                          "#" + Encode(model, static_cast<size_t>(from), static_cast<size_t>(to)));
                model.erase(model.begin() + from, model.begin() + to);
                break;
            }
            case 5: {
                // Delete characters by their offsets.
                const int32_t count = par.GetCharCount();
                if (count == 0)
                    break;
                const int32_t first = random.Below(count);
                const int32_t last = first + random.Below(count - first);
                const int32_t from = par.CharToByteOffset(first);
                const int32_t to = par.ByteAfterChar(last);
                size_t i = 0, j = 0;
                while (bytes[i] != from)
                    ++i;
                while (bytes[j] != to)
                    ++j;
                par.DeleteText(from, to - from);
                model.erase(model.begin() + static_cast<ptrdiff_t>(i), model.begin() + static_cast<ptrdiff_t>(j));
                break;
            }
            case 6: {
                const TModel before = model;
                par.NormalizeControlCodes();
                ASSERT_TRUE(par.GetNormalizedFlag());
                ExpectNormalizedFrom(before, par);
                model = ModelOf(par);
                par.NormalizeControlCodes();
                ASSERT_EQ(ModelOf(par).size(), model.size()) << "a second normalisation changed the text";
                break;
            }
            case 7: {
                // Single records and characters through the other entry points.
                const TElement e = random.Element();
                const int32_t at = random.Below(elements + 1);
                if (random.Below(2)) {
                    if (e.Record)
                        par.AppendControl(e.Code, e.Argument);
                    else
                        par.AppendChars(std::string(1, static_cast<char>(e.Char)));
                    model.push_back(e);
                } else {
                    if (e.Record)
                        par.InsertControl(bytes[static_cast<size_t>(at)], e.Code, e.Argument);
                    else
                        par.InsertChars(bytes[static_cast<size_t>(at)], std::string(1, static_cast<char>(e.Char)));
                    model.insert(model.begin() + at, e);
                }
                break;
            }
            case 8: {
                // Bad edits change nothing: inside a record, or a run that ends
                // inside one.
                const bool normalized = par.GetNormalizedFlag();
                for (int32_t i = 0; i < elements; ++i) {
                    if (!model[static_cast<size_t>(i)].Record)
                        continue;
                    const int32_t inside = bytes[static_cast<size_t>(i)] + 1 + random.Below(7);
                    EXPECT_THROW(par.InsertChars(inside, "x"), EInternalError);
                    EXPECT_THROW(par.DeleteText(inside, bytes[static_cast<size_t>(i) + 1] - inside), EInternalError);
                    EXPECT_THROW(par.DeleteText(0, inside), EInternalError);
                    break;
                }
                ASSERT_EQ(par.GetNormalizedFlag(), normalized);
                break;
            }
            case 9: {
                // The text handed over whole, or swapped with a scratch paragraph.
                const TModel other = random.Run(12);
                const std::string encoded = Encode(other);
                if (random.Below(2)) {
                    par.SetText(encoded.data(), static_cast<int32_t>(encoded.size()));
                } else {
                    TParagraph scratch(nullptr);
                    scratch.SetText(encoded.data(), static_cast<int32_t>(encoded.size()));
                    par.SwapText(scratch);
                    ExpectMatches(scratch, model);
                }
                model = other;
                break;
            }
            }
            ExpectMatches(par, model);
            if (HasFatalFailure())
                return;
        }
    }
}
