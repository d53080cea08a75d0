// The diagnostic log: switched on by a file, appended to, indented, whole lines from any thread.
#include "diag/debug_log.h"

#include "test_home.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

namespace {

std::ostringstream message(const std::string &text) {
    std::ostringstream stream;
    stream << text << '\n';
    return stream;
}

// Runs a test body with HOME pointed at another folder, and puts it back afterwards.
class OtherHome {
public:
    explicit OtherHome(const std::string &name) : folder_(test_home::folder() + "/" + name) {
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_ + "/corvanthis");
        test_home::setVariable("HOME", folder_);
    }
    ~OtherHome() { test_home::setVariable("HOME", test_home::folder()); }
    std::string logPath() const { return folder_ + "/corvanthis/zephyrine_ae.log"; }

private:
    std::string folder_;
};

std::vector<std::string> linesOf(const std::string &path) {
    std::vector<std::string> lines;
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

} // namespace

TEST(DebugLog, WithoutTheFileNothingIsWrittenAndNothingIsCreated) {
    OtherHome home("silent");
    DebugLog log;
    log.write(message("dropped"));
    EXPECT_FALSE(log.isEnabled());
    EXPECT_FALSE(std::filesystem::exists(home.logPath()));
}

TEST(DebugLog, AFileMadeLaterTakesEffectWithTheNextMessageAndIsAppendedTo) {
    OtherHome home("later");
    DebugLog log;
    log.write(message("before the file"));
    {
        std::ofstream earlier(home.logPath());
        earlier << "from an earlier process\n";
    }
    log.write(message("first"));
    log.depth = 2;
    log.write(message("deeper"));
    log.depth = 0;
    EXPECT_TRUE(log.isEnabled());
    EXPECT_EQ(linesOf(home.logPath()), (std::vector<std::string>{"from an earlier process", "first", "        deeper"}));
}

TEST(DebugLog, PathFromHomeElseHomepath) {
    test_home::setVariable("HOME", "/somewhere");
    EXPECT_EQ(DebugLog::defaultLogPath(), "/somewhere/corvanthis/zephyrine_ae.log");
    test_home::removeVariable("HOME");
    test_home::setVariable("HOMEPATH", "\\Users\\artist");
    EXPECT_EQ(DebugLog::defaultLogPath(), "\\Users\\artist/corvanthis/zephyrine_ae.log");
    test_home::removeVariable("HOMEPATH");
    EXPECT_EQ(DebugLog::defaultLogPath(), "");
    {
        DebugLog log;
        log.write(message("nowhere to go"));
        EXPECT_FALSE(log.isEnabled());
    }
    test_home::setVariable("HOME", test_home::folder());
    test_home::setVariable("HOMEPATH", test_home::folder());
}

TEST(DebugLog, ProcessLogIndentsFourSpacesPerLevel) {
    test_home::switchLogOn();
    const std::size_t before = test_home::logLines().size();
    logLine("outer ", 1);
    {
        LogIndent indent;
        logLine("inner ", 2);
        {
            LogIndent deeper;
            logLine("innermost");
        }
    }
    logLine("outer again");
    const std::vector<std::string> lines = test_home::logLines();
    ASSERT_EQ(lines.size(), before + 4);
    EXPECT_EQ(std::vector<std::string>(lines.begin() + static_cast<long>(before), lines.end()),
              (std::vector<std::string>{"outer 1", "    inner 2", "        innermost", "outer again"}));
}

TEST(DebugLog, MessagesFromManyThreadsStayWhole) {
    OtherHome home("threads");
    std::ofstream(home.logPath()).flush();
    DebugLog log;
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&log, t] {
            for (int i = 0; i < 200; ++i) {
                log.write(message("thread " + std::to_string(t) + " message " + std::to_string(i) + " ends here"));
            }
        });
    }
    for (std::thread &thread : threads) {
        thread.join();
    }
    const std::vector<std::string> lines = linesOf(home.logPath());
    ASSERT_EQ(lines.size(), 8u * 200u);
    for (const std::string &line : lines) {
        ASSERT_EQ(line.rfind("thread ", 0), 0u) << line;
        ASSERT_NE(line.find(" ends here"), std::string::npos) << line;
        ASSERT_EQ(line.find(" ends here"), line.size() - 10) << line;
    }
}

#if !defined(_WIN32)
TEST(DebugLog, OnLinuxStandardErrorStandsForTheConsole) {
    OtherHome home("console");
    std::ofstream(home.logPath()).flush();
    DebugLog log;
    testing::internal::CaptureStderr();
    log.depth = 1;
    log.write(message("to the console too"));
    log.depth = 0;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "    to the console too\n");
}
#endif
