// The save job: containers and media folders in the destination, the log, Stop,
// and failures that must neither lie nor destroy an earlier file.

#include "engine/RepairJob.h"
#include "engine/SaveJob.h"
#include "engine/WorkArea.h"
#include "tests/engine/RecordingJobUi.h"
#include "tests/support/TempDir.h"
#include "tests/support/ZipBytes.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <sys/resource.h>

namespace {

namespace fs = std::filesystem;

const std::string kSep = std::string(85, '*') + "\r\n";

// The names of a container's entries, read from its central directory.
std::vector<std::string> EntryNames(const std::string& zip)
{
    std::vector<std::string> names;
    if (zip.size() < 22)
        return names;
    const std::size_t end = zip.size() - 22;
    EXPECT_EQ(GetU32(zip, end), 0x06054B50u);
    std::size_t p = GetU32(zip, end + 16);
    for (int i = 0; i < GetU16(zip, end + 10); ++i) {
        EXPECT_EQ(GetU32(zip, p), 0x02014B50u);
        const std::uint16_t n = GetU16(zip, p + 28);
        names.push_back(zip.substr(p + 46, n));
        p += 46 + n + GetU16(zip, p + 30) + GetU16(zip, p + 32);
    }
    std::sort(names.begin(), names.end());
    return names;
}

class SaveJobTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetWorkRoot(m_dir / "ImpTmp");
        fs::create_directory(m_dest);
    }
    void TearDown() override { SetWorkRoot({}); }

    // Lists the files, marks them repaired and fills their work folders by hand.
    void List(const std::vector<std::pair<std::string, std::vector<std::string>>>& files)
    {
        for (std::size_t i = 0; i < files.size(); ++i) {
            const std::string path = (m_dir / files[i].first).string();
            m_ui.rows.push_back(RecordingJobUi::Row{platform::FromUtf8(path), RowImageRepaired, 1});
            const fs::path work = WorkFolderOf(m_dir / "ImpTmp", m_ui.rows.back().path, static_cast<int>(i));
            fs::create_directories(work);
            for (const std::string& f : files[i].second) {
                fs::create_directories((work / f).parent_path());
                WriteFileBytes(work / f, "bytes of " + f);
            }
        }
    }
    int Save(const std::string& destination)
    {
        m_ui.destination = platform::FromUtf8(destination);
        return SaveJobProc(JobThreadParams{&m_running, &m_ui});
    }
    std::string Path(std::size_t row) const { return platform::ToUtf8(m_ui.rows[row].path); }

    TempDir m_dir;
    fs::path m_dest = m_dir / "dest";
    RecordingJobUi m_ui;
    std::atomic<bool> m_running{false};
};

TEST_F(SaveJobTest, TwoRepairedFilesAreSavedUnderTheirPrefixedNames)
{
    List({{"a.odp", {"mimetype", "content.xml", "Pictures/x.png"}}, {"b.odp", {"content.xml"}}});
    EXPECT_EQ(Save(m_dest.string()), 1);
    EXPECT_EQ(EntryNames(ReadFileBytes(m_dest / "NOVRAK_a.odp")),
              (std::vector<std::string>{"Pictures/x.png", "content.xml", "mimetype"}));
    EXPECT_EQ(EntryNames(ReadFileBytes(m_dest / "NOVRAK_b.odp")), (std::vector<std::string>{"content.xml"}));
    EXPECT_EQ(ListTree(m_dest), (std::vector<std::string>{"NOVRAK_a.odp", "NOVRAK_b.odp"})) << "nothing else";
    EXPECT_EQ(m_ui.LogFor(Path(0)),
              (std::vector<std::string>{" saving of file starts....\r\n", " saving of file done....\r\n"}));
    EXPECT_EQ(m_ui.log.back(), std::string(64, '_') + "\r\n\r\n");
    EXPECT_EQ(m_ui.calls.back(), "CompletionNotice File(s) saving process has been completed.Saved file(s) location "
                                 "is:<br><a href='" + m_dest.string() + "'>" + m_dest.string() + "</a>");
    EXPECT_FALSE(m_running.load());
    EXPECT_EQ(m_ui.saves, (std::vector<bool>{true, true}));
}

TEST_F(SaveJobTest, TrailingSeparatorGivesTheSamePathsAndTheLinkAsEntered)
{
    List({{"a.odp", {"content.xml"}}});
    EXPECT_EQ(Save(m_dest.string() + "/"), 1);
    EXPECT_TRUE(fs::exists(m_dest / "NOVRAK_a.odp"));
    EXPECT_NE(m_ui.calls.back().find("<a href='" + m_dest.string() + "/'>" + m_dest.string() + "/</a>"),
              std::string::npos);
}

TEST_F(SaveJobTest, InvalidDestinationIsRefusedBeforeAnythingChanges)
{
    List({{"a.odp", {"content.xml"}}});
    for (const std::string& destination : {std::string(), (m_dir / "missing").string(), Path(0)}) {
        m_ui.calls.clear();
        EXPECT_EQ(Save(destination), 0);
        EXPECT_EQ(m_ui.calls, (std::vector<std::string>{"ReadDestination", "Message Please select a valid folder path. 64"}));
    }
    m_ui.calls.clear();
    m_ui.destinationPrompt = true;
    m_ui.destination = platform::FromPath(m_dest);
    EXPECT_EQ(SaveJobProc(JobThreadParams{&m_running, &m_ui}), 0) << "the grey prompt is no destination";
}

TEST_F(SaveJobTest, BusyJobRefusesToStart)
{
    m_running = true;
    EXPECT_FALSE(StartSaveJob(m_ui, JobThreadParams{&m_running, &m_ui}).joinable());
    EXPECT_EQ(m_ui.messages, std::vector<std::string>{"Please stop the running process before saving the file(s)."});
}

TEST_F(SaveJobTest, MediaRules)
{
    List({{"a.odp", {"content.xml", "Pictures/x.png", "Pictures/y.JPG", "Thumbnails/thumbnail.png", "z.emf.txt"}},
          {"b.odp", {"content.xml", "noext"}},
          {"c.odp", {"content.xml"}}});
    fs::create_directory(m_dest / "c.odp_MediaContent");
    WriteFileBytes(m_dest / "c.odp_MediaContent/mine.doc", "user's");
    m_ui.mediaSwitch = true;
    Save(m_dest.string());
    EXPECT_EQ(ListTree(m_dest / "a.odp_MediaContent"),
              (std::vector<std::string>{"thumbnail.png", "x.png", "y.JPG"}));
    EXPECT_EQ(ReadFileBytes(m_dest / "a.odp_MediaContent/x.png"), "bytes of Pictures/x.png");
    EXPECT_FALSE(fs::exists(m_dest / "b.odp_MediaContent")) << "an empty media folder is removed";
    EXPECT_EQ(ReadFileBytes(m_dest / "c.odp_MediaContent/mine.doc"), "user's");
    EXPECT_EQ(m_ui.LogFor(Path(0))[1], " Media extration is done....\r\n");
    EXPECT_EQ(m_ui.LogFor(Path(1))[1], " no media content is present in the file....\r\n");
    EXPECT_EQ(m_ui.LogFor(Path(2))[1], " Media extration is done....\r\n");
}

TEST_F(SaveJobTest, MediaCopyingNeverFollowsLinks)
{
    List({{"a.odp", {"content.xml", "Pictures/x.png"}}});
    WriteFileBytes(m_dir / "secret.png", "outside");
    fs::create_symlink(m_dir / "secret.png", WorkFolderOf(m_dir / "ImpTmp", m_ui.rows[0].path, 0) / "link.png");
    fs::create_directory(m_dest / "a.odp_MediaContent");
    WriteFileBytes(m_dir / "target.png", "untouched");
    fs::create_symlink(m_dir / "target.png", m_dest / "a.odp_MediaContent/x.png");
    m_ui.mediaSwitch = true;
    Save(m_dest.string());
    EXPECT_FALSE(fs::exists(m_dest / "a.odp_MediaContent/link.png"));
    EXPECT_EQ(ReadFileBytes(m_dir / "target.png"), "untouched");
}

TEST_F(SaveJobTest, UnrepairedFileInTheMiddle)
{
    List({{"a.odp", {"content.xml"}}, {"b.odp", {"content.xml"}}, {"c.odp", {"content.xml"}}});
    m_ui.rows[1].mark = 0;
    Save(m_dest.string());
    EXPECT_EQ(m_ui.LogFor(Path(1)), std::vector<std::string>{" cannot be saved,as it is not Repaired.\r\n"});
    EXPECT_FALSE(fs::exists(m_dest / "NOVRAK_b.odp"));
    EXPECT_TRUE(fs::exists(m_dest / "NOVRAK_c.odp"));
    const auto red = std::find(m_ui.log.begin(), m_ui.log.end(), Path(1) + " cannot be saved,as it is not Repaired.\r\n");
    ASSERT_NE(red, m_ui.log.end());
    EXPECT_EQ(m_ui.logColours[static_cast<std::size_t>(red - m_ui.log.begin())], kLogRed);
    EXPECT_EQ(*(red + 1), kSep);
}

TEST_F(SaveJobTest, StopDuringTheSecondOfThreeAfterAnUnrepairedOne)
{
    List({{"a.odp", {"content.xml"}}, {"b.odp", {"content.xml"}}, {"u.odp", {"content.xml"}},
          {"c.odp", {"content.xml"}}});
    m_ui.rows[2].mark = 0;
    m_ui.onLog = [&](const std::string& line) {
        if (line == Path(1) + " saving of file starts....\r\n")
            m_running = false;
    };
    Save(m_dest.string());
    EXPECT_EQ(m_ui.LogFor(Path(1))[1], " saving of file done....\r\n") << "the file being saved completes";
    EXPECT_EQ(m_ui.LogFor(Path(2)), std::vector<std::string>{" cannot be saved,as it is not Repaired.\r\n"});
    EXPECT_EQ(m_ui.LogFor(Path(3)),
              (std::vector<std::string>{" file is not saving as process has been stop by the user.... \r\n",
                                        " not saved....\r\n"}));
    EXPECT_EQ(m_ui.rows[3].mark, 0) << "must be repaired again";
    EXPECT_EQ(m_ui.rows[3].image, RowImageRepaired) << "row images stay";
    EXPECT_EQ(m_ui.rows[1].mark, 1);
    EXPECT_FALSE(fs::exists(m_dest / "NOVRAK_c.odp"));
}

TEST_F(SaveJobTest, ExistingContainerIsReplaced)
{
    List({{"a.odp", {"content.xml"}}});
    WriteFileBytes(m_dest / "NOVRAK_a.odp", "an older repair");
    Save(m_dest.string());
    EXPECT_EQ(EntryNames(ReadFileBytes(m_dest / "NOVRAK_a.odp")), std::vector<std::string>{"content.xml"});
}

TEST_F(SaveJobTest, FailedSaveKeepsTheOldFileAndSaysSo)
{
    List({{"a.odp", {"content.xml", "Pictures/big.png"}}, {"b.odp", {"content.xml"}}});
    const fs::path work = WorkFolderOf(m_dir / "ImpTmp", m_ui.rows[0].path, 0);
    WriteFileBytes(work / "Pictures/big.png", IncompressibleBytes(1 << 20));
    WriteFileBytes(m_dest / "NOVRAK_a.odp", "an older repair");
    // A destination that is full: no file may grow past 64 KiB.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 64 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    Save(m_dest.string());
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, SIG_DFL);

    EXPECT_EQ(ReadFileBytes(m_dest / "NOVRAK_a.odp"), "an older repair");
    EXPECT_EQ(m_ui.LogFor(Path(0)),
              (std::vector<std::string>{" saving of file starts....\r\n", " saving of file failed....\r\n"}));
    EXPECT_EQ(m_ui.logColours[1], kLogRed);
    EXPECT_EQ(m_ui.LogFor(Path(1))[1], " saving of file done....\r\n") << "the job goes on";
    EXPECT_EQ(ListTree(m_dest), (std::vector<std::string>{"NOVRAK_a.odp", "NOVRAK_b.odp"})) << "no half-written file";
}

TEST_F(SaveJobTest, MissingWorkFolderIsAFailureNotAnEmptyContainer)
{
    List({{"a.odp", {"content.xml"}}});
    fs::remove_all(WorkFolderOf(m_dir / "ImpTmp", m_ui.rows[0].path, 0));
    Save(m_dest.string());
    EXPECT_FALSE(fs::exists(m_dest / "NOVRAK_a.odp"));
    EXPECT_EQ(m_ui.LogFor(Path(0))[1], " saving of file failed....\r\n");
}

TEST_F(SaveJobTest, ControlsAndFlagsAtStartAndEnd)
{
    List({{"a.odp", {"content.xml"}}});
    Save(m_dest.string());
    const std::vector<std::string> start = {
        "ReadDestination", "SetProgressPos file 0", "SetProgressPos total 0", "SetMenuFlag 2 0",
        "EnableControl 4 0", "EnableControl 5 0", "EnableControl 6 0", "EnableControl 7 0", "ClearLog",
        "SetMenuFlag 0 0", "SetMenuFlag 1 0", "EnableControl 0 0", "EnableControl 2 0", "EnableControl 1 0",
        "SetHint Please wait while .odp file(s) are saving.... 19-30", "EnableControl 3 1", "ShowControl 3 1",
        "FileCount", "ShowProgressRows 01", "RestartEstimate total", "SetProgressRange total 0 1",
        "SetProgressPos total 0"};
    ASSERT_GE(m_ui.calls.size(), start.size());
    EXPECT_EQ(std::vector<std::string>(m_ui.calls.begin(), m_ui.calls.begin() + static_cast<long>(start.size())),
              start);
    const std::vector<std::string> end = {
        "SetHint Saving of .odp file(s) completed....\n Click exit to end the application or \nSelect new .odp "
        "file(s) to repair.... 11-22",
        "ShowControl 3 0", "SetMenuFlag 2 1", "EnableControl 4 1", "EnableControl 5 1", "EnableControl 6 1",
        "EnableControl 7 1", "SetMenuFlag 0 1", "SetMenuFlag 1 1", "EnableControl 0 1", "EnableControl 2 1",
        "EnableControl 1 1", "ShowProgressRows 00"};
    const auto hint = std::find(m_ui.calls.begin(), m_ui.calls.end(), end.front());
    ASSERT_NE(hint, m_ui.calls.end());
    EXPECT_EQ(std::vector<std::string>(hint, hint + static_cast<long>(end.size())), end);
}

} // namespace
