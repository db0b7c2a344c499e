// kelmor --play as a process, on a fresh embedded default: the treaty codes added,
// modified and deleted by a script, message boxes answered and left to their
// default, the exit code and "line N: why" of a line that cannot be carried out,
// and the README's tour script.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

class PlayProgram : public ::testing::Test {
protected:
    void SetUp() override {
        m_home = fs::temp_directory_path() / ("kelmor-play-" + std::to_string(::getpid()) + "-" +
                                              ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_home);
        fs::create_directories(m_home);
    }
    void TearDown() override { fs::remove_all(m_home); }

    // Plays a script file on the embedded default in the test's own data folder,
    // with no display.
    Outcome PlayFile(const fs::path& script) {
        const fs::path out = m_home / "out.txt", err = m_home / "err.txt";
        std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY XDG_DATA_HOME='" + m_home.string() + "' '" +
                              KELMOR_PROGRAM + "' --play '" + script.string() + "' >'" + out.string() + "' 2>'" +
                              err.string() + "'";
        int status = std::system(command.c_str());
        Outcome run;
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.out = ReadFile(out);
        run.err = ReadFile(err);
        return run;
    }
    Outcome Play(const std::string& script) {
        const fs::path file = m_home / "script.play";
        std::ofstream(file, std::ios::binary) << script;
        return PlayFile(file);
    }

    fs::path m_home;
};

TEST_F(PlayProgram, TreatyCodesAreAddedModifiedAndDeletedAsAUserWouldAndTheTranscriptSaysSo) {
    Outcome run = Play(
        "open 25001\n"
        "click 新增\n"
        "type 代码 aa\n"
        "type 中文名称 演示合约\n"
        "type 英文名称 \"Demo Treaty\"\n"
        "pick 类型 A\n"
        "click 确定\n"
        "select 1\n"
        "click 修改\n"
        "type 中文名称 演示合约二\n"
        "click 确定\n"
        "select 1\n"
        "click 修改\n"
        "show\n"
        "key Escape\n"
        "select 1\n"
        "click 删除\n"  // nothing queued: No, the default, keeps the code
        "answer Yes\n"
        "click 删除\n"
        "click 返回\n");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const std::string add = "\"合约代码-新增\"", modify = "\"合约代码-修改\"";
    EXPECT_EQ(run.out,
              "open \"合约代码设置[检索]\"\n"
              "open " +
                  add +
                  "\n"
                  "close " +
                  add +
                  " OK\n"
                  "open " +
                  modify +
                  "\n"
                  "close " +
                  modify +
                  " OK\n"
                  "open " +
                  modify +
                  "\n"
                  "dialog " +
                  modify +
                  "\n"
                  "  edit #1001 \"代    码:\" = \"AA\" [disabled]\n"
                  "  edit #1002 \"中文名称:\" = \"演示合约二\"\n"
                  "  edit #1003 \"英文名称:\" = \"Demo Treaty\"\n"
                  "  combo #1004 \"类    型:\" = \"A  成数合约\" [disabled]\n"
                  "  button #1 \"确定[&O]\"\n"
                  "  button #2 \"返回\"\n"
                  "close " +
                  modify +
                  " Cancel\n"
                  "message \"是否确定删除该纪录!\" caption \"Zenva再保系统\" icon Question -> No (default)\n"
                  "message \"是否确定删除该纪录!\" caption \"Zenva再保系统\" icon Question -> Yes\n"
                  "message \"处理成功!\" caption \"Zenva再保系统\" icon None -> OK (default)\n"
                  "close \"合约代码设置[检索]\" Cancel\n");

    // The code is gone again: the list starts with a code of the demo data.
    Outcome after = Play("open 25001\nshow\n");
    EXPECT_EQ(after.exitCode, 0) << after.err;
    EXPECT_EQ(after.out.find("AA |"), std::string::npos) << after.out;
    EXPECT_NE(after.out.find("grid 1: "), std::string::npos) << after.out;
}

TEST_F(PlayProgram, ALineThatCannotBeCarriedOutExitsWithTwoAndItsLineAfterClosingWhatIsOpen) {
    Outcome missing = Play("open 25001\nclick 新增\n\ntype 名称 x\nclick 确定\n");
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_EQ(missing.err, "line 4: no field \"名称\" in \"合约代码-新增\"\n");
    EXPECT_EQ(missing.out,
              "open \"合约代码设置[检索]\"\nopen \"合约代码-新增\"\nclose \"合约代码-新增\" Cancel\n"
              "close \"合约代码设置[检索]\" Cancel\n");

    Outcome bad = Play("open 25001\nclick\n");  // nothing runs when a line is malformed
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_EQ(bad.err, "line 2: usage: click BUTTON\n");
    EXPECT_EQ(bad.out, "");

    Outcome none = Play("open 2\n");
    EXPECT_EQ(none.exitCode, 2);
    EXPECT_EQ(none.err, "line 1: screen 2 opened no dialog\n");

    Outcome count = Play("open 13\n");
    EXPECT_EQ(count.exitCode, 0) << count.err;
    EXPECT_EQ(count.out.rfind("count ", 0), 0u) << count.out;

    std::ofstream(m_home / "script.play") << "open 1\n";  // a script that exists; --screen does not go with it
    const std::string conflict = "'" + std::string(KELMOR_PROGRAM) + "' --play '" + (m_home / "script.play").string() +
                                 "' --screen 1 >/dev/null 2>&1";
    EXPECT_EQ(WEXITSTATUS(std::system(conflict.c_str())), 2);

    Outcome unreadable = PlayFile(m_home / "no-such.play");
    EXPECT_EQ(unreadable.exitCode, 2);
    EXPECT_NE(unreadable.err.find("cannot read the script"), std::string::npos);
}

TEST_F(PlayProgram, TheTourScriptOfTheReadmeRuns) {
    Outcome tour = PlayFile(fs::path(KELMOR_SOURCE_DIR) / "docs" / "tour" / "treaty-codes.play");
    EXPECT_EQ(tour.exitCode, 0) << tour.err << tour.out;
    EXPECT_NE(tour.out.find("    代码 | 中文名称 | 英文名称 | 类型\n"), std::string::npos) << tour.out;
    EXPECT_NE(tour.out.find("edit #1001 \"代    码:\" = \"AA\" [disabled]"), std::string::npos) << tour.out;
    EXPECT_NE(tour.out.find("message \"处理成功!\""), std::string::npos) << tour.out;
    EXPECT_NE(tour.out.find("close \"合约代码设置[检索]\" Cancel\n"), std::string::npos) << tour.out;
}

TEST_F(PlayProgram, TheTreatyDataTourRuns) {
    Outcome tour = PlayFile(fs::path(KELMOR_SOURCE_DIR) / "docs" / "tour" / "treaty-data.play");
    EXPECT_EQ(tour.exitCode, 0) << tour.err << tour.out;
    EXPECT_NE(tour.out.find("    row 3 (current): 05 | 阿尔彭格洛再保险公司 | 0.2000 | 50000000.00\n"),
              std::string::npos)
        << tour.out;
    EXPECT_NE(tour.out.find("    row 6: 合 计 |  | 1.0000 | 无限额\n"), std::string::npos) << tour.out;
    EXPECT_NE(tour.out.find("| 60000000.00 | 120000000.00 | 2 |"), std::string::npos) << tour.out;
    EXPECT_EQ(tour.out.find("合约生成失败"), std::string::npos) << tour.out;
    std::size_t generated = 0;
    for (std::size_t at = tour.out.find("合约生成成功"); at != std::string::npos;
         at = tour.out.find("合约生成成功", at + 1))
        ++generated;
    EXPECT_EQ(generated, 2u) << tour.out;
}

TEST_F(PlayProgram, TheSectionsTourRuns) {
    Outcome tour = PlayFile(fs::path(KELMOR_SOURCE_DIR) / "docs" / "tour" / "sections.play");
    EXPECT_EQ(tour.exitCode, 0) << tour.err << tour.out;
    EXPECT_NE(tour.out.find("    row 3 (current): S3 | 0.200000\n"), std::string::npos) << tour.out;
    EXPECT_NE(tour.out.find("    row 1 (current): 0401 | 建筑工程一切险\n"), std::string::npos) << tour.out;
    EXPECT_NE(tour.out.find("message \"处理成功!\""), std::string::npos) << tour.out;
    EXPECT_NE(tour.out.find("edit #1001 \"险类代码:\" = \"01\" [disabled]"), std::string::npos) << tour.out;
}

}  // namespace
