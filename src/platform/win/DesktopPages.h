#pragma once
// Pages shown in the desktop's web browser: the program's help pages are HTML
// files opened through the desktop (xdg-open, or whatever the desktop session
// offers) by their file URL. A test installs an opener of its own that
// records the URL instead of opening it.
#include <functional>
#include <string>

// The file URL of a file (a 1252 program name, made absolute) with an
// optional anchor: "file:///dir/page.htm#anchor", percent-encoded UTF-8.
std::string FileURL(const std::string& fileName, const std::string& anchor = {});

// Hands the URL to the desktop; false when the desktop cannot open it.
bool OpenURLOnDesktop(const std::string& url);
// Whether the desktop has a way of opening URLs at all.
bool DesktopCanOpenURLs();

// Replaces the desktop as the one that opens URLs (nullptr: the desktop
// again), and says whether that desktop can open URLs at all; returns the
// previous replacement.
using TURLOpener = std::function<bool(const std::string& url)>;
TURLOpener SetURLOpener(TURLOpener opener, bool canOpenURLs = true);
