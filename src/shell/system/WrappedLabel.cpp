#include "shell/system/WrappedLabel.h"

namespace {

std::vector<std::string> SplitText(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            return parts;
        start = end + 1;
    }
}

}  // namespace

void TWrappedLabel::Paint()
{
    TCanvas& c = Canvas();
    if (!Transparent) {
        c.Brush().SetColor(Color());
        c.FillRect({0, 0, Width(), Height()});
    }
    c.Font().Assign(Font());
    c.Brush().SetStyle(TBrushStyle::bsClear);
    const int32_t lineHeight = c.TextHeight("Ag");
    int32_t y = 0;
    for (const std::string& paragraph : SplitText(Caption(), '\r')) {
        std::string line;
        size_t pos = 0;
        auto flush = [&] {
            const int32_t w = c.TextWidth(line);
            const int32_t x = Alignment == TAlignment::taCenter ? (Width() - w) / 2 : 0;
            c.TextRect({0, y, Width(), y + lineHeight}, x, y, line);
            y += lineHeight;
            line.clear();
        };
        while (pos <= paragraph.size()) {
            size_t end = paragraph.find(' ', pos);
            if (end == std::string::npos)
                end = paragraph.size();
            const std::string word = paragraph.substr(pos, end - pos);
            const std::string candidate = line.empty() ? word : line + " " + word;
            if (!line.empty() && c.TextWidth(candidate) > Width()) {
                flush();
                line = word;
            } else {
                line = candidate;
            }
            pos = end + 1;
        }
        flush();
    }
    c.Brush().SetStyle(TBrushStyle::bsSolid);
}
