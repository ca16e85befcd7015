// deckmend-cli as a user runs it: arguments, exit status, what it prints and
// what it leaves on disk.

#include "tests/support/TempDir.h"
#include "tests/support/ZipBytes.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;

const char* const kCli = DECKMEND_BINARY_DIR "/cli/deckmend-cli";

struct CliRun
{
    int status = -1;
    std::string out;
    std::string err;
};

// Runs the program with TMPDIR set to tmp, so its private folder is the test's;
// interruptAfter, when set, sends SIGINT that long after the start.
CliRun RunCli(const std::vector<std::string>& args, const fs::path& tmp,
              std::optional<std::chrono::milliseconds> interruptAfter = std::nullopt)
{
    int outPipe[2], errPipe[2];
    EXPECT_EQ(pipe(outPipe), 0);
    EXPECT_EQ(pipe(errPipe), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, outPipe[0]);
    posix_spawn_file_actions_addclose(&actions, errPipe[0]);
    std::vector<std::string> env = {"TMPDIR=" + tmp.string(), "PATH=/usr/bin:/bin"};
    std::vector<char*> envp;
    for (auto& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::vector<std::string> argvStore = {kCli};
    argvStore.insert(argvStore.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argvStore)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    EXPECT_EQ(posix_spawn(&pid, kCli, &actions, nullptr, argv.data(), envp.data()), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(outPipe[1]);
    close(errPipe[1]);

    CliRun run;
    const auto start = std::chrono::steady_clock::now();
    bool interrupted = false;
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    int open = 2;
    while (open > 0) {
        poll(fds, 2, 20);
        for (auto& f : fds) {
            if (f.fd < 0 || !(f.revents & (POLLIN | POLLHUP)))
                continue;
            char buffer[4096];
            const ssize_t n = read(f.fd, buffer, sizeof buffer);
            if (n <= 0) {
                close(f.fd);
                f.fd = -1;
                --open;
            } else {
                (f.fd == outPipe[0] ? run.out : run.err).append(buffer, static_cast<std::size_t>(n));
            }
        }
        if (interruptAfter && !interrupted && std::chrono::steady_clock::now() - start >= *interruptAfter) {
            kill(pid, SIGINT);
            interrupted = true;
        }
    }
    int status = 0;
    waitpid(pid, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

const std::string kContent = "<office:document-content>" + std::string(5000, 'c') + "</office:document-content>";

std::string DamagedContainer()
{
    ZipBytes z;
    z.Stored("mimetype", "application/vnd.oasis.opendocument.presentation");
    z.DeflatedWithDescriptor("content.xml", kContent);
    z.Deflated("Pictures/a.png", IncompressibleBytes(3000, 4));
    z.CentralDirectory();
    std::string bytes = z.Bytes();
    // Wipe the central directory and the end record.
    const std::size_t directory = GetU32(bytes, bytes.size() - 6);
    std::fill(bytes.begin() + static_cast<long>(directory), bytes.end(), '\0');
    return bytes;
}

class CliTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fs::create_directory(m_tmp);
        WriteFileBytes(m_file, DamagedContainer());
    }
    TempDir m_dir;
    fs::path m_tmp = m_dir / "tmp";
    fs::path m_file = m_dir / "talk.odp";
};

TEST_F(CliTest, UsageErrors)
{
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {}, {"--bogus", "x.odp"}, {"--media", "x.odp"}, {"--work-dir"}, {"--out", "x.odp"}}) {
        const CliRun r = RunCli(args, m_tmp);
        EXPECT_EQ(r.status, 2) << (args.empty() ? "" : args[0]);
        EXPECT_NE(r.err.find("usage: deckmend-cli"), std::string::npos);
    }
    EXPECT_EQ(RunCli({"--help"}, m_tmp).status, 0);
}

TEST_F(CliTest, KeepsTheSalvagedTreeInAnEmptyWorkDir)
{
    const fs::path work = m_dir / "new/work";
    const CliRun r = RunCli({"--work-dir", work.string(), m_file.string()}, m_tmp);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind(m_file.string() + " file is open....\n", 0), 0u);
    EXPECT_NE(r.out.find(m_file.string() + "  Repaired....\n"), std::string::npos);
    EXPECT_EQ(r.out.find('\033'), std::string::npos) << "no colours when not a terminal";
    EXPECT_EQ(ReadFileBytes(work / "talk.odp0/content.xml"), kContent);
    EXPECT_EQ(ReadFileBytes(work / "talk.odp0/Pictures/a.png"), IncompressibleBytes(3000, 4));
    EXPECT_TRUE(fs::exists(work / "talk.odp0/META-INF/manifest.xml"));
}

TEST_F(CliTest, RefusesAWorkDirThatHoldsAnything)
{
    const fs::path work = m_dir / "mine";
    fs::create_directory(work);
    WriteFileBytes(work / "precious.txt", "keep");
    const CliRun r = RunCli({"--work-dir", work.string(), m_file.string()}, m_tmp);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("must be an empty folder"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(work / "precious.txt"), "keep");
    WriteFileBytes(m_dir / "plain", "x");
    EXPECT_EQ(RunCli({"--work-dir", (m_dir / "plain").string(), m_file.string()}, m_tmp).status, 2);
}

TEST_F(CliTest, BadFilesGetALineAndTheRunGoesOn)
{
    fs::create_directory(m_dir / "folder.odp");
    const fs::path missing = m_dir / "missing.odp";
    const CliRun r = RunCli({"--json", missing.string(), (m_dir / "folder.odp").string(), m_file.string()}, m_tmp);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("deckmend-cli: " + missing.string() + ": No such file or directory\n"), std::string::npos);
    EXPECT_NE(r.err.find("folder.odp: Is a directory\n"), std::string::npos);
    EXPECT_NE(r.out.find("\"path\": \"" + m_file.string() + "\", \"repaired\": true, \"entriesFound\": 3, "
                         "\"entriesExtracted\": 3, \"entriesDropped\": 0, \"contentXml\": \"salvaged\", "
                         "\"workFolder\": null"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("\"path\": \"" + missing.string() + "\", \"repaired\": false"), std::string::npos);
    EXPECT_TRUE(fs::is_empty(m_tmp / ("tavrel-deckmend-" + std::to_string(getuid()))))
        << "the private work area is cleared on exit";
}

TEST_F(CliTest, SavesIntoTheOutFolder)
{
    const fs::path out = m_dir / "fixed";
    fs::create_directory(out);
    const CliRun r = RunCli({"--out", out.string(), "--media", "--json", m_file.string()}, m_tmp);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ListTree(out), (std::vector<std::string>{"NOVRAK_talk.odp", "talk.odp_MediaContent/a.png"}));
    EXPECT_NE(r.out.find("\"container\": \"" + (out / "NOVRAK_talk.odp").string() + "\", \"saved\": true"),
              std::string::npos)
        << r.out;
    const std::string zip = ReadFileBytes(out / "NOVRAK_talk.odp");
    EXPECT_EQ(GetU32(zip, zip.size() - 22), 0x06054B50u);

    const CliRun refused = RunCli({"--out", (m_dir / "nowhere").string(), m_file.string()}, m_tmp);
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("Please select a valid folder path."), std::string::npos);
    EXPECT_TRUE(refused.out.empty()) << "nothing is repaired";
}

TEST_F(CliTest, InterruptStopsTheRunAndStillReports)
{
    // A huge sparse file first: its scan is stopped by Ctrl+C; the next file gets
    // the stop lines.
    const fs::path huge = m_dir / "huge.odp";
    WriteFileBytes(huge, "PK");
    fs::resize_file(huge, std::uintmax_t{200} << 30);
    const CliRun r = RunCli({"--json", huge.string(), m_file.string()}, m_tmp, std::chrono::milliseconds(300));
    EXPECT_EQ(r.status, 130) << r.err;
    EXPECT_NE(r.out.find("\"interrupted\": true"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"path\": \"" + m_file.string() + "\", \"repaired\": false"), std::string::npos);
}

} // namespace
