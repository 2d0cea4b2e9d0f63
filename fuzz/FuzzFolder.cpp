#include "FuzzFolder.h"

#include "HotspotTable.h"
#include "LockedBlock.h"
#include "SkinImage.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

int shownMessageCount;

void ShowMessage(const char*)
{
    shownMessageCount++;
}

static std::string folder;
static int originalFolder = -1;

static void RemoveFuzzFolder()
{
    for (const char* name : {kHotspotFileName, kSkinFileName})
        unlink((folder + "/" + name).c_str());
    rmdir(folder.c_str());
}

static void MakeFuzzFolder()
{
    const char* temp = std::getenv("TMPDIR");
    std::string pattern = std::string(temp && *temp ? temp : "/tmp") + "/lum-fuzz-XXXXXX";
    Require(mkdtemp(&pattern[0]) != nullptr, "cannot make the fuzz folder");
    folder = pattern;
    originalFolder = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    Require(originalFolder >= 0, "cannot hold on to the current directory");
    std::atexit(RemoveFuzzFolder);
}

void EnterFuzzFolder()
{
    if (folder.empty())
        MakeFuzzFolder();
    Require(chdir(folder.c_str()) == 0, "cannot enter the fuzz folder");
}

void LeaveFuzzFolder()
{
    Require(fchdir(originalFolder) == 0, "cannot return from the fuzz folder");
}

void WriteFuzzFile(const char* name, const uint8_t* data, size_t size)
{
    int fd = open(name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    Require(fd >= 0, "cannot create the input file");
    size_t written = 0;
    while (written < size) {
        ssize_t put = write(fd, data + written, size - written);
        Require(put > 0, "cannot write the input file");
        written += static_cast<size_t>(put);
    }
    close(fd);
}

void ResetSkinModel()
{
    delete SkinImage.image;
    ReleaseLockedBlock(SkinImage.mask);
    SkinImage = SkinImageRecord();
    HotspotTable = HotspotTableRecord();
    shownMessageCount = 0;
}

void Require(bool condition, const char* what)
{
    if (condition)
        return;
    std::fprintf(stderr, "lum fuzz: %s\n", what);
    std::abort();
}
