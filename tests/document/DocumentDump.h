#pragma once
// A dump of everything an edit may change in a document's content, for the
// tests of every edit: each paragraph's story, paragraph format and text
// buffer byte for byte, the sections in list order with the range each covers
// and its header and footer references, and the range objects. Two documents
// (or one document before and after an edit and its undo) hold the same
// content exactly when their dumps are equal; the dump is readable text, so a
// failing comparison shows where they differ.
//
// Text notation: characters of 32 to 126 stand for themselves ("{" and "\"
// escaped with "\"), other bytes as "\xNN", and each inline record as
// "{code:argument}", which fixes its 8 bytes.
#include "document/model/Document.h"
#include "document/fields/Field.h"
#include "document/model/Paragraph.h"
#include "document/model/Section.h"
#include "foundation/InlineControl.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

inline std::string DumpParagraphText(const TParagraph& paragraph)
{
    std::string out;
    const uint8_t* p = paragraph.GetText().Data();
    const int32_t size = paragraph.GetText().Size();
    for (int32_t pos = 0; pos < size;) {
        const uint8_t b = p[pos];
        if (b == InlineControlStartByte && size - pos >= InlineControlSize && p[pos + 7] == InlineControlEndByte) {
            const TInlineControl record = ReadInlineControl(p + pos);
            out += "{" + std::to_string(record.Code) + ":" + std::to_string(record.Argument) + "}";
            pos += InlineControlSize;
            continue;
        }
        if (b == '{' || b == '\\') {
            out += '\\';
            out += static_cast<char>(b);
        } else if (b >= 32 && b < 127) {
            out += static_cast<char>(b);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", b);
            out += hex;
        }
        ++pos;
    }
    return out;
}

inline std::string DumpParFormat(const TParFormat& format)
{
    std::string out;
    for (int slot = 0; slot < TParFormat::Count; ++slot) {
        if (slot)
            out += ',';
        out += format[slot] == NotSet ? std::string("-") : std::to_string(format[slot]);
    }
    return out;
}

inline std::string DumpDocument(TDocument& document)
{
    std::string out;
    for (int32_t story = 0; story < StoriesPerDocument; ++story)
        out += "story " + std::to_string(story) + ": " + std::to_string(document.StoryCount(story)) + "\n";
    for (int32_t index = 0; index < document.ParagraphCount(); ++index) {
        const TParagraph& paragraph = document.Paragraphs(index);
        out += std::to_string(index) + " [" + DumpParFormat(paragraph.Format) + "] " + DumpParagraphText(paragraph) +
               "\n";
    }
    document.RebuildSectionRanges();
    for (int32_t i = 0; i < document.SectionCount(); ++i) {
        const TSection& section = document.Sections(i);
        out += "section " + std::to_string(section.Handle()) + " break " + std::to_string(section.BreakKind()) +
               " paragraphs " + std::to_string(section.FirstParagraph) + ".." +
               std::to_string(section.LastParagraph) + " headers";
        for (const TField* field : section.HeadersFooters)
            out += " " + std::to_string(field ? field->Handle() : 0);
        out += "\n";
    }
    for (const auto& object : document.RangeObjects())
        out += "object " + std::to_string(object->Handle()) + " kind " + std::to_string(object->Kind) + " at " +
               std::to_string(object->Range.Start.Paragraph) + ":" + std::to_string(object->Range.Start.Offset) +
               ".." + std::to_string(object->Range.End.Paragraph) + ":" +
               std::to_string(object->Range.End.Offset) + "\n";
    return out;
}

// The plain-character buffer of every paragraph agrees with its text, and the
// story counts with the paragraph list.
inline void ExpectDocumentConsistent(const TDocument& document)
{
    int32_t total = 0;
    for (int32_t story = 0; story < StoriesPerDocument; ++story)
        total += document.StoryCount(story);
    EXPECT_EQ(total, document.ParagraphCount());
    for (int32_t index = 0; index < document.ParagraphCount(); ++index) {
        const TParagraph& paragraph = document.Paragraphs(index);
        EXPECT_EQ(paragraph.Index, index);
        std::string plain;
        const uint8_t* p = paragraph.GetText().Data();
        for (int32_t pos = 0; pos < paragraph.GetText().Size();) {
            if (p[pos] == InlineControlStartByte) {
                const TInlineControl record = ReadInlineControl(p + pos);
                if (IsCharacterCode(record.Code))
                    plain += static_cast<char>(PlainCharOfControl(record));
                pos += InlineControlSize;
            } else {
                plain += static_cast<char>(p[pos++]);
            }
        }
        EXPECT_EQ(plain, std::string(reinterpret_cast<const char*>(paragraph.GetPlainChars().Data()),
                                     static_cast<size_t>(paragraph.GetPlainChars().Size())))
            << "paragraph " << index;
    }
}
