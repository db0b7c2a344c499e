#include "screens/ScreenTransaction.h"

#include "common/text/GbkText.h"
#include "data/BaseMgr.h"
#include "host/qxcommon/BaseBase.h"

namespace kel::screens {

_PacketHead ScreenHead(int16_t code) {
    _PacketHead head;
    std::memset(&head, 0, sizeof head);
    head.nTransCode = code;
    head.nCount = 1;
    const records::TransactionInfo* info = records::FindTransaction(code);
    head.nSubSystem = info ? info->nSubSystem : kSubSystemDefault;
    return head;
}

ScreenAnswer Transact(CBASEBASE& screen, int16_t code, const void* body, std::size_t length) {
    ScreenAnswer answer;
    _PacketHead head = ScreenHead(code);
    if (int r = screen.SendPacket(&head, static_cast<const char*>(body), static_cast<int>(length))) {
        answer.outcome = Outcome::SendFailed;
        answer.result = r;
        return answer;
    }
    std::memset(&head, 0, sizeof head);
    char* buffer = nullptr;
    int received = 0;
    int r = screen.RecvPacket(&head, &buffer, &received);
    answer.body.reset(buffer);
    answer.head = head;
    answer.count = head.nCount;
    if (r == 0 && head.nTransCode != code) r = kChannelReceiveFailed;  // an answer to something else
    if (r != 0) {
        answer.outcome = Outcome::ReceiveFailed;
        answer.result = r;
        return answer;
    }
    if (head.cStatus != 0) {
        answer.outcome = Outcome::Refused;
        return answer;
    }
    // An answer that announces more records than it carries is a broken receive.
    if (!mgr::AnswerFits(code, head.nCount, buffer, static_cast<std::size_t>(received))) {
        answer.outcome = Outcome::ReceiveFailed;
        answer.result = kChannelReceiveFailed;
        return answer;
    }
    answer.outcome = Outcome::Ok;
    return answer;
}

void ShowFailure(CBASEBASE& screen, int16_t code, const ScreenAnswer& answer) {
    switch (answer.outcome) {
        case Outcome::Ok: return;
        case Outcome::SendFailed:
        case Outcome::ReceiveFailed: screen.DispErrBox(answer.result); return;
        case Outcome::Refused: {
            const records::TransactionInfo* info = records::FindTransaction(code);
            if (info && info->kind == records::TransKind::ScreenQuery)
                screen.DispErrBox(0);
            else
                screen.DispRefusal(code, records::kOpInsert, answer.head.cStatus);  // these requests carry 0
            return;
        }
    }
}

bool AnswerLost(const ScreenAnswer& answer) {
    return answer.outcome == Outcome::ReceiveFailed &&
           (answer.result == kChannelAnswerLost || answer.result == kChannelAnswerLostOffline);
}

bool ServerUnreached(const ScreenAnswer& answer) {
    return (answer.outcome == Outcome::SendFailed && answer.result == kChannelUnreachable) ||
           (answer.outcome == Outcome::ReceiveFailed && answer.result == kChannelAnswerLostOffline);
}

void ShowTransportFailure(CBASEBASE& screen, const ScreenAnswer& answer) {
    const bool sent = answer.outcome == Outcome::ReceiveFailed;
    if ((!sent && answer.result == kChannelUnreachable) || AnswerLost(answer))
        screen.DispErrBox(answer.result);
    else
        screen.MessageBox(sent ? "接收数据包失败" : "发送数据包失败!", nullptr, MB_OK);
}

void PutUserCode(char (&field)[21]) {
    text::PutRawField(
        field, sizeof field,
        text::GetRawField(CBASEBASE::m_stLoginUserInfo.szUserCode, sizeof CBASEBASE::m_stLoginUserInfo.szUserCode));
}

}  // namespace kel::screens
