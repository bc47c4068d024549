#include "ZFile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <type_traits>
#include <unistd.h>
#include <vector>

static_assert(!std::is_copy_constructible_v<ZFile>, "a ZFile owns its stream");
static_assert(!std::is_copy_assignable_v<ZFile>, "a ZFile owns its stream");

namespace {

// Each test gets a fresh folder of its own, removed with its files afterwards.
class ZFileTest : public testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/zfile-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
    }

    void TearDown() override
    {
        for (const std::string& name : created)
            std::remove(name.c_str());
        rmdir(folder.c_str());
    }

    std::string path(const char* name)
    {
        created.push_back(folder + "/" + name);
        return created.back();
    }

    static std::string contentsOf(const std::string& name)
    {
        std::ifstream in(name, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    static void writeFile(const std::string& name, const std::string& text)
    {
        std::ofstream(name, std::ios::binary) << text;
    }

    std::string folder;
    std::vector<std::string> created;
};

} // namespace

TEST_F(ZFileTest, MissingFolderGivesReadableError)
{
    const std::string name = folder + "/missing/cardata.csv";
    ZFile file;
    const ZError err = file.open(name.c_str(), "w");
    EXPECT_EQ(err.getNumber(), 1);
    EXPECT_EQ(std::string(err.getString().cStr()),
              "Cannot open file: " + name + ": " + std::strerror(ENOENT));
    EXPECT_EQ(file.getFile(), nullptr);
    EXPECT_EQ(file.getError().getNumber(), 1);
    EXPECT_STREQ(file.getError().getString().cStr(), err.getString().cStr());

    const ZFile constructed(name.c_str(), "r");
    EXPECT_EQ(constructed.getError().getNumber(), 1);
    EXPECT_EQ(constructed.getFile(), nullptr);
}

TEST_F(ZFileTest, SuccessfulOpenAndClose)
{
    ZFile file;
    EXPECT_EQ(file.close().getNumber(), 0);  // nothing held yet

    const ZError err = file.open(path("out.txt").c_str(), "w");
    EXPECT_EQ(err.getNumber(), 0);
    EXPECT_EQ(err.getString().length(), 0);
    EXPECT_NE(file.getFile(), nullptr);
    EXPECT_EQ(file.close().getNumber(), 0);
    EXPECT_EQ(file.getFile(), nullptr);
    EXPECT_EQ(file.close().getNumber(), 0);
}

TEST_F(ZFileTest, PrintfWritesExactly)
{
    const std::string name = path("cardata.csv");
    {
        ZFile file;
        ASSERT_EQ(file.open(name.c_str(), "w").getNumber(), 0);
        EXPECT_EQ(file.printf("%d;%s;%.2f\n", 7, "x", 2.5), 9);
        EXPECT_EQ(file.printf("%s", ""), 0);
        EXPECT_GE(file.writeString("tail"), 0);
    }  // the destructor closes and so flushes
    EXPECT_EQ(contentsOf(name), "7;x;2.50\ntail");
}

TEST_F(ZFileTest, ReadStringLineByLine)
{
    const std::string name = path("lines.txt");
    writeFile(name, "abc\nlast");
    ZFile file(name.c_str(), "r");
    ASSERT_EQ(file.getError().getNumber(), 0);

    ZString line;
    EXPECT_EQ(file.readString(line), 4);
    EXPECT_STREQ(line.cStr(), "abc\n");
    EXPECT_EQ(file.readString(line), 4);
    EXPECT_STREQ(line.cStr(), "last");
    EXPECT_EQ(file.readString(line), 0);
    EXPECT_STREQ(line.cStr(), "last");
}

TEST_F(ZFileTest, LongLineComesInPieces)
{
    const std::string name = path("long.txt");
    const int piece = ZFile::readBufferSize - 1;
    writeFile(name, std::string(piece + 5, 'x') + "\n");
    ZFile file(name.c_str(), "r");
    ZString line;
    EXPECT_EQ(file.readString(line), piece);
    EXPECT_EQ(file.readString(line), 6);
    EXPECT_EQ(file.readString(line), 0);
}

TEST_F(ZFileTest, SizeOfOpenFileOrMinusOne)
{
    const std::string name = path("sized.bin");
    writeFile(name, std::string(1234, 'z'));
    ZFile file;
    EXPECT_EQ(file.size(), -1);
    ASSERT_EQ(file.open(name.c_str(), "rb").getNumber(), 0);
    EXPECT_EQ(file.size(), 1234);
    file.close();
    EXPECT_EQ(file.size(), -1);
}

TEST_F(ZFileTest, BinaryWriteSeekAndRead)
{
    ZFile file(path("data.bin").c_str(), "w+b");
    const unsigned char bytes[] = {0x41, 0x41, 0x00, 0xff, 0x10};
    EXPECT_EQ(file.write(bytes, sizeof bytes), 5);
    EXPECT_EQ(file.seek(2, SEEK_SET), 0);
    unsigned char back[8] = {};
    EXPECT_EQ(file.read(back, sizeof back), 3);
    EXPECT_EQ(std::memcmp(back, bytes + 2, 3), 0);
    EXPECT_EQ(file.seek(-1, SEEK_SET), -1);
}

TEST_F(ZFileTest, ReopenAndAttachCloseWhatTheyHeld)
{
    const std::string first = path("first.txt");
    const std::string second = path("second.txt");
    ZFile file(first.c_str(), "w");
    file.printf("one");
    ASSERT_EQ(file.open(second.c_str(), "w").getNumber(), 0);
    file.printf("two");
    EXPECT_EQ(contentsOf(first), "one");  // flushed when the first stream closed

    FILE* adopted = std::fopen(path("third.txt").c_str(), "w");
    ASSERT_NE(adopted, nullptr);
    EXPECT_EQ(file.attach(adopted).getNumber(), 0);
    EXPECT_EQ(file.getFile(), adopted);
    EXPECT_EQ(contentsOf(second), "two");
    EXPECT_EQ(file.attach(adopted).getNumber(), 0);  // the same stream stays open
    EXPECT_EQ(file.printf("three"), 5);
}

TEST(ZFile, ClosedFileRefusesInputAndOutput)
{
    ZFile file;
    char buffer[4] = {'k', 'e', 'p', 't'};
    ZString line("unchanged");
    EXPECT_EQ(file.read(buffer, 4), -1);
    EXPECT_EQ(file.write(buffer, 4), -1);
    EXPECT_LT(file.writeString("x"), 0);
    EXPECT_EQ(file.seek(0, SEEK_SET), -1);
    EXPECT_EQ(file.setVBuf(nullptr, _IONBF, 0), -1);
    EXPECT_LT(file.printf("%d", 1), 0);
    EXPECT_EQ(file.readString(line), 0);
    EXPECT_STREQ(line.cStr(), "unchanged");
}
