// How a script names the controls of a dialog: a field by the label in front of it
// (the label right before it in tab order), a button, check box or radio button by
// its caption, any control by #ID, and a grid or list by its place among the
// dialog's grids and lists. Names compare without blanks (ASCII and full-width),
// the mnemonic mark with its bracket ([&A], (&A), [A], &), a trailing "..." and a
// trailing colon, so that 新增 finds "新增[&A]..." and 代码 finds "代    码:".
#pragma once

#include <string>
#include <vector>

#include "host/win/Wnd.h"
#include "play/PlayScript.h"

class CDialog;

namespace kel::play {

// A control's label or caption as compared: blanks, a trailing colon or ellipsis
// and mnemonics dropped, where "&" marks the next letter and "&&" is shown as "&".
std::string NormalizeName(const std::string& text);

// A name as a script writes it, which is the text as shown: "&" stands for itself,
// so "S&P评级" names the label "S&&P 评级".
std::string NormalizeShownName(const std::string& text);

// The label in front of a control: the label right before it in tab order; null
// when there is none.
const CWnd* LabelOf(const CDialog& dialog, const CWnd& control);

// A control's kind as the transcript and the messages name it ("edit", "combo", ...).
const char* KindName(const CWnd& control);
// A control as a message names it: its kind and its label, caption or ID.
std::string Describe(const CDialog& dialog, const CWnd& control);

// Which controls a name may mean.
enum class NameRole {
    Field,   // type, pick: controls by the label in front of them
    Button,  // click, check, uncheck: buttons, check boxes and radio buttons by
             // caption; failing that, controls by their label
};

// The one control the name means; null with `why` when none or more than one does
// (of several, visible controls win over hidden ones).
CWnd* FindControl(const CDialog& dialog, const ControlName& name, NameRole role, std::string& why);

// The kinds of control as a person meets them: pressed (buttons, check boxes, radio
// buttons), typed into (edits, number and date fields), or rows to move through
// (grids, report lists, check lists).
bool IsButtonKind(win::ControlKind kind);
bool IsTextKind(win::ControlKind kind);
bool IsListKind(win::ControlKind kind);

// The dialog's grids and lists (grids, report lists, check lists) in tab order.
std::vector<CWnd*> ListsOf(const CDialog& dialog);

}  // namespace kel::play
