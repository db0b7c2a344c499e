// The module's packet framework receiving any answer: the first byte picks a
// manager query, a 24-byte answer head and the body follow. A query that succeeds
// hands over every record its count announces (read here to the last byte, so
// AddressSanitizer stops a short buffer); the lists a manager keeps match the answer.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "common/net/Channel.h"
#include "data/BaseMgr.h"
#include "data/ContDetailInfo.h"
#include "data/ContInfoMgr.h"
#include "data/ExchRateMgr.h"
#include "data/InsrClassDtlMgr.h"
#include "data/InsrncSectMgr.h"
#include "data/RIAgentCom.h"
#include "data/RICompanyMgr.h"
#include "data/SectDetailMgr.h"
#include "data/SectionMgr.h"
#include "fuzz/FuzzCheck.h"
#include "host/qxcommon/BaseBase.h"
#include "host/win/testing/HeadlessDriver.h"

namespace {

// Answers every request with the fuzzer's head and body.
class FuzzChannel : public kel::Channel {
public:
    _PacketHead head{};
    std::vector<char> body;
    int Send(const _PacketHead&, const void*, std::size_t) override { return 0; }
    int Receive(_PacketHead& h, std::vector<char>& b) override {
        h = head;
        b = body;
        return 0;
    }
};

// Reads every byte of `count` records of `size` bytes.
unsigned Touch(const char* answer, int count, std::size_t size) {
    unsigned sum = 0;
    for (std::size_t i = 0; i < static_cast<std::size_t>(count) * size; ++i)
        sum += static_cast<unsigned char>(answer[i]);
    return sum;
}

template <class Mgr, class Record>
void RawQuery(bool (Mgr::*query)(char**, int*)) {
    CBASEBASE owner{0};
    Mgr mgr(&owner);
    char* answer = nullptr;
    int count = -1;
    if ((mgr.*query)(&answer, &count)) {
        FUZZ_CHECK(count >= 0);
        FUZZ_CHECK(count == 0 || answer != nullptr);
        volatile unsigned sink = Touch(answer, count, sizeof(Record));
        (void)sink;
        if constexpr (std::is_same_v<Record, _CheckResultStruct>)
            for (int i = 0; i < count; ++i) {
                _CheckResultStruct line;
                std::memcpy(&line, answer + i * sizeof line, sizeof line);
                (void)CContInfoMgr::CheckLineText(line);
            }
    }
    std::free(answer);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static win::ScopedHeadlessDriver driver;  // message boxes are answered, not shown
    static auto channel = std::make_shared<FuzzChannel>();
    static const bool installed = (kel::InstallChannel(channel), true);
    (void)installed;
    if (size < 1 + sizeof(_PacketHead)) return 0;
    std::memcpy(&channel->head, data + 1, sizeof(_PacketHead));
    channel->body.assign(reinterpret_cast<const char*>(data) + 1 + sizeof(_PacketHead),
                         reinterpret_cast<const char*>(data) + size);
    switch (data[0] % 13) {
        case 0: RawQuery<CContCodeMgr, _ContCodeStruct>(&CContCodeMgr::GetContCodeList); break;
        case 1: RawQuery<CRICompanyMgr, _RICompanyStruct>(&CRICompanyMgr::GetRICompanyList); break;
        case 2: RawQuery<CContInfoMgr, _ContInfoStruct>(&CContInfoMgr::GetContInfoList); break;
        case 3: RawQuery<CContInfoMgr, _CheckResultStruct>(&CContInfoMgr::GetCheckResult); break;
        case 4: RawQuery<CSectionMgr, _SectionStruct>(&CSectionMgr::GetSectionList); break;
        case 5: RawQuery<CSectDetailMgr, _SectDetailStruct>(&CSectDetailMgr::GetSectDetailList); break;
        case 6: RawQuery<CInsrncSectMgr, _InsrncSectStruct>(&CInsrncSectMgr::GetInsrncSectList); break;
        case 7: RawQuery<CContDetailInfo, _ContDetailStruct>(&CContDetailInfo::GetContDetailList); break;
        case 8: RawQuery<CExchRateMgr, _ExchRateStruct>(&CExchRateMgr::GetExchRateList); break;
        case 9: RawQuery<CRIAgentCom, _RIAgentStruct>(&CRIAgentCom::GetRIAgentList); break;
        case 10: RawQuery<CInsrClassDtlMgr, char>(&CInsrClassDtlMgr::GetInsrClassDtlList); break;
        case 11: {
            CBASEBASE owner{0};
            CContInfoMgr mgr(&owner);
            if (mgr.GetContSubList()) {
                _ContSubListHead counts{};
                std::memcpy(&counts, channel->body.data(), sizeof counts);
                FUZZ_CHECK(mgr.m_arrReins.Count() == counts.nReinsCount);
                FUZZ_CHECK(mgr.m_arrRisk.Count() == counts.nRiskCount);
                FUZZ_CHECK(mgr.m_arrExtra.Count() == counts.nExtraCount);
            }
            break;
        }
        default: {
            CBASEBASE owner{0};
            CRICompanyMgr mgr(&owner);
            if (mgr.GetRIAccountList()) FUZZ_CHECK(mgr.m_arrAccount.Count() == channel->head.nCount);
            break;
        }
    }
    driver->ClearRecords();  // the driver records each message box: forget them
    return 0;
}
