// The main of every test executable: a headless windowing host, and a private
// temporary folder holding the settings store, the working folder and the
// temporary files of the run, removed afterwards.
#include "platform/testing/Testing.h"

#include "platform/runtime/Host.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
std::string g_RunDir;
int g_DirCounter = 0;

void SetEnv(const char* name, const std::string& value)
{
    setenv(name, value.c_str(), 1);
}
}  // namespace

extern "C" const char* __asan_default_options()
{
    return "detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1";
}

// Allocations the windowing and font libraries keep for the life of the process.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\n"
           "leak:libfreetype\n"
           "leak:libglib\n"
           "leak:libQt6Core\n"
           "leak:libQt6Gui\n"
           "leak:libQt6Widgets\n"
           "leak:libdbus\n"
           "leak:libxkbcommon\n";
}

const std::string& TestRunDir()
{
    return g_RunDir;
}

std::string MakeTestDir(const std::string& name)
{
    fs::path p = fs::path(g_RunDir) / "tests" / (name + "-" + std::to_string(++g_DirCounter));
    fs::create_directories(p);
    return p.string();
}

std::string TestOutputDir()
{
    const char* env = std::getenv("ELDRAVIN_TEST_OUTPUT_DIR");
    std::string dir = env && *env ? env : ELDRAVIN_TEST_OUTPUT_DIR;
    fs::create_directories(dir);
    return dir;
}

std::string SharedDir()
{
    const char* env = std::getenv("ELDRAVIN_SHARED_DIR");
    return env && *env ? env : ELDRAVIN_SHARED_DIR;
}

bool SharedRequired()
{
    const char* ci = std::getenv("CI");
    const char* req = std::getenv("ELDRAVIN_REQUIRE_SHARED");
    return (ci && std::string(ci) == "true") || (req && std::string(req) == "1");
}

bool TestPathExists(const std::string& path)
{
    std::error_code ec;
    return fs::exists(path, ec);
}

std::string ReadTestFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << "cannot read " << path;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteTestFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    EXPECT_TRUE(out.good()) << "cannot write " << path;
}

int main(int argc, char** argv)
{
    std::string tmpl = (fs::temp_directory_path() / "eldravin-test-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) {
        perror("mkdtemp");
        return 2;
    }
    g_RunDir = tmpl;
    const fs::path root(g_RunDir);
    for (const char* sub : {"config", "current", "tmp", "xdg-config", "xdg-data", "runtime"})
        fs::create_directories(root / sub);
    fs::permissions(root / "runtime", fs::perms::owner_all, fs::perm_options::replace);
    SetEnv("ELDRAVIN_CONFIG_DIR", (root / "config").string());
    SetEnv("XDG_CONFIG_HOME", (root / "xdg-config").string());
    SetEnv("XDG_DATA_HOME", (root / "xdg-data").string());
    SetEnv("XDG_RUNTIME_DIR", (root / "runtime").string());
    SetEnv("TMPDIR", (root / "tmp").string());
    SetEnv("LC_ALL", "C.UTF-8");
    fs::current_path(root / "current");

    testing::InitGoogleTest(&argc, argv);
    StartPlatformHost(argc, argv, true);
    int rc = RUN_ALL_TESTS();
    StopPlatformHost();

    std::error_code ec;
    fs::current_path(root.parent_path(), ec);
    fs::remove_all(root, ec);
    return rc;
}
