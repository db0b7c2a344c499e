// The script of `kelmor --play`: one command a line, read whole before anything
// runs so that a bad line stops the play before it starts.
//
//   open 25001            # a screen by number
//   click 新增            # a button by its caption
//   type 代码 QA          # a field by the label in front of it
//   type 中文名称 "成数 合约"
//   type 2024             # into the field that has the focus
//
// Blanks separate the words; a word in double quotes may hold blanks, and \" and
// \\ inside it stand for a quote and a backslash. A word that starts with '#'
// begins a comment, except #ID (digits only), which names a control by its ID.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kel::play {

enum class PlayCommand {
    Open,
    Type,
    Pick,
    Check,
    Uncheck,
    Click,
    Select,
    Double,
    Tick,
    Untick,
    Sort,
    Key,
    Answer,
    Show
};

// How a control is named on a line.
struct ControlName {
    std::string text;  // a label or caption as the script wrote it
    int id = 0;        // #ID: the control's ID, text empty
    bool Named() const { return !text.empty() || id != 0; }
};

// Enter, Escape and the close box go to the dialog; the row keys to the focused
// grid or list, moving its current row as a person's arrow, Home and End keys do.
// Tab and Shift+Tab move the focus to the next or the previous control a person
// reaches so; Space presses the focused button; Alt+letter (`key Alt+S`) presses
// the button whose caption underlines that letter.
enum class PlayKey { Enter, Escape, Close, Down, Up, Home, End, Tab, BackTab, Space, Alt };

struct PlayLine {
    int number = 0;  // 1-based line of the script file
    PlayCommand command = PlayCommand::Show;
    ControlName control;  // type (empty: the field with the focus), pick, check, uncheck, click
    std::string text;     // type: the text; pick: the item; sort: the column; key Alt: the letter
    int screen = 0;       // open
    int row = 0;          // select, double, tick, untick (1 = first data row)
    int list = 1;         // select, double, tick, untick, sort: the N-th grid or list
    PlayKey key = PlayKey::Enter;
    int answer = 0;  // answer: IDYES, IDNO, IDOK, IDCANCEL, ...
};

struct ScriptError {
    int line = 0;
    std::string why;
};

// Parses a whole script (UTF-8, a leading byte-order mark and CR-LF line ends are
// accepted). Lines that hold only blanks or a comment yield nothing.
std::vector<PlayLine> ParseScript(const std::string& script, std::optional<ScriptError>& error);

// One line's words, quotes and escapes resolved, the comment dropped; each word
// tells whether it was quoted. False with `why` set for an unclosed quote.
struct ScriptWord {
    std::string text;
    bool quoted = false;
};
bool SplitWords(const std::string& line, std::vector<ScriptWord>& words, std::string& why);

// The command's name as a script writes it ("open", "type", ...).
const char* CommandName(PlayCommand command);
// "Yes", "No", "OK", "Cancel", "Abort", "Retry", "Ignore"; "" for other values.
const char* AnswerName(int answer);
// A letter or digit as a key names it (Alt+S, the "&S" of a caption): lower case;
// 0 for anything else.
char KeyLetter(char c);
// "Enter", "Escape", "Close", "Down", "Up", "Home", "End", "Tab", "Shift+Tab", "Space", "Alt".
const char* KeyName(PlayKey key);
// The row keys: those that move the current row of a grid or list.
inline bool IsRowKey(PlayKey key) {
    return key == PlayKey::Down || key == PlayKey::Up || key == PlayKey::Home || key == PlayKey::End;
}

}  // namespace kel::play
