// The raw inflate adapter: result codes and transfer counts for whole, short,
// long, truncated and corrupt streams.

#include "archive/RawInflate.h"
#include "tests/support/TempDir.h"
#include "tests/support/ZipBytes.h"

#include <gtest/gtest.h>

namespace {

const std::string kText = [] {
    std::string s;
    for (int i = 0; i < 4000; ++i)
        s += "line " + std::to_string(i) + " of the harbour festival notes\n";
    return s;
}();

struct ReadResult
{
    int rc;
    std::uint32_t count;
    std::string output;
};

class RawInflateTest : public ::testing::Test
{
protected:
    // Opens a file holding bytes and makes one read with the given sizes.
    ReadResult OneRead(const std::string& bytes, std::uint32_t transfer, std::uint32_t expected)
    {
        Open(bytes);
        return Read(transfer, expected);
    }
    void Open(const std::string& bytes)
    {
        WriteFileBytes(m_dir / "in.bin", bytes);
        ASSERT_EQ(RawInflateOpen(m_dir / "in.bin", &m_handle), RawInflateOk);
    }
    ReadResult Read(std::uint32_t transfer, std::uint32_t expected)
    {
        std::string buffer(transfer, '\0');
        RawInflateSizes sizes{transfer, expected};
        const int rc = RawInflateRead(m_handle, sizes, buffer.data());
        buffer.resize(sizes.transferCount);
        return {rc, sizes.transferCount, buffer};
    }
    void TearDown() override
    {
        if (m_handle)
            RawInflateClose(m_handle);
    }

    TempDir m_dir;
    RawInflateHandle* m_handle = nullptr;
};

TEST_F(RawInflateTest, WholeStreamInOneRead)
{
    const std::string packed = RawDeflate(kText);
    const auto size = static_cast<std::uint32_t>(kText.size());
    const ReadResult r = OneRead(packed, size, size);
    EXPECT_EQ(r.rc, RawInflateOk);
    EXPECT_EQ(r.output, kText);
    EXPECT_EQ(Read(size, size).rc, RawInflateBadHandle) << "a read after 0 finds the entry closed";
}

TEST_F(RawInflateTest, ResultTable)
{
    const std::string packed = RawDeflate(kText);
    const auto size = static_cast<std::uint32_t>(kText.size());
    const auto packedSize = static_cast<std::uint32_t>(packed.size());
    struct Case
    {
        const char* what;
        std::string bytes;
        std::uint32_t transfer, expected;
        int rc;
        std::uint32_t count;
    };
    const Case cases[] = {
        {"expected size 0 produces nothing", packed, 100, 0, RawInflateOk, 0},
        {"transfer count 0 produces nothing and stays open", packed, 0, size, RawInflateMoreOutput, 0},
        {"more data than expected stops at the expected size", packed, size, 1000, RawInflateOk, 1000},
        {"a stream that ends early reports what it produced", packed, size + 50, size + 50, RawInflateMoreOutput, size},
        {"bytes after the stream are ignored", packed + "trailing junk", size, size, RawInflateOk, size},
        {"truncated, the file ends first", packed.substr(0, packedSize / 2), size, size, RawInflateReadFailed, 0},
        {"bytes that are not DEFLATE data", std::string(64, '\xFF'), size, size, RawInflateCorrupt, 0},
        {"an empty file", "", size, size, RawInflateReadFailed, 0},
    };
    for (const Case& c : cases) {
        const ReadResult r = OneRead(c.bytes, c.transfer, c.expected);
        EXPECT_EQ(r.rc, c.rc) << c.what;
        EXPECT_EQ(r.count, c.count) << c.what;
        if (r.rc == RawInflateOk || r.rc == RawInflateMoreOutput) {
            EXPECT_EQ(r.output, kText.substr(0, r.count)) << c.what;
        }
        RawInflateClose(m_handle);
        m_handle = nullptr;
    }
}

TEST_F(RawInflateTest, InputLimitUsedUpFirstIsCorrupt)
{
    // The first read's transfer count limits the raw input: 100 bytes of a stream
    // that needs more give corrupt data, not a read failure.
    const ReadResult r = OneRead(RawDeflate(IncompressibleBytes(5000)), 100, 5000);
    EXPECT_EQ(r.rc, RawInflateCorrupt);
    EXPECT_EQ(r.count, 0u);
}

TEST_F(RawInflateTest, ChunkedReadsWithAPresetInputLimit)
{
    // Incompressible data: the compressed size exceeds the uncompressed size, and
    // the output comes in chunks far smaller than the input.
    const std::string data = IncompressibleBytes(300000, 5);
    const std::string packed = RawDeflate(data);
    ASSERT_GT(packed.size(), data.size());
    Open(packed);
    ASSERT_EQ(RawInflateSetInputLimit(m_handle, static_cast<std::uint32_t>(packed.size())), RawInflateOk);
    std::string out;
    int rc = RawInflateMoreOutput;
    while (rc == RawInflateMoreOutput) {
        const ReadResult r = Read(4096, static_cast<std::uint32_t>(data.size()));
        rc = r.rc;
        out += r.output;
        ASSERT_TRUE(rc == RawInflateOk || (rc == RawInflateMoreOutput && r.count == 4096)) << rc;
    }
    EXPECT_EQ(rc, RawInflateOk);
    EXPECT_EQ(out, data);
    EXPECT_EQ(RawInflateSetInputLimit(m_handle, 1), RawInflateBadHandle);
}

TEST(RawInflate, OpenAndHandleErrors)
{
    TempDir dir;
    RawInflateHandle* handle = reinterpret_cast<RawInflateHandle*>(0x1);
    EXPECT_EQ(RawInflateOpen(dir / "missing", &handle), RawInflateOpenFailed);
    EXPECT_EQ(handle, nullptr);
    RawInflateSizes sizes{10, 10};
    char buffer[10];
    EXPECT_EQ(RawInflateRead(nullptr, sizes, buffer), RawInflateBadHandle);
    RawInflateClose(nullptr);
}

} // namespace
