#include "platform/win/DesktopPages.h"

#include "platform/runtime/FileNames.h"

bool QtOpenURL(const std::string& url);  // qt/QtDesktopPages.cpp
bool QtCanOpenURLs();
std::string QtFileURL(const std::string& fsPath, const std::string& anchor);

namespace {

TURLOpener& Opener()
{
    static TURLOpener opener;
    return opener;
}

bool g_OpenerCanOpen = true;

}  // namespace

std::string FileURL(const std::string& fileName, const std::string& anchor)
{
    return QtFileURL(FileSystemName(ExpandFileName(fileName)), anchor);
}

bool OpenURLOnDesktop(const std::string& url)
{
    if (Opener())
        return Opener()(url);
    return QtOpenURL(url);
}

bool DesktopCanOpenURLs()
{
    return Opener() ? g_OpenerCanOpen : QtCanOpenURLs();
}

TURLOpener SetURLOpener(TURLOpener opener, bool canOpenURLs)
{
    g_OpenerCanOpen = canOpenURLs;
    TURLOpener previous = std::move(Opener());
    Opener() = std::move(opener);
    return previous;
}
