#include "imaging/DibFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <type_traits>

static_assert(!std::is_copy_constructible_v<CDibMemFile> &&
              !std::is_copy_assignable_v<CDibMemFile>);
static_assert(!std::is_copy_constructible_v<CDibIOFile> && !std::is_copy_assignable_v<CDibIOFile>);

TEST(DibMemFile, GrowsInSteps) {
    CDibMemFile one;
    ASSERT_TRUE(one.Open());
    EXPECT_FALSE(one.Open());
    BYTE b = 7;
    EXPECT_EQ(one.Write(&b, 1, 1), 1u);
    EXPECT_EQ(one.Capacity(), 65536);
    EXPECT_EQ(one.Size(), 1);

    CDibMemFile big;
    ASSERT_TRUE(big.Open());
    std::vector<BYTE> block(65536, 0x5A);
    EXPECT_EQ(big.Write(block.data(), 65536, 1), 1u);
    EXPECT_EQ(big.Capacity(), 131072);
    EXPECT_EQ(big.Size(), 65536);
    BYTE* owned = big.GetBuffer(true);
    EXPECT_EQ(owned[65535], 0x5A);
    std::free(owned);
}

TEST(DibMemFile, ReadsCallersBlockInPlace) {
    BYTE data[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    {
        CDibMemFile f(data, 10);
        EXPECT_EQ(f.Size(), 10);
        BYTE out[12] = {};
        EXPECT_EQ(f.Read(out, 4, 3), 2u); // 10 bytes copied, 2 whole items
        EXPECT_EQ(std::memcmp(out, data, 10), 0);
        EXPECT_TRUE(f.Eof());
        EXPECT_EQ(f.GetC(), -1);
        EXPECT_TRUE(f.Close());
        EXPECT_EQ(f.GetBuffer(false), data);
    } // destruction must not free the caller's block (ASan would report it)
    EXPECT_EQ(data[9], 9);
}

TEST(DibMemFile, SeekPastEndThenWriteCopiesCallersBlock) {
    BYTE data[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    CDibMemFile f(data, 10);
    EXPECT_TRUE(f.Seek(-5, DIBFILE_SEEK_SET));
    EXPECT_EQ(f.Tell(), 0);
    EXPECT_TRUE(f.Seek(20, DIBFILE_SEEK_END));
    EXPECT_EQ(f.Tell(), 30);
    BYTE out[4];
    EXPECT_EQ(f.Read(out, 1, 4), 0u);
    EXPECT_EQ(f.Error(), 1);
    EXPECT_FALSE(f.Seek(0, 3));
    BYTE b = 0xEE;
    EXPECT_EQ(f.Write(&b, 1, 1), 1u);
    EXPECT_EQ(f.Size(), 31);
    EXPECT_EQ(f.Error(), 0);
    // The grown block is the stream's own copy; the caller's 10 bytes are untouched.
    BYTE* grown = f.GetBuffer(false);
    EXPECT_NE(grown, data);
    EXPECT_EQ(std::memcmp(grown, data, 10), 0);
    EXPECT_EQ(grown[15], 0);
    EXPECT_EQ(grown[30], 0xEE);
    EXPECT_EQ(data[9], 9);
}

TEST(DibMemFile, GetSReadsLines) {
    BYTE data[5] = {'a', 'b', '\n', 'c', 'd'};
    CDibMemFile f(data, 5);
    char line[10];
    std::memset(line, 'x', sizeof(line));
    EXPECT_EQ(f.GetS(line, 10), line);
    EXPECT_STREQ(line, "ab\n");
    std::memset(line, 'x', sizeof(line));
    EXPECT_EQ(f.GetS(line, 10), nullptr);
    EXPECT_EQ(line[0], 'c');
    EXPECT_EQ(line[1], 'd');
    int v = 0;
    EXPECT_EQ(f.Scanf("%d", &v), 0);
}

TEST(DibMemFile, WithoutBlock) {
    CDibMemFile f;
    EXPECT_EQ(f.Tell(), -1);
    EXPECT_EQ(f.Size(), -1);
    EXPECT_EQ(f.Error(), -1);
    EXPECT_TRUE(f.Eof());
    EXPECT_FALSE(f.Flush());
    EXPECT_FALSE(f.PutC(1));
    EXPECT_EQ(f.Write("x", 1, 1), 0u);
}

TEST(DibIOFile, NeverClosesCallersStream) {
    FILE* fp = std::tmpfile();
    ASSERT_NE(fp, nullptr);
    {
        CDibIOFile f(fp);
        EXPECT_TRUE(f.PutC('A'));
        EXPECT_EQ(f.Write("BC", 1, 2), 2u);
        EXPECT_EQ(f.Size(), 3);
        EXPECT_EQ(f.Tell(), 3);
        EXPECT_TRUE(f.Close());
        EXPECT_EQ(f.Tell(), 3); // still attached
    }
    EXPECT_EQ(std::fputc('D', fp), 'D');
    std::rewind(fp);
    char buf[5] = {};
    EXPECT_EQ(std::fread(buf, 1, 4, fp), 4u);
    EXPECT_STREQ(buf, "ABCD");
    std::fclose(fp);
}

TEST(DibIOFile, WithoutStream) {
    CDibIOFile f;
    EXPECT_EQ(f.Size(), -1);
    EXPECT_EQ(f.Error(), -1);
    EXPECT_TRUE(f.Eof());
    EXPECT_EQ(f.GetC(), -1);
    EXPECT_FALSE(f.Open(u"/nonexistent-dir/x.bin", u"rb"));
    EXPECT_TRUE(f.Close());
}
