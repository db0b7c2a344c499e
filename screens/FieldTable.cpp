#include "screens/FieldTable.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "common/records/RecordBytes.h"
#include "common/records/WireFloat.h"
#include "common/text/GbkText.h"
#include "host/qxcommon/BaseBase.h"
#include "host/qxctlset/QXDateTime.h"
#include "host/qxctlset/QXGrid.h"
#include "screens/ScreenCommon.h"

namespace kel::screens {
namespace {

// ---- record bytes

using kel::records::ReadAs;
using kel::records::WriteAs;

char LetterOf(const char* record, const Field& f) { return record[f.offset]; }

std::string TextOf(const char* record, const Field& f) {
    std::string text = kel::text::GetField(record + f.offset, f.size);
    if (f.trimRight) text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

// ---- refusals

CString Message(const char* pattern, const Field& f) {
    CString message;
    message.Format(pattern, f.label);
    return message;
}

// Text into a text field: refused when GBK cannot hold it or it is longer than the field.
bool PutText(CDialog& dialog, int control, const Field& f, std::string text, char* record) {
    if (f.trimRight) text.erase(text.find_last_not_of(' ') + 1);
    return PutFieldText(dialog, control, f.label, CString(std::move(text)), record + f.offset, f.size);
}

// A code the user types: exactly as many upper-case letters or digits as the field holds.
bool IsCode(const std::string& text, std::size_t length) {
    if (text.size() != length) return false;
    for (char c : text)
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
    return true;
}

bool PutCode(CDialog& dialog, int control, const Field& f, const std::string& text, char* record) {
    const std::size_t length = f.codeLength ? f.codeLength : f.size - 1;
    if (!IsCode(text, length)) {
        static const char* const kCount[] = {"零", "一", "两", "三", "四", "五", "六", "七", "八", "九"};
        const std::string count = length < 10 ? kCount[length] : std::to_string(length);
        CString message;
        message.Format("%s必须是%s位大写字母或数字，请修改!", f.label, count.c_str());
        return RefuseInput(dialog, control, message);
    }
    return PutText(dialog, control, f, text, record);
}

// A letter from its text: the word it stands for (in a grid with words), else the
// text's first character.
bool PutLetter(CDialog& dialog, int control, const Field& f, const std::string& text, bool asWord, char* record) {
    if (asWord && !f.words.empty()) {
        char letter = f.words.back().letter;
        for (const LetterWord& w : f.words)
            if (text == w.word) letter = w.letter;
        record[f.offset] = letter;
        return true;
    }
    if (!text.empty() && static_cast<unsigned char>(text[0]) >= 0x80)
        return RefuseInput(dialog, control, Message("%s不是有效的代码，请修改!", f));
    record[f.offset] = text.empty() ? '\0' : text[0];
    return true;
}

bool PutNumber(CDialog& dialog, int control, const Field& f, const std::string& text, int shift, char* record) {
    if (f.kind == FieldKind::Int) {
        auto value = ParseInt(text);
        if (!value) return RefuseInput(dialog, control, Message("%s不是有效的整数，请修改!", f));
        WriteAs<std::int32_t>(record, f.offset, *value);
        return true;
    }
    bool ok;
    if (f.size == sizeof(float)) {
        auto value = ParseFloat(text, shift);
        if ((ok = value.has_value())) WriteAs<float>(record, f.offset, *value);
    } else {
        auto value = ParseDouble(text, shift);
        if ((ok = value.has_value())) WriteAs<double>(record, f.offset, *value);
    }
    return ok || RefuseInput(dialog, control, Message("%s不是有效的数字，请修改!", f));
}

// A number the user typed, against the row's bound.
bool CheckNumberBound(CDialog& dialog, int control, const Field& f, const char* record) {
    if (!f.bound) return true;
    double value;
    if (f.kind == FieldKind::Number)
        value = ParseDouble(TextOf(record, f)).value_or(0);
    else if (f.kind == FieldKind::Int)
        value = ReadAs<std::int32_t>(record, f.offset);
    else if (f.size == sizeof(float))
        value = kel::records::DecimalOf(ReadAs<float>(record, f.offset));
    else
        value = ReadAs<double>(record, f.offset);
    return CheckBound(dialog, control, f.label, value, *f.bound, f.shift);
}

std::string NumberText(const char* record, const Field& f, NumberFormat format, int shift) {
    if (f.kind == FieldKind::Int) return std::to_string(ReadAs<std::int32_t>(record, f.offset));
    if (f.size == sizeof(float)) return FormatNumber(ReadAs<float>(record, f.offset), format, shift);
    return FormatNumber(ReadAs<double>(record, f.offset), format, shift);
}

// A number held as text: empty, or a number.
bool PutNumberText(CDialog& dialog, int control, const Field& f, const std::string& text, char* record) {
    if (!text.empty() && !ParseDouble(text))
        return RefuseInput(dialog, control, Message("%s不是有效的数字，请修改!", f));
    return PutText(dialog, control, f, text, record);
}

bool IsUnlimited(const std::string& text) {
    static const double unlimited = *ParseDouble(kUnlimitedAmount);
    const auto value = ParseDouble(text);
    return value && *value == unlimited;
}

// What a grid shows for the no-limit amount, and what it reads back from.
std::string Shown(const Field& f, std::string text) { return f.unlimited && IsUnlimited(text) ? kUnlimitedWord : text; }

std::string Unshown(const Field& f, std::string text) {
    if (!f.unlimited) return text;
    std::string trimmed = text;
    trimmed.erase(0, trimmed.find_first_not_of(' '));
    trimmed.erase(trimmed.find_last_not_of(' ') + 1);
    return trimmed == kUnlimitedWord ? kUnlimitedAmount : text;
}

std::string WordOf(const Field& f, char letter) {
    if (f.words.empty()) return LetterText(letter).str();
    for (const LetterWord& w : f.words)
        if (w.letter == letter) return w.word;
    return f.words.back().word;
}

// ---- form controls

CQXDateTime* DateControl(CBASEBASE& form, const Field& f) {
    return dynamic_cast<CQXDateTime*>(form.GetDlgItem(f.control));
}

// What a control holds, as the record wants it: a combo gives the code of its item.
std::string ControlText(CBASEBASE& form, const Field& f) {
    if (CQXDateTime* date = DateControl(form, f)) return date->GetTime().str();
    CString value;
    form.GetItemValue(f.control, value);
    if (CWnd* item = form.GetDlgItem(f.control); item && item->GetKind() == win::ControlKind::Combo)
        value = CodeOfItem(value);
    return value.str();
}

bool IsUserInput(CBASEBASE& form, const Field& f) {
    CWnd* item = form.GetDlgItem(f.control);
    return item && item->IsWindowEnabled();
}

}  // namespace

FieldRows::FieldRows(std::initializer_list<Field> fields, FieldFormats formats)
    : m_fields(fields), m_formats(formats) {}

void FieldRows::LoadForm(CBASEBASE& form, const char* record) const {
    for (const Field& f : m_fields) {
        if (f.control == 0) continue;
        std::string text;
        switch (f.kind) {
            case FieldKind::Text:
            case FieldKind::Code:
            case FieldKind::Number: text = TextOf(record, f); break;
            case FieldKind::Letter: text = LetterText(LetterOf(record, f)).str(); break;
            case FieldKind::Flag: text.assign(1, LetterOf(record, f) == f.on ? '1' : '0'); break;
            case FieldKind::Int:
            case FieldKind::Real: text = NumberText(record, f, f.formFormat.value_or(m_formats.form), f.shift); break;
            case FieldKind::Date:
            case FieldKind::YearMonth: {
                CString shown = form.FormatDate(CString(kel::text::GetRawField(record + f.offset, f.size)), 1);
                if (CQXDateTime* date = DateControl(form, f)) {
                    date->SetTime(shown);
                    continue;
                }
                text = shown.str();
                break;
            }
        }
        // A limit the form only shows (never saved from it) reads as the lists show it.
        if (f.notSaved) text = Shown(f, std::move(text));
        form.SetItemValue(f.control, CString(text));
    }
}

bool FieldRows::SaveForm(CBASEBASE& form, char* record) const {
    for (const Field& f : m_fields) {
        if (f.control == 0 || f.notSaved) continue;
        const std::string text = ControlText(form, f);
        bool ok = true;
        switch (f.kind) {
            case FieldKind::Text: ok = PutText(form, f.control, f, text, record); break;
            case FieldKind::Number:
                ok = PutNumberText(form, f.control, f, text, record) &&
                     (!IsUserInput(form, f) || CheckNumberBound(form, f.control, f, record));
                break;
            case FieldKind::Code:
                // A code the user cannot change (modify mode) goes back as it came.
                ok = IsUserInput(form, f) ? PutCode(form, f.control, f, text, record)
                                          : PutText(form, f.control, f, text, record);
                break;
            case FieldKind::Letter: ok = PutLetter(form, f.control, f, text, false, record); break;
            case FieldKind::Flag: record[f.offset] = text == "1" ? f.on : f.off; break;
            case FieldKind::Int:
            case FieldKind::Real:
                // A field nobody can change here goes back as it came.
                ok = PutNumber(form, f.control, f, text, f.shift, record) &&
                     (!IsUserInput(form, f) || CheckNumberBound(form, f.control, f, record));
                break;
            case FieldKind::Date:
            case FieldKind::YearMonth: {
                CQXDateTime* date = DateControl(form, f);
                std::string stored;
                if (!text.empty()) {
                    stored = form.FormatDate(CString(text), 0).str();
                    if (stored.empty() || (date && !date->IsComplete()))
                        return RefuseInput(form, f.control, Message("%s不是有效的日期，请修改!", f));
                }
                kel::text::PutRawField(record + f.offset, f.size, stored);
                break;
            }
        }
        if (!ok) return false;
    }
    return true;
}

std::string FieldRows::GridText(const Field& f, const char* record) const {
    switch (f.kind) {
        case FieldKind::Text:
        case FieldKind::Code: return TextOf(record, f);
        case FieldKind::Number: return Shown(f, TextOf(record, f));
        case FieldKind::Letter:
        case FieldKind::Flag: return WordOf(f, LetterOf(record, f));
        case FieldKind::Int:
        case FieldKind::Real: return Shown(f, NumberText(record, f, f.gridFormat.value_or(m_formats.grid), 0));
        case FieldKind::Date:
        case FieldKind::YearMonth: return kel::text::GetRawField(record + f.offset, f.size);
    }
    return {};
}

void FieldRows::FillCell(CQXGrid& grid, int row, const Field& f, const char* record) const {
    if (f.codeList != 0) grid.SetColumnType(f.column, CQXGrid::kColumnCode);
    grid.SetItemText(row, f.column, GridText(f, record).c_str(), 1);
}

void FieldRows::FillRow(CQXGrid& grid, int row, const char* record) const {
    for (const Field& f : m_fields)
        if (f.column >= 0) FillCell(grid, row, f, record);
}

std::vector<std::size_t> FieldRows::ShownFields(const CQXGrid& grid) const {
    std::vector<std::size_t> shown;
    for (std::size_t i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].column >= 0 && !grid.IsColumnHidden(m_fields[i].column)) shown.push_back(i);
    return shown;
}

void FieldRows::FillFields(CQXGrid& grid, int row, const char* record, std::span<const std::size_t> fields) const {
    for (std::size_t i : fields) FillCell(grid, row, m_fields[i], record);
}

std::string FieldRows::CellText(const char* record, int column) const {
    // The last field of the column, as FillRow leaves it.
    for (auto f = m_fields.rbegin(); f != m_fields.rend(); ++f)
        if (f->column == column) return GridText(*f, record);
    return {};
}

bool FieldRows::ReadRow(CDialog& owner, const CQXGrid& grid, int row, char* record) const {
    return ReadCells(
        owner, [&](int column) { return grid.GetItemText(row, column).str(); }, record);
}

bool FieldRows::ReadCells(CDialog& owner, const std::function<std::string(int column)>& cell, char* record) const {
    for (const Field& f : m_fields) {
        if (f.column < 0 || f.notReadBack) continue;
        const std::string text = Unshown(f, cell(f.column));
        bool ok = true;
        switch (f.kind) {
            case FieldKind::Text:
            case FieldKind::Code: ok = PutText(owner, 0, f, text, record); break;
            case FieldKind::Number: ok = PutNumberText(owner, 0, f, text, record); break;
            case FieldKind::Letter:
                if (text.empty() && f.emptyAs) {
                    record[f.offset] = f.emptyAs;
                    break;
                }
                [[fallthrough]];
            case FieldKind::Flag: ok = PutLetter(owner, 0, f, text, true, record); break;
            case FieldKind::Int:
            case FieldKind::Real: ok = PutNumber(owner, 0, f, text, 0, record); break;
            case FieldKind::Date:
            case FieldKind::YearMonth: ok = PutText(owner, 0, f, text, record); break;
        }
        if (!ok) return false;
    }
    return true;
}

bool FieldRows::CheckBounds(CDialog& owner, const char* record) const {
    for (const Field& f : m_fields)
        if (f.column >= 0 && !f.notReadBack && !CheckNumberBound(owner, 0, f, record)) return false;
    return true;
}

void FieldRows::RegisterRequired(CBASEBASE& form) const {
    std::vector<const Field*> required;
    for (const Field& f : m_fields)
        if (f.required > 0 && f.control != 0) required.push_back(&f);
    std::stable_sort(required.begin(), required.end(),
                     [](const Field* a, const Field* b) { return a->required < b->required; });
    form.m_nNeedCount = 0;
    for (const Field* f : required)
        if (form.m_nNeedCount < CBASEBASE::kMaxNeed) form.m_nNeedID[form.m_nNeedCount++] = f->control;
}

void FieldRows::ShowAddDefaults(CBASEBASE& form) const {
    for (const Field& f : m_fields)
        if (f.addDefault && f.control != 0) form.SetItemValue(f.control, f.addDefault);
}

void FieldRows::RegisterCodeColumns(CBASEBASE& screen, CQXGrid& grid) const {
    for (const Field& f : m_fields)
        if (f.codeList != 0 && f.column >= 0) screen.SetGridCbx(&grid, f.column, f.codeList, 2);
}

}  // namespace kel::screens
