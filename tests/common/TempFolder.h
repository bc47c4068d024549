#pragma once
// A folder of the test's own under the system's temporary folder, removed with
// everything in it when the object goes.

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

class TempFolder
{
public:
    TempFolder()
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/tralix-test-XXXXXX";
        if (mkdtemp(pattern.data()))
            folder = pattern;
    }
    ~TempFolder()
    {
        std::error_code ignored;
        if (!folder.empty())
            std::filesystem::remove_all(folder, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    bool isValid() const { return !folder.empty(); }
    const std::string& path() const { return folder; }
    std::string filePath(const std::string& name) const { return folder + "/" + name; }

private:
    std::string folder;
};
