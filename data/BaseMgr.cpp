#include "data/BaseMgr.h"

#include <atomic>
#include <climits>

#include "common/net/Channel.h"
#include "common/records/AnswerStatus.h"
#include "common/records/TransactionCodes.h"
#include "host/qxcommon/BaseBase.h"

namespace kel::mgr {
namespace {
void* DefaultAllocate(std::size_t bytes) { return std::malloc(bytes == 0 ? 1 : bytes); }
std::atomic<Allocator> g_allocator{&DefaultAllocate};
}  // namespace

Allocator SetAllocator(Allocator allocator) { return g_allocator.exchange(allocator ? allocator : &DefaultAllocate); }

void* Allocate(std::size_t bytes) { return g_allocator.load()(bytes); }

bool AnswerFits(int code, int count, const char* body, std::size_t length) {
    using records::AnswerRule;
    const records::TransactionInfo* info = records::FindTransaction(code);
    if (info && info->answerRule == AnswerRule::ContSubLists) {
        // The head count is not used: the 120-byte block counts the three lists.
        if (!body || length < sizeof(_ContSubListHead)) return false;
        _ContSubListHead block;
        std::memcpy(&block, body, sizeof block);
        const auto size = records::ContSubListsSize(block.nReinsCount, block.nRiskCount, block.nExtraCount, false);
        return size && length >= *size;
    }
    if (count < 0) return false;
    if (info && info->answerRule == AnswerRule::Records)
        return length >= static_cast<std::size_t>(count) * info->nAnswerRecord;
    return true;
}

}  // namespace kel::mgr

CBaseMgr::CBaseMgr(CBASEBASE* pOwner) : m_pOwner(pOwner) {}

CBaseMgr::~CBaseMgr() = default;

bool CBaseMgr::Update() { return true; }
bool CBaseMgr::Select(char*, int*) { return true; }
bool CBaseMgr::Delete() { return true; }
bool CBaseMgr::Insert() { return true; }

_PacketHead CBaseMgr::MakeHead(int16_t code, int32_t operation) {
    _PacketHead head;
    std::memset(&head, 0, sizeof head);
    head.nTransCode = code;
    head.nCount = 1;
    head.nSubSystem = kSubSystemDefault;
    head.nOperation = operation;
    return head;
}

void CBaseMgr::Notify(const char* text) {
    if (m_pOwner) m_pOwner->MessageBox(text, nullptr, MB_OK);
}

bool CBaseMgr::ExecCommand(_PacketHead head, const char* body, int len) {
    if (!m_pOwner) return false;
    const int16_t code = head.nTransCode;
    const int32_t operation = head.nOperation;
    if (int r = m_pOwner->SendPacket(&head, body, len)) {
        // No server could be reached in time: say so rather than blame the packet.
        if (r == kel::kChannelUnreachable)
            m_pOwner->DispErrBox(r);
        else
            Notify("发送数据包失败!");
        return false;
    }
    // Every failure after the send is told once: a user cannot tell a silent
    // false from a button that does nothing.
    if (int r = m_pOwner->RecvPacket(&head)) {
        m_pOwner->DispErrBox(r);
        return false;
    }
    // An answer to another request says nothing about this one.
    if (head.nTransCode != code) {
        m_pOwner->DispErrBox(kel::kChannelReceiveFailed);
        return false;
    }
    if (head.cStatus != kel::records::kStatusOk) {
        m_pOwner->DispRefusal(code, operation, head.cStatus);
        return false;
    }
    return true;
}

bool CBaseMgr::ExecQuery(_PacketHead head, const char* body, int len, char** answer, int* count) {
    int status = 0;
    return ExecQuery(head, body, len, answer, count, kel::records::kStatusOk, &status);
}

bool CBaseMgr::ExecQuery(_PacketHead head, const char* body, int len, char** answer, int* count, int quietStatus,
                         int* status) {
    if (status) *status = kel::records::kStatusOk;
    if (answer) *answer = nullptr;
    if (count) *count = 0;
    if (!m_pOwner || !answer || !count) return false;
    const int code = head.nTransCode;
    if (int r = m_pOwner->SendPacket(&head, body, len)) {
        m_pOwner->DispErrBox(r);
        return false;
    }
    std::memset(&head, 0, sizeof head);
    char* buffer = nullptr;
    int length = 0;
    const int r = m_pOwner->RecvPacket(&head, &buffer, &length);
    if (r != 0) {
        std::free(buffer);
        m_pOwner->DispErrBox(r);
        return false;
    }
    // An answer to another request (a relabelled or stray frame) is not read.
    if (head.nTransCode != code) {
        std::free(buffer);
        m_pOwner->DispErrBox(kel::kChannelReceiveFailed);
        return false;
    }
    if (head.cStatus != kel::records::kStatusOk) {
        std::free(buffer);
        if (status) *status = head.cStatus;
        if (head.cStatus != quietStatus) m_pOwner->DispErrBox(0);
        return false;
    }
    // An answer that announces more than it carries is a broken receive:
    // nothing of it is read.
    if (!kel::mgr::AnswerFits(code, head.nCount, buffer, static_cast<std::size_t>(length))) {
        std::free(buffer);
        m_pOwner->DispErrBox(kel::kChannelReceiveFailed);
        return false;
    }
    *answer = buffer;
    *count = head.nCount;
    return true;
}

bool CBaseMgr::ExecCommandParts(_PacketHead head, std::initializer_list<BodyPart> parts) {
    std::size_t total = 0;
    for (const BodyPart& part : parts) {
        if (part.size > 0 && !part.data) return false;
        if (part.size > static_cast<std::size_t>(INT_MAX) - total) return false;
        total += part.size;
    }
    char* body = static_cast<char*>(kel::mgr::Allocate(total));
    if (!body) return false;
    std::memset(body, 0, total);
    std::size_t at = 0;
    for (const BodyPart& part : parts) {
        if (part.size > 0) std::memcpy(body + at, part.data, part.size);
        at += part.size;
    }
    const bool ok = ExecCommand(head, body, static_cast<int>(total));
    std::free(body);
    return ok;
}

bool CBaseMgr::ExecRecords(_PacketHead head, const void* fixed, std::size_t fixedSize, const void* records, int count,
                           std::size_t recordSize) {
    if (count < 0) return false;
    if (count > INT16_MAX) {
        Notify("记录数过多，无法发送!");
        return false;
    }
    head.nCount = static_cast<int16_t>(count);
    return ExecCommandParts(head, {{fixed, fixedSize}, {records, static_cast<std::size_t>(count) * recordSize}});
}

bool CBaseMgr::MakeDecimalKey(char* key, std::size_t width, int32_t id) {
    if (kel::records::PutDecimalKey(key, width, id)) return true;
    Notify("数据编号超出范围，无法发送!");
    return false;
}
