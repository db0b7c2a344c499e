// The sections of one treaty data record (opened from the treaty data form's
// "SECTION设置[N]..."): each section's code and commission rate, the products of the
// section clicked, add, modify and delete of sections, and the product choice.
#pragma once

#include "common/records/Records.h"
#include "screens/ProductGroupList.h"

class CS0000S702 : public CProductGroupList {
public:
    enum { IDD = 25720 };
    // Section grid columns; the third, hidden, holds the section id.
    enum : int { COL_CODE, COL_RATE, COL_ID };

    explicit CS0000S702(CWnd* pParent = nullptr);
    static void RegisterTemplate();

protected:
    bool LoadGroups() override;
    bool LoadProducts(int row) override;
    int AddGroup() override;
    void ModifyGroup(int row) override;
    bool DeleteGroup(int row) override;
    bool ChooseProducts(int row, const std::vector<CString>& current) override;

private:
    // The section of a grid row (code, rate, id); false after a message.
    bool SectionOfRow(int row, _SectionStruct& section);
    // Sends a section as typed in the form with its treaty's fields (192, insert or
    // update); false when it was not stored (told).
    bool StoreSection(_SectionStruct section, bool insert);
};
