// The product copy picker: the source product shown, the target chosen from the
// product list of the shared database.
#include <unistd.h>

#include <filesystem>

#include "common/db/CodeLists.h"
#include "host/qxcommon/StaticDatabase.h"
#include "screens/S0000S704.h"
#include "screens/tests/ScreenTestSupport.h"

namespace kel::testing {
namespace {

using Picker = CS0000S704;
constexpr const char* kCaption = "合约代码设置[险种风险复制]";

class ProductCopyPicker : public ScreenTest {
protected:
    static void SetUpTestSuite() {
        dir = std::filesystem::temp_directory_path() / ("kelmor-picker-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        std::string error;
        std::shared_ptr<db::Connection> db = db::Open((dir / "host.db").string(), &error);
        ASSERT_TRUE(db) << error;
        ASSERT_TRUE(codelist::ApplyCodeListSchema(*db, &error)) << error;
        db->Execute("INSERT INTO t_prd_prod VALUES (?, ?)", {"0301", "企业财产险"});
        db->Execute("INSERT INTO t_prd_prod VALUES (?, ?)", {"0501", "机动车辆险"});
        SetStaticDatabase(db);
    }
    static void TearDownTestSuite() {
        SetStaticDatabase(nullptr);
        std::filesystem::remove_all(dir);
    }
    static inline std::filesystem::path dir;
};

TEST_F(ProductCopyPicker, ShowsTheSourceRefusesAnEmptyTargetAndReturnsTheChosenCode) {
    Picker picker;
    picker.m_strSrcProduct = "0301";
    driver->Then(kCaption, [](win::DialogActions& a) {
        EXPECT_EQ(a.Text(Picker::IDC_EDT_SRC_PRODUCT), "0301");
        EXPECT_FALSE(a.Enabled(Picker::IDC_EDT_SRC_PRODUCT));
        a.Click(IDOK);
        EXPECT_FALSE(a.Ended());
        EXPECT_EQ(a.FocusID(), Picker::IDC_CBX_DST_PRODUCT);
        a.PickCode(Picker::IDC_CBX_DST_PRODUCT, "0501").Click(IDOK);
    });
    EXPECT_EQ(picker.DoModal(), IDOK);
    EXPECT_EQ(picker.m_strDstProduct, "0501");
    EXPECT_EQ(Messages(), (std::vector<std::string>{"目的险种不能为空，请输入！"}));
    EXPECT_TRUE(channel->requests.empty());
}

}  // namespace
}  // namespace kel::testing
