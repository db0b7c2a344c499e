#include "play/PlayScript.h"

#include <strings.h>

#include <cstdlib>

#include "host/win/WinTypes.h"

namespace kel::play {
namespace {

struct CommandWord {
    PlayCommand command;
    const char* name;
};

constexpr CommandWord kCommands[] = {
    {PlayCommand::Open, "open"},     {PlayCommand::Type, "type"},       {PlayCommand::Pick, "pick"},
    {PlayCommand::Check, "check"},   {PlayCommand::Uncheck, "uncheck"}, {PlayCommand::Click, "click"},
    {PlayCommand::Select, "select"}, {PlayCommand::Double, "double"},   {PlayCommand::Tick, "tick"},
    {PlayCommand::Untick, "untick"}, {PlayCommand::Sort, "sort"},       {PlayCommand::Key, "key"},
    {PlayCommand::Answer, "answer"}, {PlayCommand::Show, "show"},
};

struct AnswerSpec {
    int answer;
    const char* name;
};

constexpr AnswerSpec kAnswers[] = {
    {IDYES, "Yes"},     {IDNO, "No"},       {IDOK, "OK"},         {IDCANCEL, "Cancel"},
    {IDABORT, "Abort"}, {IDRETRY, "Retry"}, {IDIGNORE, "Ignore"},
};

struct KeySpec {
    PlayKey key;
    const char* name;
};

constexpr KeySpec kKeys[] = {
    {PlayKey::Enter, "Enter"}, {PlayKey::Escape, "Escape"}, {PlayKey::Close, "Close"},
    {PlayKey::Down, "Down"},   {PlayKey::Up, "Up"},         {PlayKey::Home, "Home"},
    {PlayKey::End, "End"},     {PlayKey::Tab, "Tab"},       {PlayKey::BackTab, "Shift+Tab"},
    {PlayKey::Space, "Space"},
};

// "Alt+S": the letter, lower case; 0 when the word is not Alt and one ASCII letter.
char AltLetter(const std::string& word) {
    if (word.size() != 5 || strncasecmp(word.c_str(), "Alt+", 4) != 0) return 0;
    return KeyLetter(word[4]);
}

bool SameWord(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool AllDigits(const std::string& s, size_t from) {
    if (s.size() <= from) return false;
    for (size_t i = from; i < s.size(); ++i)
        if (s[i] < '0' || s[i] > '9') return false;
    return true;
}

// A whole number of at least `least` (rows and lists are counted from 1; the
// screen table starts at 0, the prompt switches).
std::optional<int> Positive(const std::string& s, int least = 1) {
    if (!AllDigits(s, 0) || s.size() > 9) return std::nullopt;
    int value = std::atoi(s.c_str());
    if (value < least) return std::nullopt;
    return value;
}

ControlName NameOf(const ScriptWord& word) {
    ControlName name;
    if (!word.quoted && word.text.size() > 1 && word.text[0] == '#' && AllDigits(word.text, 1) && word.text.size() < 11)
        name.id = std::atoi(word.text.c_str() + 1);
    else
        name.text = word.text;
    return name;
}

// Fills `line` from its words; returns why not.
std::string Build(const std::vector<ScriptWord>& words, PlayLine& line) {
    const std::string& verb = words[0].text;
    const CommandWord* entry = nullptr;
    if (!words[0].quoted)
        for (const CommandWord& c : kCommands)
            if (SameWord(verb, c.name)) entry = &c;
    if (!entry) return "unknown command \"" + verb + "\"";
    line.command = entry->command;
    const size_t args = words.size() - 1;
    auto arity = [&](size_t least, size_t most, const char* shape) -> std::string {
        if (args >= least && args <= most) return "";
        return std::string("usage: ") + entry->name + (*shape ? " " : "") + shape;
    };
    std::string bad;
    switch (entry->command) {
        case PlayCommand::Open: {
            if (!(bad = arity(1, 1, "SCREEN")).empty()) return bad;
            auto screen = Positive(words[1].text, 0);
            if (!screen) return "open: \"" + words[1].text + "\" is not a screen number";
            line.screen = *screen;
            return "";
        }
        case PlayCommand::Type:
            if (!(bad = arity(1, 2, "[FIELD] TEXT")).empty()) return bad;
            if (args == 2) line.control = NameOf(words[1]);
            line.text = words[args].text;
            return "";
        case PlayCommand::Pick:
            if (!(bad = arity(2, 2, "FIELD ITEM")).empty()) return bad;
            line.control = NameOf(words[1]);
            line.text = words[2].text;
            break;
        case PlayCommand::Check:
        case PlayCommand::Uncheck:
        case PlayCommand::Click:
            if (!(bad = arity(1, 1, entry->command == PlayCommand::Click ? "BUTTON" : "FIELD")).empty()) return bad;
            line.control = NameOf(words[1]);
            break;
        case PlayCommand::Select:
        case PlayCommand::Double:
        case PlayCommand::Tick:
        case PlayCommand::Untick:
        case PlayCommand::Sort: {
            const bool sort = entry->command == PlayCommand::Sort;
            if (!(bad = arity(1, 2, sort ? "COLUMN [N]" : "ROW [N]")).empty()) return bad;
            if (sort) {
                line.text = words[1].text;
            } else {
                auto row = Positive(words[1].text);
                if (!row)
                    return std::string(entry->name) + ": \"" + words[1].text + "\" is not a row number (1 = first row)";
                line.row = *row;
            }
            if (args == 2) {
                auto list = Positive(words[2].text);
                if (!list) return std::string(entry->name) + ": \"" + words[2].text + "\" is not a grid or list number";
                line.list = *list;
            }
            break;
        }
        case PlayCommand::Key: {
            if (!(bad = arity(1, 1, "Enter|Escape|Close|Down|Up|Home|End|Tab|Shift+Tab|Space|Alt+LETTER")).empty())
                return bad;
            if (char letter = AltLetter(words[1].text)) {
                line.key = PlayKey::Alt;
                line.text = std::string(1, letter);
                break;
            }
            const KeySpec* key = nullptr;
            for (const KeySpec& k : kKeys)
                if (SameWord(words[1].text, k.name)) key = &k;
            if (!key)
                return "key: \"" + words[1].text +
                       "\" is not Enter, Escape, Close, Down, Up, Home, End, Tab, Shift+Tab, Space or Alt+LETTER";
            line.key = key->key;
            break;
        }
        case PlayCommand::Answer:
            if (!(bad = arity(1, 1, "Yes|No|OK|Cancel")).empty()) return bad;
            for (const AnswerSpec& a : kAnswers)
                if (SameWord(words[1].text, a.name)) line.answer = a.answer;
            if (!line.answer)
                return "answer: \"" + words[1].text + "\" is not Yes, No, OK, Cancel, Abort, Retry or Ignore";
            break;
        case PlayCommand::Show:
            if (!(bad = arity(0, 0, "")).empty()) return bad;
            break;
    }
    if ((line.control.text.empty() && line.control.id == 0) &&
        (entry->command == PlayCommand::Type || entry->command == PlayCommand::Pick ||
         entry->command == PlayCommand::Check || entry->command == PlayCommand::Uncheck ||
         entry->command == PlayCommand::Click))
        return std::string(entry->name) + ": the control's name is empty";
    return "";
}

}  // namespace

bool SplitWords(const std::string& line, std::vector<ScriptWord>& words, std::string& why) {
    words.clear();
    size_t i = 0;
    while (i < line.size()) {
        if (IsBlank(line[i])) {
            ++i;
            continue;
        }
        ScriptWord word;
        if (line[i] == '"') {
            word.quoted = true;
            ++i;
            bool closed = false;
            while (i < line.size()) {
                char c = line[i++];
                if (c == '"') {
                    closed = true;
                    break;
                }
                if (c == '\\' && i < line.size()) {
                    char next = line[i++];
                    word.text += next == 'n' ? '\n' : next == 't' ? '\t' : next;
                } else {
                    word.text += c;
                }
            }
            if (!closed) {
                why = "a quote is not closed";
                return false;
            }
            if (i < line.size() && !IsBlank(line[i])) {
                why = "a blank must follow the closing quote";
                return false;
            }
        } else {
            while (i < line.size() && !IsBlank(line[i])) word.text += line[i++];
            if (word.text[0] == '#' && !AllDigits(word.text, 1)) break;  // the comment
        }
        words.push_back(std::move(word));
    }
    return true;
}

std::vector<PlayLine> ParseScript(const std::string& script, std::optional<ScriptError>& error) {
    error.reset();
    std::vector<PlayLine> lines;
    size_t start = script.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
    int number = 0;
    while (start <= script.size()) {
        size_t end = script.find('\n', start);
        if (end == std::string::npos) end = script.size();
        std::string text = script.substr(start, end - start);
        if (!text.empty() && text.back() == '\r') text.pop_back();
        ++number;
        start = end + 1;
        std::vector<ScriptWord> words;
        std::string why;
        if (SplitWords(text, words, why)) {
            if (words.empty()) continue;
            PlayLine line;
            line.number = number;
            why = Build(words, line);
            if (why.empty()) {
                lines.push_back(std::move(line));
                continue;
            }
        }
        error = ScriptError{number, why};
        return {};
    }
    return lines;
}

const char* CommandName(PlayCommand command) {
    for (const CommandWord& c : kCommands)
        if (c.command == command) return c.name;
    return "";
}

const char* AnswerName(int answer) {
    for (const AnswerSpec& a : kAnswers)
        if (a.answer == answer) return a.name;
    return "";
}

char KeyLetter(char c) {
    if (c >= 'A' && c <= 'Z') return static_cast<char>(c - 'A' + 'a');
    if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return c;
    return 0;
}

const char* KeyName(PlayKey key) {
    if (key == PlayKey::Alt) return "Alt";
    for (const KeySpec& k : kKeys)
        if (k.key == key) return k.name;
    return "";
}

}  // namespace kel::play
