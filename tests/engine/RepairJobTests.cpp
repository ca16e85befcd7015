// The repair job end to end: the exact order of window calls, files that cannot
// be opened, Stop, and what the work area holds afterwards.

#include "engine/RepairJob.h"
#include "engine/WorkArea.h"
#include "tests/engine/RecordingJobUi.h"
#include "tests/support/TempDir.h"
#include "tests/support/ZipBytes.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

const std::string kSep = std::string(85, '*') + "\r\n";
const std::string kRule = std::string(64, '_') + "\r\n\r\n";

class RepairJobTest : public ::testing::Test
{
protected:
    void SetUp() override { SetWorkRoot(m_dir / "ImpTmp"); }
    void TearDown() override { SetWorkRoot({}); }

    std::string Presentation(const std::string& name, int entries = 2)
    {
        ZipBytes z;
        z.Stored("mimetype", "application/vnd.oasis.opendocument.presentation");
        for (int i = 1; i < entries; ++i)
            z.Deflated("Pictures/p" + std::to_string(i) + ".png", std::string(1000, static_cast<char>('a' + i)));
        z.CentralDirectory();
        const fs::path path = m_dir / name;
        WriteFileBytes(path, z.Bytes());
        return path.string();
    }
    void Run(RecordingJobUi& ui)
    {
        JobThreadParams params{&m_running, &ui};
        StartRepairJob(ui, params).join();
        EXPECT_FALSE(m_running.load()) << "the job clears the flag at its end";
    }

    TempDir m_dir;
    std::atomic<bool> m_running{false};
};

TEST_F(RepairJobTest, OneRepairedFileCallsTheWindowInOrder)
{
    const std::string p = Presentation("talk.odp");
    RecordingJobUi ui({p});
    Run(ui);
    const std::vector<std::string> expected = {
        "SetHint Please wait while .odp file(s) are Repairing.... 19-30",
        "SetMenuFlag 1 0", "EnableControl 2 0", "EnableControl 1 0", "EnableControl 3 1", "ShowControl 3 1",
        "EnableControl 0 0", "SetMenuFlag 0 0", "SetPreviewState 2", "ClearLog",
        "SetProgressPos file 0", "SetProgressPos total 0",
        // the worker
        "FileCount", "ShowProgressRows 11", "RestartEstimate total", "SetProgressRange total 0 1",
        "SetProgressPos total 0", "FilePath 0", "ClearEntries",
        "AppendLog " + p + " file is open....\r\n 0", "AppendLog " + p + " file is extracted....\r\n 0",
        "AppendLog " + p + " file is closed....\r\n 0",
        "RestartEstimate file", "SetProgressRange file 0 2", "SetProgressPos file 0", "SetProgressPos file 0",
        "SetProgressPos file 1", "SetProgressPos file 2",
        "SetFileRow 0 1", "AppendLog " + p + " preview of file is available....\r\n 0",
        "AppendLog " + p + "  Repaired....\r\n 39168", "AppendLog " + kSep + " 0", "SetRepairedMark 0 1",
        "SetProgressPos total 1",
        // the end of the job
        "SetProgressPos total 1", "SetPreviewState 3", "AppendLog Repairing process completed....\r\n 0",
        "AppendLog " + kRule + " 0",
        "EnableControl 0 1", "SetMenuFlag 0 1", "ShowControl 3 0", "SetMenuFlag 2 1", "EnableControl 4 1",
        "EnableControl 5 1", "EnableControl 6 1", "EnableControl 7 1", "SetMenuFlag 1 1", "EnableControl 2 1",
        "EnableControl 1 1",
        "SetHint Click item in the list to see the preview in right side.\nClick Browse folder to select "
        "destination path.\nClick Save.... to save .odp file(s) 6-22 62-76 110-118 127-132",
        "ShowProgressRows 00",
    };
    EXPECT_EQ(ui.calls, expected);
    EXPECT_TRUE(fs::is_regular_file(m_dir / "ImpTmp/talk.odp0/Pictures/p1.png"));
}

TEST_F(RepairJobTest, EmptyListStillRunsTheWholeJob)
{
    RecordingJobUi ui;
    Run(ui);
    EXPECT_EQ(ui.log, (std::vector<std::string>{"Repairing process completed....\r\n", kRule}));
    EXPECT_EQ(ui.calls.back(), "ShowProgressRows 00");
}

TEST_F(RepairJobTest, UnopenableFileInTheMiddle)
{
    const std::string a = Presentation("a.odp");
    const std::string missing = (m_dir / "gone.odp").string();
    const std::string c = Presentation("c.odp");
    RecordingJobUi ui({a, missing, c});
    // As after an earlier run that repaired it.
    ui.rows[1].image = RowImageRepaired;
    ui.rows[1].mark = 1;
    Run(ui);
    const std::vector<std::string> expectedLog = {
        a + " file is open....\r\n", a + " file is extracted....\r\n", a + " file is closed....\r\n",
        a + " preview of file is available....\r\n", a + "  Repaired....\r\n", kSep,
        missing + " extraction of file failed....\r\n",
        c + " file is open....\r\n", c + " file is extracted....\r\n", c + " file is closed....\r\n",
        c + " preview of file is available....\r\n", c + "  Repaired....\r\n", kSep,
        "Repairing process completed....\r\n", kRule};
    EXPECT_EQ(ui.log, expectedLog);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"No such file or directory"});
    EXPECT_EQ(ui.rows[0].image, RowImageRepaired);
    EXPECT_EQ(ui.rows[0].mark, 1);
    EXPECT_EQ(ui.rows[1].image, RowImagePlain) << "its old work folder is gone";
    EXPECT_EQ(ui.rows[1].mark, 0);
    EXPECT_EQ(ui.rows[2].mark, 1);
    std::vector<std::string> folders;
    for (const auto& e : fs::directory_iterator(m_dir / "ImpTmp"))
        folders.push_back(e.path().filename().string());
    std::sort(folders.begin(), folders.end());
    EXPECT_EQ(folders, (std::vector<std::string>{"a.odp0", "c.odp2"}));
}

TEST_F(RepairJobTest, StopDuringTheSecondOfFourFiles)
{
    std::vector<std::string> paths;
    for (const char* name : {"1.odp", "2.odp", "3.odp", "4.odp"})
        paths.push_back(Presentation(name, 3));
    RecordingJobUi ui(paths);
    ui.messageAnswer = kAnswerYes;
    ui.onLog = [&](const std::string& line) {
        if (line == paths[1] + " file is open....\r\n")
            StopJob(ui, m_running);
    };
    Run(ui);
    const auto second = ui.LogFor(paths[1]);
    EXPECT_EQ(second, (std::vector<std::string>{" file is open....\r\n", " file is extracted....\r\n",
                                                " file is closed....\r\n", " preview of file is available....\r\n",
                                                "  Repaired....\r\n"}));
    for (int i : {2, 3}) {
        EXPECT_EQ(ui.LogFor(paths[static_cast<std::size_t>(i)]),
                  (std::vector<std::string>{
                      " file is not extracting as process has been stop by the user.... \r\n",
                      " not Repaired....\r\n"}));
        EXPECT_EQ(ui.rows[static_cast<std::size_t>(i)].image, RowImageNotRepaired);
        EXPECT_EQ(ui.rows[static_cast<std::size_t>(i)].mark, 0);
    }
    EXPECT_EQ(ui.rows[1].mark, 1);
    EXPECT_EQ(ui.log.size(), 6u + 6u + 3u + 3u + 2u);
    EXPECT_EQ(ui.log[ui.log.size() - 3], kSep);
    // The total bar shows every file, also after the stop.
    EXPECT_NE(std::find(ui.calls.begin(), ui.calls.end(), "SetProgressPos total 4"), ui.calls.end());
    EXPECT_NE(std::find(ui.calls.begin(), ui.calls.end(), "EnableControl 3 0"), ui.calls.end());
}

TEST_F(RepairJobTest, StopAnsweredNoChangesNothing)
{
    RecordingJobUi ui;
    ui.messageAnswer = kAnswerNo;
    m_running = true;
    EXPECT_FALSE(StopJob(ui, m_running));
    EXPECT_TRUE(m_running.load());
    EXPECT_EQ(ui.calls, std::vector<std::string>{"Message Are you sure to stop the running process? 36"});
}

TEST_F(RepairJobTest, RunningAgainStartsFromAnEmptyWorkArea)
{
    const std::string a = Presentation("a.odp");
    RecordingJobUi ui({a});
    Run(ui);
    WriteFileBytes(m_dir / "ImpTmp/a.odp0/left-over.txt", "old");
    fs::create_directory(m_dir / "ImpTmp/stale0");
    ui.calls.clear();
    Run(ui);
    EXPECT_FALSE(fs::exists(m_dir / "ImpTmp/a.odp0/left-over.txt"));
    EXPECT_FALSE(fs::exists(m_dir / "ImpTmp/stale0"));
    EXPECT_TRUE(fs::exists(m_dir / "ImpTmp/a.odp0/mimetype"));
    EXPECT_EQ(ui.calls.front(), "SetPreviewState 6") << "clearing blanks the preview first";
}

TEST(WorkArea, NamesAndClearing)
{
    EXPECT_EQ(WorkFolderOf("/r", u"/docs/x/talk.odp", 2), fs::path("/r/talk.odp2"));
    EXPECT_EQ(FileNameOf(u"C:\\docs\\talk.odp"), u"talk.odp");

    TempDir dir;
    fs::create_directories(dir / "top/a/b/c");
    WriteFileBytes(dir / "top/a/b/c/f", "1");
    WriteFileBytes(dir / "top/.hidden", "2");
    fs::create_directory(dir / "precious");
    WriteFileBytes(dir / "precious/keep", "3");
    fs::create_directory_symlink(dir / "precious", dir / "top/a/link");
    DeleteFolderTree(dir / "top");
    EXPECT_TRUE(fs::is_directory(dir / "top"));
    EXPECT_TRUE(fs::is_empty(dir / "top"));
    EXPECT_EQ(ReadFileBytes(dir / "precious/keep"), "3") << "a link is removed, never followed";
}

} // namespace
