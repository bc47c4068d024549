#include "ZFile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

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

    std::string path(const char* name, const char* text = nullptr)
    {
        created.push_back(folder + "/" + name);
        if (text)
            std::ofstream(created.back(), std::ios::binary) << text;
        return created.back();
    }

    static std::string contentsOf(const std::string& name)
    {
        std::ifstream in(name, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
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
    EXPECT_EQ(std::string(err.getString().cStr()), "Cannot open file: " + name + ": " + std::strerror(ENOENT));
    EXPECT_EQ(file.getFile(), nullptr);
    EXPECT_EQ(ZFile(name.c_str(), "r").getError().getNumber(), 1);
}

TEST_F(ZFileTest, ReadStringLineByLine)
{
    const int piece = ZFile::readBufferSize - 1;
    const std::string text = "abc\n" + std::string(piece + 5, 'x') + "\n";
    ZFile file(path("lines.txt", text.c_str()).c_str(), "r");
    ZString line;
    EXPECT_EQ(file.readString(line), 4);
    EXPECT_STREQ(line.cStr(), "abc\n");
    EXPECT_EQ(file.readString(line), piece);  // a line longer than the buffer comes in pieces
    EXPECT_EQ(file.readString(line), 6);
    EXPECT_EQ(file.readString(line), 0);
    EXPECT_STREQ(line.cStr(), "xxxxx\n");  // left alone at the end
}

TEST_F(ZFileTest, SizeBinaryIoAndClosedFile)
{
    ZFile file;
    EXPECT_EQ(file.size(), -1);
    ASSERT_EQ(file.open(path("sized.bin", std::string(1234, 'z').c_str()).c_str(), "rb").getNumber(), 0);
    EXPECT_EQ(file.size(), 1234);
    EXPECT_EQ(file.close().getNumber(), 0);
    EXPECT_EQ(file.size(), -1);
    EXPECT_EQ(file.close().getNumber(), 0);

    // A closed file refuses everything instead of touching a null stream.
    char buffer[4] = {'k', 'e', 'p', 't'};
    ZString line("unchanged");
    EXPECT_EQ(file.read(buffer, 4), -1);
    EXPECT_EQ(file.write(buffer, 4), -1);
    EXPECT_EQ(file.seek(0, SEEK_SET), -1);
    EXPECT_LT(file.printf("%d", 1), 0);
    EXPECT_EQ(file.readString(line), 0);
    EXPECT_STREQ(line.cStr(), "unchanged");

    ASSERT_EQ(file.open(path("data.bin").c_str(), "w+b").getNumber(), 0);
    const unsigned char bytes[] = {0x41, 0x41, 0x00, 0xff, 0x10};
    EXPECT_EQ(file.write(bytes, sizeof bytes), 5);
    EXPECT_EQ(file.seek(2, SEEK_SET), 0);
    unsigned char back[8] = {};
    EXPECT_EQ(file.read(back, sizeof back), 3);
    EXPECT_EQ(std::memcmp(back, bytes + 2, 3), 0);
}

TEST_F(ZFileTest, WritesExactlyAndReopenOrAttachClosesWhatItHeld)
{
    const std::string first = path("cardata.csv");
    const std::string second = path("second.txt");
    ZFile file(first.c_str(), "w");
    ASSERT_EQ(file.getError().getNumber(), 0);
    EXPECT_EQ(file.printf("%d;%s;%.2f\n", 7, "x", 2.5), 9);
    EXPECT_GE(file.writeString("tail"), 0);
    ASSERT_EQ(file.open(second.c_str(), "w").getNumber(), 0);
    EXPECT_EQ(contentsOf(first), "7;x;2.50\ntail");  // flushed when the first stream closed
    file.printf("two");

    FILE* adopted = std::fopen(path("third.txt").c_str(), "w");
    ASSERT_NE(adopted, nullptr);
    EXPECT_EQ(file.attach(adopted).getNumber(), 0);
    EXPECT_EQ(contentsOf(second), "two");
    EXPECT_EQ(file.attach(adopted).getNumber(), 0);  // the same stream stays open
    EXPECT_EQ(file.printf("three"), 5);
}
