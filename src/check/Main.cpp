#include "AnsiName.h"
#include "CheckReport.h"
#include "FolderAccess.h"
#include "HotspotTable.h"
#include "ReportWriters.h"
#include "SkinCheck.h"
#include "SkinImage.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#ifdef _WIN32
#include "CodePageText.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

static const char kUsage[] = "usage: lumcheck [--version] [--json] [--code-page N] [--html FILE] [DIR]";
static const char kVersionLine[] = "lumcheck " LUM_VERSION;
static const int kExitClean = 0;
static const int kExitFindings = 1;
static const int kExitUnusable = 2;

struct CheckOptions {
    int json;
    int32_t codePage;
    const char* pageFile;
    const char* folder;
};

static int ParseCodePage(const char* text, int32_t* codePage)
{
    char* end;
    long value = std::strtol(text, &end, 10);
    if (*text < '0' || *text > '9' || *end != '\0' || value > 65535 || !IsAnsiCodePage(int32_t(value)))
        return 0;
    *codePage = int32_t(value);
    return 1;
}

// The code page lum.exe reads names in on this machine: on Windows the
// system's ANSI code page, unless it is one the model cannot read (a system
// set to use UTF-8 has 65001); elsewhere the model's default.
static int32_t SystemCodePage()
{
#ifdef _WIN32
    int32_t page = int32_t(GetACP());
    if (IsAnsiCodePage(page))
        return page;
#endif
    return kDefaultCodePage;
}

// 1 with the options filled, or with *answer set when the arguments ask for
// the usage or the version only; 0 after printing why the arguments are wrong.
static int ParseArguments(int argc, char** argv, CheckOptions* options, const char** answer)
{
    *options = {0, SystemCodePage(), nullptr, "."};
    *answer = nullptr;
    int haveFolder = 0;
    for (int i = 1; i < argc; i++) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--help") == 0) {
            *answer = kUsage;
            return 1;
        }
        if (std::strcmp(arg, "--version") == 0) {
            *answer = kVersionLine;
            return 1;
        }
        if (std::strcmp(arg, "--json") == 0) {
            options->json = 1;
        } else if (std::strcmp(arg, "--html") == 0) {
            if (i + 1 == argc) {
                std::fprintf(stderr, "lumcheck: --html needs a file name; %s\n", kUsage);
                return 0;
            }
            options->pageFile = argv[++i];
        } else if (std::strcmp(arg, "--code-page") == 0) {
            if (i + 1 == argc || !ParseCodePage(argv[++i], &options->codePage)) {
                std::fprintf(stderr, "lumcheck: --code-page takes one of the Windows ANSI code pages %s; %s\n",
                             AnsiCodePageList().c_str(), kUsage);
                return 0;
            }
        } else if (arg[0] == '-' && arg[1] != '\0') {
            std::fprintf(stderr, "lumcheck: unknown option %s; %s\n", arg, kUsage);
            return 0;
        } else if (haveFolder) {
            std::fprintf(stderr, "lumcheck: only one folder can be checked at a time; %s\n", kUsage);
            return 0;
        } else {
            options->folder = arg;
            haveFolder = 1;
        }
    }
    return 1;
}

// The files that the program reads from the checked folder, the current
// directory: the hotspot file, the skin and every sound file found.
static std::vector<FileIdentity> IdentifySkinFiles()
{
    std::vector<std::string> names = {kHotspotFileName, kSkinFileName};
    for (const SlotRow& row : CheckReport.slots)
        if (!row.soundFile.empty())
            names.push_back(row.soundFile);
    std::vector<FileIdentity> files;
    for (const std::string& name : names) {
        FileIdentity file;
        if (IdentifyFile(name, &file))
            files.push_back(file);
    }
    return files;
}

static int IsSkinFile(const char* path, const std::vector<FileIdentity>& skinFiles)
{
    FileIdentity file;
    if (!IdentifyFile(path, &file))
        return 0;
    for (const FileIdentity& skinFile : skinFiles)
        if (SameFile(file, skinFile))
            return 1;
    return 0;
}

// Writes the page under the name the user gave, which is taken from where
// they started: 1, or 0 after saying why not.
static int WritePage(const char* path, const std::string& page, const std::string& startFolder,
                     const std::vector<FileIdentity>& skinFiles)
{
    if (!ChangeFolder(startFolder.c_str())) {
        std::fprintf(stderr, "lumcheck: cannot go back to %s to write %s\n", startFolder.c_str(), path);
        return 0;
    }
    if (IsSkinFile(path, skinFiles)) {
        std::fprintf(stderr, "lumcheck: %s is one of the skin's own files; the page is not written over it\n", path);
        return 0;
    }
    if (!ReplaceFileWhole(path, page)) {
        std::fprintf(stderr, "lumcheck: cannot write %s; it was left as it was\n", path);
        return 0;
    }
    return 1;
}

// The report is UTF-8. A Windows console shows bytes in a code page of its
// own, so there the text goes out through the wide call; redirected, the
// bytes go out as they are, the same as on every other system.
static void PrintReport(const std::string& report)
{
#ifdef _WIN32
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode;
    if (GetConsoleMode(out, &mode)) {
        std::wstring wide = WideFromUtf8(report);
        DWORD written;
        WriteConsoleW(out, wide.data(), DWORD(wide.size()), &written, nullptr);
        return;
    }
#endif
    std::fputs(report.c_str(), stdout);
}

int main(int argc, char** argv)
{
#ifdef _WIN32
    // The report's bytes go out as they are, the same as on every other system.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    CheckOptions options;
    const char* answer;
    if (!ParseArguments(argc, argv, &options, &answer))
        return kExitUnusable;
    if (answer) {
        std::printf("%s\n", answer);
        return kExitClean;
    }
    std::string startFolder = CurrentFolder();
    if (!ChangeFolder(options.folder)) {
        std::fprintf(stderr, "lumcheck: cannot read the folder %s\n", options.folder);
        return kExitUnusable;
    }
    CheckReport.folderPath = CurrentFolder();
    CheckReport.codePage = options.codePage;
    CheckSkinFolder();
    std::string report = options.json ? JsonReport() : TextReport();
    std::string page = options.pageFile ? PageReport() : std::string();
    if (options.pageFile && !WritePage(options.pageFile, page, startFolder, IdentifySkinFiles()))
        return kExitUnusable;
    PrintReport(report);
    return HasProblems() ? kExitFindings : kExitClean;
}
