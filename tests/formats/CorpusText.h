#pragma once
// What the corpus tests of the readers share: a watchdog that turns a read
// that does not end into a failure naming the file, the text of a document
// as UTF-16, and its words.
#include "document/model/Document.h"
#include "document/model/Paragraph.h"
#include "foundation/CodePageRoutines.h"
#include "foundation/InlineControl.h"
#include "foundation/managers/FontManager.h"
#include "platform/runtime/CodePages.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace corpus_text {

// Ends the test program when a read runs past its bound (a hang), so that a
// hang shows as a failure with the file's name.
class TReadWatchdog {
public:
    TReadWatchdog(std::string name, int seconds) : FName(std::move(name))
    {
        FThread = std::thread([this, seconds] {
            std::unique_lock<std::mutex> lock(FMutex);
            if (!FDone.wait_for(lock, std::chrono::seconds(seconds), [this] { return FFinished; })) {
                std::fprintf(stderr, "reading %s did not end\n", FName.c_str());
                std::abort();
            }
        });
    }
    ~TReadWatchdog()
    {
        {
            std::lock_guard<std::mutex> lock(FMutex);
            FFinished = true;
        }
        FDone.notify_all();
        FThread.join();
    }

private:
    std::string FName;
    std::mutex FMutex;
    std::condition_variable FDone;
    bool FFinished = false;
    std::thread FThread;
};

// The body text as UTF-16, each character converted through the code page of
// its font's character set (symbol fonts give nothing).
inline std::u16string StoryWideText(const TDocument& document, int32_t first, int32_t count)
{
    std::u16string out;
    TFontManager* fonts = GetFontManager();
    for (int32_t i = first; i < first + count; ++i) {
        const TParagraph& paragraph = document.Paragraphs(i);
        const uint8_t* p = paragraph.GetText().Data();
        const int32_t size = paragraph.GetText().Size();
        int32_t font = DefaultCharFormat()[cfFont];
        for (int32_t pos = 0; pos < size;) {
            if (p[pos] == InlineControlStartByte) {
                const TInlineControl c = ReadInlineControl(p + pos);
                pos += InlineControlSize;
                if (c.Code == cfFont)
                    font = c.Argument;
                else if (c.Code == icSpecialChar)
                    out += u' ';
                continue;
            }
            uint8_t charset = 0;
            if (fonts)
                if (const TRegisteredFont* registered = fonts->FindFont(font))
                    charset = registered->RequestedCharset;
            // Symbol fonts as Western text, as the converter shows them.
            out += ByteToWide(p[pos], charset == 2 ? 1252 : CharsetToCodePage(charset));
            ++pos;
        }
        out += u'\n';
    }
    return out;
}

inline std::u16string BodyWideText(const TDocument& document)
{
    return StoryWideText(document, 0, document.StoryCount(stBody));
}

inline bool IsWordChar(char16_t c)
{
    if ((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'))
        return true;
    // Letters beyond ASCII; general punctuation, symbols and private-use
    // characters are no word characters.
    return c >= 0xC0 && c != 0xD7 && c != 0xF7 && !(c >= 0x2000 && c <= 0x2BFF) && !(c >= 0xE000 && c <= 0xF8FF) &&
           c != 0xFEFF && c != 0xFFFD;
}

inline std::vector<std::u16string> Words(const std::u16string& text)
{
    std::vector<std::u16string> words;
    std::u16string word;
    for (char16_t c : text) {
        if (IsWordChar(c)) {
            word += c;
        } else if (!word.empty()) {
            words.push_back(word);
            word.clear();
        }
    }
    if (!word.empty())
        words.push_back(word);
    return words;
}

}  // namespace corpus_text
