#pragma once
// What the setup's tests share: a payload written field by field (so that a
// test can damage any one field), payloads made by the build's generator, and
// the user's folders of a test pointed into a temporary place.
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <fstream>
#include <string>
#include <vector>

#include "platform/runtime/Processes.h"
#include "platform/testing/Testing.h"

// One file of a payload written by TPayloadWriter; the fields left at their
// marker values are computed.
struct TPayloadFile {
    TPayloadFile(std::string name, std::string bytes) : Name(std::move(name)), Bytes(std::move(bytes)) {}
    std::string Name;  // 1252, "\" between folders
    std::string Bytes;
    double Date = 45000.5;  // 15 March 2023, noon
    std::optional<int32_t> SizeOverride;
    std::optional<int32_t> OffsetOverride;
};

struct TPayloadWriter {
    std::string Image = "IMAGE OF THE SETUP PROGRAM";
    std::vector<TPayloadFile> Files;
    // Damage: the directory's records after these bytes are cut, the second
    // trailer value, the terminator's offset, the whole file cut at a size.
    size_t DirectoryCut = std::string::npos;
    std::optional<int32_t> SecondTrailer;
    std::optional<int32_t> TerminatorOffset;
    size_t FileCut = std::string::npos;

    static std::string Deflate(const std::string& data)
    {
        uLongf size = compressBound(static_cast<uLong>(data.size()));
        std::string out(size, '\0');
        compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
                  static_cast<uLong>(data.size()), 9);
        out.resize(size);
        return out;
    }
    static void Put32(std::string& s, int32_t v)
    {
        for (int i = 0; i < 4; ++i)
            s += static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF);
    }

    std::string Build() const
    {
        std::string out = Image;
        std::string directory;
        for (const TPayloadFile& f : Files) {
            const int32_t offset = static_cast<int32_t>(out.size());
            out += Deflate(f.Bytes);
            directory += static_cast<char>(f.Name.size());
            directory += f.Name;
            Put32(directory, f.SizeOverride.value_or(static_cast<int32_t>(f.Bytes.size())));
            char date[8];
            std::memcpy(date, &f.Date, 8);
            directory.append(date, 8);
            Put32(directory, f.OffsetOverride.value_or(offset));
        }
        const int32_t dirOffset = static_cast<int32_t>(out.size());
        directory += '\0';
        Put32(directory, 0);
        directory.append(8, '\0');
        Put32(directory, TerminatorOffset.value_or(dirOffset));
        if (DirectoryCut != std::string::npos)
            directory.resize(DirectoryCut);
        out += Deflate(directory);
        Put32(out, dirOffset);
        Put32(out, SecondTrailer.value_or(dirOffset));
        if (FileCut != std::string::npos)
            out.resize(FileCut);
        return out;
    }

    // Writes the payload to a file of the folder and returns its path.
    std::string WriteTo(const std::string& folder, const std::string& name = "setup.bin") const
    {
        const std::string path = folder + "/" + name;
        WriteTestFile(path, Build());
        return path;
    }
};

// Runs the build's payload generator; true when it succeeded.
inline bool RunPayloadGenerator(const std::vector<std::string>& args)
{
    std::vector<std::string> all = {ELDRAVIN_PAYLOAD_TOOL};
    all.insert(all.end(), args.begin(), args.end());
    int32_t code = -1;
    return RunProcess(ELDRAVIN_PYTHON, all, code) && code == 0;
}

// Points the user's desktop and data folders into a fresh folder of the test
// run, so that desktop entries land there.
inline std::string UseTestUserFolders(const std::string& name)
{
    const std::string root = MakeTestDir(name);
    std::filesystem::create_directories(root + "/desktop");
    std::filesystem::create_directories(root + "/data");
    // The desktop folder comes from the user's folder list of the configuration folder.
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::filesystem::create_directories(config);
    std::ofstream(std::string(config) + "/user-dirs.dirs") << "XDG_DESKTOP_DIR=\"" << root << "/desktop\"\n";
    setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
    return root;
}

// Every regular file below a folder, as paths relative to it.
inline std::vector<std::string> ListTreeFiles(const std::string& folder)
{
    std::vector<std::string> files;
    std::error_code ec;
    if (!std::filesystem::exists(folder, ec))
        return files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(folder, ec))
        if (e.is_regular_file())
            files.push_back(std::filesystem::relative(e.path(), folder).string());
    std::sort(files.begin(), files.end());
    return files;
}
