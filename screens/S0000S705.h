// The insurance classes of one treaty data record (opened from the treaty data
// form's "合约险类设置[&T]..."): each class's code and name, the products of the
// class clicked, add, modify and delete of classes, and the product choice.
#pragma once

#include "common/records/Records.h"
#include "screens/ProductGroupList.h"

class CS0000S705 : public CProductGroupList {
public:
    enum { IDD = 25750 };
    // Class grid columns; the third, hidden, holds the treaty data id.
    enum : int { COL_CODE, COL_NAME, COL_CONT_ID };

    explicit CS0000S705(CWnd* pParent = nullptr);
    static void RegisterTemplate();

protected:
    bool LoadGroups() override;
    bool LoadProducts(int row) override;
    int AddGroup() override;
    void ModifyGroup(int row) override;
    bool DeleteGroup(int row) override;
    bool ChooseProducts(int row, const std::vector<CString>& current) override;

private:
    // The class of a grid row (code, name, treaty data id); false after a message.
    bool ClassOfRow(int row, _InsrncSectStruct& cls);
    // Sends a class (199, insert or update); false when it was not stored (told).
    bool StoreClass(const _InsrncSectStruct& cls, bool insert);
};
