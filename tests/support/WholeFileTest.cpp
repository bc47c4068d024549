#include "TempFolder.h"
#include "WholeFile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string contents(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

bool writesNew(std::FILE* file)
{
    return std::fputs("new", file) >= 0;
}

} // namespace

// The target has the new bytes only when every step went well; otherwise it
// is as it was, the reason is the system's, and no temporary file is left.
TEST(WholeFile, ReplacesTheFileOnlyOnceWrittenWhole)
{
    TempFolder folder;
    ASSERT_TRUE(folder.isValid());
    const std::string file = folder.filePath("graphs.png"), folderTarget = folder.filePath("taken");
    std::ofstream(file) << "old";
    std::filesystem::create_directories(folderTarget + "/inside");

    struct Case { std::string target; WholeFileContent content; int number; int error; const char* left; };
    const Case cases[] = {
        {file, [](std::FILE*) { errno = EFBIG; return false; }, wholeFileNotWritten, EFBIG, "old"},
        {folder.filePath("missing/graphs.png"), writesNew, wholeFileNotOpened, ENOENT, nullptr},
        {folderTarget, writesNew, wholeFileNotWritten, EISDIR, nullptr},  // the rename cannot replace a folder
        {file, writesNew, 0, 0, "new"},
    };
    for (const Case& c : cases) {
        const ZError err = writeWholeFile(ZString(c.target.c_str()), c.content);
        EXPECT_EQ(err.getNumber(), c.number) << c.target;
        EXPECT_STREQ(err.getString().cStr(), c.error ? std::strerror(c.error) : "") << c.target;
        if (c.left) {
            EXPECT_EQ(contents(c.target), c.left) << c.target;
        }
        int files = 0;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
            files += entry.is_regular_file();
        EXPECT_EQ(files, 1) << "no temporary file is left beside " << c.target;
    }
}
