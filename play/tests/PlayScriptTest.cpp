// The script language of `kelmor --play`: words, quotes, comments, #ID, and the
// shape each command wants, with the line number of the first bad line.
#include <gtest/gtest.h>

#include "host/win/WinTypes.h"
#include "play/PlayScript.h"

namespace kel::play {
namespace {

std::vector<std::string> Words(const std::string& line) {
    std::vector<ScriptWord> words;
    std::string why;
    EXPECT_TRUE(SplitWords(line, words, why)) << why;
    std::vector<std::string> texts;
    for (const auto& w : words) texts.push_back((w.quoted ? "q:" : "") + w.text);
    return texts;
}

ScriptError ErrorOf(const std::string& script) {
    std::optional<ScriptError> error;
    auto lines = ParseScript(script, error);
    EXPECT_TRUE(error.has_value()) << script;
    EXPECT_TRUE(lines.empty());
    return error.value_or(ScriptError{});
}

TEST(PlayScript, WordsSplitOnBlanksQuotesHoldBlanksAndHashStartsACommentUnlessItIsAnId) {
    EXPECT_EQ(Words("type  中文名称\t\"成数 合约\""), (std::vector<std::string>{"type", "中文名称", "q:成数 合约"}));
    EXPECT_EQ(Words("click #1001  # the add button"), (std::vector<std::string>{"click", "#1001"}));
    EXPECT_EQ(Words("# a whole comment"), std::vector<std::string>{});
    EXPECT_EQ(Words("type 备注 a#b"), (std::vector<std::string>{"type", "备注", "a#b"}));
    EXPECT_EQ(Words("type 备注 \"#12 \\\"x\\\" \\\\\""), (std::vector<std::string>{"type", "备注", "q:#12 \"x\" \\"}));
    EXPECT_EQ(Words("pick 类型 \"\""), (std::vector<std::string>{"pick", "类型", "q:"}));

    std::vector<ScriptWord> words;
    std::string why;
    EXPECT_FALSE(SplitWords("type 名称 \"open", words, why));
    EXPECT_EQ(why, "a quote is not closed");
    EXPECT_FALSE(SplitWords("type \"名称\"x y", words, why));
}

TEST(PlayScript, ParsesEveryCommandWithItsLineNumber) {
    std::optional<ScriptError> error;
    const std::string script =
        "\xEF\xBB\xBF# the tour\r\n"
        "open 25001\r\n"
        "\r\n"
        "click \"新增[&A]...\"\n"
        "type 代码 qa\n"
        "pick #1004 A\n"
        "check 是否失效\n"
        "uncheck 是否失效\n"
        "select 2\n"
        "double 3 2\n"
        "tick 1\n"
        "untick 1 3\n"
        "sort 代码 2\n"
        "KEY escape\n"
        "answer yes\n"
        "show";
    auto lines = ParseScript(script, error);
    ASSERT_FALSE(error) << error->line << ": " << error->why;
    ASSERT_EQ(lines.size(), 14u);
    EXPECT_EQ(lines[0].number, 2);
    EXPECT_EQ(lines[0].command, PlayCommand::Open);
    EXPECT_EQ(lines[0].screen, 25001);
    EXPECT_EQ(lines[1].number, 4);
    EXPECT_EQ(lines[1].control.text, "新增[&A]...");
    EXPECT_EQ(lines[2].command, PlayCommand::Type);
    EXPECT_EQ(lines[2].text, "qa");
    EXPECT_EQ(lines[3].control.id, 1004);
    EXPECT_TRUE(lines[3].control.text.empty());
    EXPECT_EQ(lines[4].command, PlayCommand::Check);
    EXPECT_EQ(lines[5].command, PlayCommand::Uncheck);
    EXPECT_EQ(lines[6].row, 2);
    EXPECT_EQ(lines[6].list, 1);
    EXPECT_EQ(lines[7].command, PlayCommand::Double);
    EXPECT_EQ(lines[7].list, 2);
    EXPECT_EQ(lines[9].list, 3);
    EXPECT_EQ(lines[10].text, "代码");
    EXPECT_EQ(lines[10].list, 2);
    EXPECT_EQ(lines[11].key, PlayKey::Escape);
    EXPECT_EQ(lines[12].answer, IDYES);
    EXPECT_EQ(lines[13].command, PlayCommand::Show);
    EXPECT_EQ(lines[13].number, 16);
}

TEST(PlayScript, RowKeysAreNamedInAnyCase) {
    std::optional<ScriptError> error;
    auto lines = ParseScript("key down\nkey UP\nkey Home\nkey end\nkey Enter\n", error);
    ASSERT_FALSE(error) << error->why;
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].key, PlayKey::Down);
    EXPECT_EQ(lines[1].key, PlayKey::Up);
    EXPECT_EQ(lines[2].key, PlayKey::Home);
    EXPECT_EQ(lines[3].key, PlayKey::End);
    EXPECT_TRUE(IsRowKey(lines[3].key));
    EXPECT_FALSE(IsRowKey(lines[4].key));
}

// The keys that walk a dialog: Tab, Shift+Tab, Space, Alt and a letter (kept lower
// case, as the system matches it); typing without a field goes where the focus is.
TEST(PlayScript, FocusKeysAndTypingIntoTheFocusedField) {
    std::optional<ScriptError> error;
    auto lines =
        ParseScript("key tab\nkey Shift+Tab\nkey SPACE\nkey Alt+S\nkey alt+t\ntype 2024\ntype 年度 2024\n", error);
    ASSERT_FALSE(error) << error->why;
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0].key, PlayKey::Tab);
    EXPECT_EQ(lines[1].key, PlayKey::BackTab);
    EXPECT_EQ(lines[2].key, PlayKey::Space);
    EXPECT_EQ(lines[3].key, PlayKey::Alt);
    EXPECT_EQ(lines[3].text, "s");
    EXPECT_EQ(lines[4].text, "t");
    EXPECT_TRUE(lines[5].control.text.empty());
    EXPECT_EQ(lines[5].control.id, 0);
    EXPECT_EQ(lines[5].text, "2024");
    EXPECT_EQ(lines[6].control.text, "年度");
    EXPECT_EQ(lines[6].text, "2024");
}

// Screen 0 (the prompt switches) is in the screen table like any other.
TEST(PlayScript, ScreenZeroIsAScreenNumber) {
    std::optional<ScriptError> error;
    auto lines = ParseScript("open 0\nkey Escape\n", error);
    ASSERT_FALSE(error) << error->why;
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].command, PlayCommand::Open);
    EXPECT_EQ(lines[0].screen, 0);
}

TEST(PlayScript, TheFirstBadLineIsReportedWithItsNumberAndNothingIsKept) {
    EXPECT_EQ(ErrorOf("open 25001\nclik 新增\nfoo\n").line, 2);
    EXPECT_EQ(ErrorOf("open 25001\nclik 新增\n").why, "unknown command \"clik\"");
    EXPECT_EQ(ErrorOf("open\n").why, "usage: open SCREEN");
    EXPECT_EQ(ErrorOf("open x1\n").why, "open: \"x1\" is not a screen number");
    EXPECT_EQ(ErrorOf("open -1\n").why, "open: \"-1\" is not a screen number");
    EXPECT_EQ(ErrorOf("type\n").why, "usage: type [FIELD] TEXT");
    EXPECT_EQ(ErrorOf("type 代码 QA more\n").why, "usage: type [FIELD] TEXT");
    EXPECT_EQ(ErrorOf("click 确定 返回\n").why, "usage: click BUTTON");
    EXPECT_EQ(ErrorOf("select 0\n").why, "select: \"0\" is not a row number (1 = first row)");
    EXPECT_EQ(ErrorOf("select 1 -2\n").why, "select: \"-2\" is not a grid or list number");
    EXPECT_EQ(ErrorOf("key F5\n").why,
              "key: \"F5\" is not Enter, Escape, Close, Down, Up, Home, End, Tab, Shift+Tab, Space or Alt+LETTER");
    for (const char* bad : {"key Alt+\n", "key Alt+SS\n", "key Alt+[\n", "key Ctrl+S\n"})
        EXPECT_EQ(ErrorOf(bad).line, 1) << bad;
    EXPECT_EQ(ErrorOf("answer Maybe\n").why, "answer: \"Maybe\" is not Yes, No, OK, Cancel, Abort, Retry or Ignore");
    EXPECT_EQ(ErrorOf("show all\n").why, "usage: show");
    EXPECT_EQ(ErrorOf("click \"\"\n").why, "click: the control's name is empty");
    ScriptError quote = ErrorOf("\n\n type 名称 \"x\n");
    EXPECT_EQ(quote.line, 3);
    EXPECT_EQ(quote.why, "a quote is not closed");
}

}  // namespace
}  // namespace kel::play
