// The block copy behind the copy window: block rounds, outcomes, time stamps and what is left on
// disk after a copy that did not complete.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engine/filecopy.h"
#include "platform/files.h"
#include "support/testsupport.h"
#include "tests/engine/enginefixture.h"

namespace {

class Progress : public qv::CopyObserver {
public:
    uint64_t rounds = 0;
    uint64_t blocks = 0;
    uint64_t cancelAfter = 0; // 0: never
    void BlockCopied(uint64_t done, uint64_t total) override {
        rounds = done;
        blocks = total;
    }
    bool Cancelled() override { return cancelAfter != 0 && rounds >= cancelAfter; }
};

using CopyTest = qvtest::EngineTest;

TEST_F(CopyTest, BlockRoundsAndOutcome) {
    struct Case {
        std::size_t size;
        uint64_t rounds;
    } cases[] = {{0, 1},        {100, 1},          {8192, 2},          {8193, 2}, {3 * 8192 + 5, 4},
                 {8 * 8192, 9}, {8 * 8192 + 1, 9}, {20 * 8192 - 1, 20}};
    for (const auto& k : cases) {
        const std::string content(k.size, 'q');
        c.write("src.bin", content);
        Progress progress;
        EXPECT_EQ(qv::CopyInBlocks("C:\\src.bin", "C:\\dst.bin", progress), qv::CopyOutcome::Copied)
            << k.size;
        EXPECT_EQ(progress.rounds, k.rounds) << k.size;
        EXPECT_EQ(progress.blocks, k.size / 8192 + 1) << k.size;
        EXPECT_EQ(testsupport::readFile(c.file("dst.bin")), content) << k.size;
    }
}

TEST_F(CopyTest, CarriesTheSourceTimeStamp) {
    c.write("src.bin", "data");
    ASSERT_TRUE(plat::SetFileTime("C:\\src.bin", {1000000000, 0}));
    Progress progress;
    ASSERT_EQ(qv::CopyInBlocks("C:\\src.bin", "C:\\dst.bin", progress), qv::CopyOutcome::Copied);
    EXPECT_EQ(plat::GetFileTime("C:\\dst.bin")->seconds, 1000000000);
}

TEST_F(CopyTest, ReadOnlyTargetIsRefusedAndLeftAlone) {
    c.write("src.bin", "new");
    c.write("dst.bin", "old content");
    ASSERT_TRUE(plat::SetFileAttributes("C:\\dst.bin", plat::faReadOnly));
    Progress progress;
    EXPECT_EQ(qv::CopyInBlocks("C:\\src.bin", "C:\\dst.bin", progress), qv::CopyOutcome::Failed);
    EXPECT_EQ(testsupport::readFile(c.file("dst.bin")), "old content");
    EXPECT_EQ(qv::CopyInBlocks("C:\\missing.bin", "C:\\new.bin", progress),
              qv::CopyOutcome::Failed);
    EXPECT_FALSE(testsupport::exists(c.file("new.bin")));
}

TEST_F(CopyTest, CancelledCopyRemovesOnlyATargetItCreated) {
    const std::size_t size = 40 * 8192;
    c.write("src.bin", std::string(size, 's'));
    Progress progress;
    progress.cancelAfter = 2;
    EXPECT_EQ(qv::CopyInBlocks("C:\\src.bin", "C:\\fresh.bin", progress),
              qv::CopyOutcome::Cancelled);
    EXPECT_GE(progress.rounds, 2u);
    EXPECT_LT(progress.rounds, progress.blocks);
    EXPECT_FALSE(testsupport::exists(c.file("fresh.bin")));

    c.write("there.bin", "was here");
    progress = Progress{};
    progress.cancelAfter = 1;
    EXPECT_EQ(qv::CopyInBlocks("C:\\src.bin", "C:\\there.bin", progress),
              qv::CopyOutcome::Cancelled);
    const std::size_t left = testsupport::readFile(c.file("there.bin")).size();
    EXPECT_GE(left, 8192u);
    EXPECT_LT(left, size);
}

TEST_F(CopyTest, SameFileUnderAnotherNameIsRecognised) {
    c.write("Clip.AVI", "precious");
    std::filesystem::create_hard_link(c.file("Clip.AVI"), c.file("link.avi"));
    c.write("other.avi", "other");
    EXPECT_TRUE(qv::IsSameFile("c:\\clip.avi", "C:\\CLIP.AVI"));
    EXPECT_TRUE(qv::IsSameFile("c:\\clip.avi", "c:\\link.avi"));
    EXPECT_FALSE(qv::IsSameFile("c:\\clip.avi", "c:\\other.avi"));
    EXPECT_FALSE(qv::IsSameFile("c:\\clip.avi", "c:\\new.avi"));

    std::string source = "\\Clip.AVI";
    std::string target = "c:\\out\\*.*";
    qv::ExpandCopyNames(source, target);
    EXPECT_EQ(source, "c:\\clip.avi");
    EXPECT_EQ(target, "c:\\out\\clip.avi");
}

} // namespace
