// CBASEBASE's code lists: code-list combos, grid code columns and the generic
// code-list table read, all over the host's shared database connection.
#include <map>

#include "common/db/CodeLists.h"
#include "host/qxcommon/BaseBase.h"
#include "host/qxcommon/StaticDatabase.h"
#include "host/qxctlset/QXGrid.h"

namespace {

// Loads a list; a missing database gives an empty list quietly (no host set one
// up), a failing query an empty list and a message.
std::vector<kel::codelist::CodeItem> LoadOrReport(CWnd& owner, int id, const std::string& condition) {
    kel::db::Connection* db = GetStaticDatabase();
    if (!db) return {};
    std::string error;
    auto items = kel::codelist::LoadCodeList(*db, id, condition, &error);
    if (items) return *items;
    const auto* def = kel::codelist::FindCodeList(id);
    CString text;
    text.Format("读取代码列表“%s”失败：%s", def ? std::string(def->title).c_str() : std::to_string(id).c_str(),
                error.c_str());
    owner.MessageBox(text, "错误", MB_OK | MB_ICONERROR);
    return {};
}

}  // namespace

bool CBASEBASE::IsCodeListCombo(int nID) const { return kel::codelist::FindCodeList(nID) != nullptr; }

// The screen is asked for the list's condition each time the list is (re)loaded.
void CBASEBASE::LoadCodeListCombo(CComboBox& combo, UINT conditionMessage) {
    int id = combo.GetDlgCtrlID();
    char buffer[kConditionBufferSize] = {};
    LRESULT length = SendMessage(conditionMessage, reinterpret_cast<WPARAM>(buffer), id);
    std::string condition;
    if (length > 0) condition.assign(buffer, std::min<size_t>(static_cast<size_t>(length), sizeof buffer - 1));
    condition = condition.c_str();  // never past the terminator
    auto items = LoadOrReport(*this, id, condition);
    combo.ResetContent();
    combo.AddString("");
    for (const auto& item : items) combo.AddString(MakeCodeItemText(CString(item.code), CString(item.name)));
}

void CBASEBASE::InitGridCbx() {
    for (int i = 0; i < m_nGridCbxCount && i < kMaxGridCbx; ++i) {
        const _GridCbxInfo& entry = m_stGridCbx[i];
        if (!entry.pGrid) continue;
        auto names = std::make_shared<std::map<std::string, std::string>>();
        for (const auto& item : LoadOrReport(*this, entry.nCodeListID, "")) (*names)[item.code] = item.name;
        entry.pGrid->SetCodeLookup(entry.nCol, [names](const CString& code) {
            CString key = code;
            key.Trim();
            auto it = names->find(key.str());
            return it == names->end() ? code : CString(it->second);
        });
    }
}

_CodeListStruct* CBASEBASE::GetCodeListDataTable(const char* sql, int* count, const char* tableName) {
    if (!count) return nullptr;
    kel::db::Connection* db = GetStaticDatabase();
    if (!db || !sql) {
        *count = 0;
        return nullptr;
    }
    std::string error;
    _CodeListStruct* rows = kel::codelist::GetCodeListDataTable(*db, sql, *count, tableName ? tableName : "", &error);
    return rows;
}
