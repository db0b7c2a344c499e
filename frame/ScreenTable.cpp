#include "frame/ScreenTable.h"

#include <algorithm>

#include "screens/S0000S2.h"
#include "screens/S0000S4.h"
#include "screens/S0000S5.h"
#include "screens/S0000S6.h"
#include "screens/S0000S7.h"
#include "screens/S0000S8.h"
#include "screens/S0000S9.h"
#include "screens/S0000SC.h"
#include "screens/S0000SD.h"
#include "screens/S0000SE.h"
#include "screens/S0000SV.h"

namespace kel {
namespace {

template <class Screen>
std::unique_ptr<CBASEBASE> Make() {
    return std::make_unique<Screen>(nullptr);
}

using R = ScreenResult;

const ScreenEntry kScreens[] = {
    {0, "CS0000SD", "提示信息定制", R::ModalResult, &Make<CS0000SD>},
    {1, "CS0000S5", "兑换率设置[检索]", R::ModalResult, &Make<CS0000S5>},
    {4, "CS0000S8", "区间范围设置[检索]", R::ModalResult, &Make<CS0000S8>},
    {5, "CS0000S9", "当前期间设置[检索]", R::ModalResult, &Make<CS0000S9>},
    {9, "CS0000SC", "险种组合设置[检索]", R::ModalResult, &Make<CS0000SC>},
    {11, "CS0000SV", "经纪公司设置---检索", R::ModalResult, &Make<CS0000SV>},
    {12, "CS0000SD", "提示信息定制", R::ModalResult, &Make<CS0000SD>},
    {13, "CS0000SE", "", R::UserInfoCount},
    {14, "CS0000SE", "详细信息", R::ModalResult, &Make<CS0000SE>},
    {25001, "CS0000S2", "合约代码设置[检索]", R::ModalResult, &Make<CS0000S2>},
    {25005, "CS0000S4", "再保公司设置[检索]", R::ModalResult, &Make<CS0000S4>},
    {25010, "CS0000S6", "合约次序设置[检索]", R::ModalResult, &Make<CS0000S6>},
    {25013, "CS0000S7", "合约资料设置[检索]", R::ModalResult, &Make<CS0000S7>},
};

}  // namespace

std::span<const ScreenEntry> ScreenTable() { return kScreens; }

const ScreenEntry* FindScreen(int number) {
    auto it = std::find_if(std::begin(kScreens), std::end(kScreens),
                           [&](const ScreenEntry& e) { return e.number == number; });
    return it == std::end(kScreens) ? nullptr : &*it;
}

std::unique_ptr<CBASEBASE> CreateScreen(const ScreenEntry& entry) { return entry.make ? entry.make() : nullptr; }

int CountUserInfo() {
    // The screen object only: its window is never created.
    CS0000SE screen(nullptr);
    return screen.GetUserInfoCount();
}

}  // namespace kel
