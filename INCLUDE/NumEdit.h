// CNumEdit: the single-line edit for signed decimal numbers. It shows the integer
// part with grouping separators while the user types and keeps the number within a
// width and a number of decimals. Every key goes through the control: digits,
// separators, sign, backspace, delete, cut and paste; after each change the text is
// normalised and the caret stays with its digits. A digit the width cannot take is
// dropped with a beep, once until the field has room again.
#pragma once

#include <string>

#include "host/win/Controls.h"
#include "host/win/KeyInput.h"

class CNumEdit : public CEdit, public win::KeyInput {
public:
    CNumEdit();

    // Width (number without its sign, decimal separator included; negative = no
    // limits at all) and decimals (below 1 = no fraction). Takes effect at the next edit.
    void SetLimits(int width, int decimals);
    // The text without grouping separators; returns its length.
    int GetPlainText(CString& text) const;
    // Shows `word` for the number `plain` (the no-limit amount as "无限额"): while
    // the field shows the word, GetPlainText gives `plain`; the first key that
    // edits the field takes the word away.
    void ShowWord(const CString& word, const CString& plain);

    char GroupSeparator() const { return m_cGroup; }
    char DecimalSeparator() const { return m_cDecimal; }
    // For tests and hosts that want fixed separators.
    void SetSeparators(char group, char decimal);

    // win::KeyInput
    void OnChar(unsigned ch) override;
    void OnKeyDown(UINT virtualKey) override;
    void SetCaret(int selStart, int selEnd) override { SetSel(selStart, selEnd); }

    void OnControlCreated() override;
    // The factory for number fields of dialog templates (registered by the library).
    static std::unique_ptr<CWnd> CreateModel();

private:
    struct Parts {
        std::string sign, integer, fraction;
        bool point = false;
    };
    Parts Split(const std::string& plain) const;
    std::string RemoveGroups(const std::string& text) const;
    // Replaces the selection with `text` and normalises.
    void InsertAtCaret(const std::string& text);
    void DeleteRange(int start, int end);
    void Paste();
    // What a paste of `clip` keeps: digits and at most one decimal separator (none
    // when `hasPoint`), up to the first character that does not fit; a leading
    // sign goes to `sign`.
    std::string ReadPaste(const std::string& clip, bool hasPoint, std::string& sign) const;
    // The display form of `text` within the limits; the caret/selection given in
    // it move with their digits. `cut` (when given) tells whether a digit was dropped.
    std::string Shape(const std::string& text, int& selStart, int& selEnd, bool* cut = nullptr) const;
    // Normalises `text` (display form) with the caret/selection given in it, shows it.
    void Normalise(const std::string& text, int selStart, int selEnd);
    void Commit(const std::string& text, int selStart, int selEnd);

    // The word shown is still there: the key about to edit starts from an empty field.
    void LeaveWord();

    std::string m_word;  // ShowWord's word, and the number it stands for
    std::string m_wordPlain;
    char m_cGroup = ',';
    char m_cDecimal = '.';
    int m_nWidth = -1;
    int m_nDecimals = -1;
    // The person was told that the field is full; again only after it had room.
    bool m_bToldFull = false;
};
