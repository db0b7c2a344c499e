// CBaseMgr: the base of every data manager. It sends a manager's request through
// its owner screen's channel, receives the answer, checks the status byte and
// reports failures the way the user sees them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>

#include "common/records/Records.h"
#include "common/records/TransactionCodes.h"

class CBASEBASE;

namespace kel::mgr {

// Memory for request bodies and owned record arrays. The allocator can be
// replaced (tests refuse memory with it); it returns the previous one.
using Allocator = void* (*)(std::size_t);
Allocator SetAllocator(Allocator allocator);
void* Allocate(std::size_t bytes);

// True when an answer of transaction `code` with head count `count` and this
// body holds every record it announces (count not negative, body long enough).
// Codes without a record layout pass when the count is not negative.
bool AnswerFits(int code, int count, const char* body, std::size_t length);

// A malloc'ed array of fixed-width records with its count, owned by a manager.
template <class T>
class RecordArray {
public:
    RecordArray() = default;
    ~RecordArray() { std::free(m_pData); }
    RecordArray(const RecordArray&) = delete;
    RecordArray& operator=(const RecordArray&) = delete;
    RecordArray(RecordArray&& other) noexcept { Swap(other); }
    RecordArray& operator=(RecordArray&& other) noexcept {
        RecordArray(std::move(other)).Swap(*this);
        return *this;
    }

    int Count() const { return m_nCount; }
    bool Empty() const { return m_nCount == 0; }
    T* Data() { return m_pData; }
    const T* Data() const { return m_pData; }
    T& operator[](int i) { return m_pData[i]; }
    const T& operator[](int i) const { return m_pData[i]; }
    std::size_t Bytes() const { return static_cast<std::size_t>(m_nCount) * sizeof(T); }

    // Replaces the records by a copy of `count` records. On a bad count or when
    // memory cannot be had it returns false and keeps what it held.
    bool Assign(const T* records, int count) {
        if (count < 0 || (count > 0 && !records)) return false;
        RecordArray fresh;
        if (count > 0) {
            fresh.m_pData = static_cast<T*>(Allocate(static_cast<std::size_t>(count) * sizeof(T)));
            if (!fresh.m_pData) return false;
            std::memcpy(fresh.m_pData, records, static_cast<std::size_t>(count) * sizeof(T));
            fresh.m_nCount = count;
        }
        Swap(fresh);
        return true;
    }
    void Clear() { RecordArray().Swap(*this); }
    void Swap(RecordArray& other) noexcept {
        std::swap(m_pData, other.m_pData);
        std::swap(m_nCount, other.m_nCount);
    }

private:
    T* m_pData = nullptr;
    int m_nCount = 0;
};

}  // namespace kel::mgr

class CBaseMgr {
public:
    explicit CBaseMgr(CBASEBASE* pOwner);

    // Slot order matters to the callers: Update, Select, Delete, Insert, destructor.
    virtual bool Update();
    virtual bool Select(char* body, int* count);
    virtual bool Delete();
    virtual bool Insert();
    virtual ~CBaseMgr();

    CBaseMgr(const CBaseMgr&) = delete;
    CBaseMgr& operator=(const CBaseMgr&) = delete;

    // Sends a command and reads its answer head. A failed send is shown as
    // "发送数据包失败!", a failed receive (an answer to another transaction code
    // too) with DispErrBox, a non-zero status with DispRefusal; each returns false.
    bool ExecCommand(_PacketHead head, const char* body, int len);
    // Sends a query; on true *answer is a malloc'ed body the caller frees and
    // *count the answer's record count. Every failure is shown with DispErrBox;
    // an answer carrying another transaction code is a failed receive.
    bool ExecQuery(_PacketHead head, const char* body, int len, char** answer, int* count);
    // The same, except that an answer refused with `quietStatus` is not shown: the
    // caller tells the user in its own words. *status is the answer's status (0
    // when none came).
    bool ExecQuery(_PacketHead head, const char* body, int len, char** answer, int* count, int quietStatus,
                   int* status);

protected:
    // A request head: zero-filled, then code, count 1, subsystem 82, operation.
    static _PacketHead MakeHead(int16_t code, int32_t operation = kel::records::kOpInsert);

    struct BodyPart {
        const void* data;
        std::size_t size;
    };
    // Sends a command whose body is the parts one after another in one
    // zero-filled buffer. Without memory: false, nothing sent, no message.
    bool ExecCommandParts(_PacketHead head, std::initializer_list<BodyPart> parts);
    // The multi-record command: the fixed part, then `count` records, count in
    // the head. More records than the head can carry are refused with a message.
    bool ExecRecords(_PacketHead head, const void* fixed, std::size_t fixedSize, const void* records, int count,
                     std::size_t recordSize);
    // A key of `width` bytes holding `id` as decimal text. An id that does not
    // fit is refused with a message; returns false then.
    bool MakeDecimalKey(char* key, std::size_t width, int32_t id);

    // Shows a plain notice (OK button, no icon) on the owner.
    void Notify(const char* text);

    CBASEBASE* const m_pOwner;
};
