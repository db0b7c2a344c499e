// Bodies of the transactions that screens build themselves: the treaty order
// (134..138), the prompt settings (163, 164) and the detail information items
// (165..167). The reinsurer look-up (3019) carries a _RICompanyStruct.
//
// Packed, little-endian; texts GBK, NUL-terminated, zero-padded. Shared with
// the server: include nothing but the standard integer headers here.
#pragma once

#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)

// ---- treaty order ------------------------------------------------------

// One treaty of a month's order (answer of 134).
struct _ContOrderStruct {
    int32_t nPriority;        // 优先级
    char szContCode[3];       // treaty code
    char szContName[61];      // treaty name
    char szContTypeName[64];  // treaty type text
};

// 134: load a month's order.
struct _OrderMonthBody {
    char szYearMonth[7];  // at most 6 characters
};

// 135: delete one treaty from a month's order.
struct _OrderDeleteBody {
    char szContCode[3];
    char szYearMonth[7];
};

// 136: move one treaty up or down.
struct _OrderMoveBody {
    char szContCode[3];
    char szYearMonth[7];
    char cDirection;  // 'U' up, 'D' down
};

// 137: add one treaty to a month's order.
struct _OrderAddBody {
    char szContCode[3];
    char szYearMonth[7];
    char szReserved[2];  // zero
    int32_t nOrderNo;    // order number, 0 when the user gave none
};

// 138: copy a month's order to a new month.
struct _OrderCopyBody {
    char szSrcYearMonth[7];
    char szNewYearMonth[7];
};

inline constexpr char kMoveUp = 'U';
inline constexpr char kMoveDown = 'D';

// ---- prompts and detail information ------------------------------------

// 163, 165, 166: the logged-in user's code (at most 20 characters).
struct _UserCodeBody {
    char szUserCode[21];
};

// 164 request: switch one prompt type on or off. Also the record of the
// 163 answer, where only cPromptType is read: a record means "switched on".
struct _PromptSetStruct {
    char szUserCode[21];
    char cPromptType;  // 'A'..'E'
    char cAction;      // 'A' switch on, 'D' switch off
};

inline constexpr char kPromptOn = 'A';
inline constexpr char kPromptOff = 'D';

// One item waiting for the user (answer record of 166).
struct _DetailInfoStruct {
    char szDocNo[31];  // document number
    char cDocType;     // document type letter
    char cPromptType;  // prompt type letter, 'B' = facultative business
    char szDescription[200];
    char szItemKey[11];
};

// 167: act on one detail information item.
struct _DetailActBody {
    char szItemKey[11];
    char szUserCode[21];
};

#pragma pack(pop)

static_assert(sizeof(_ContOrderStruct) == 132);
static_assert(offsetof(_ContOrderStruct, nPriority) == 0);
static_assert(offsetof(_ContOrderStruct, szContCode) == 4);
static_assert(offsetof(_ContOrderStruct, szContName) == 7);
static_assert(offsetof(_ContOrderStruct, szContTypeName) == 68);

static_assert(sizeof(_OrderMonthBody) == 7);
static_assert(offsetof(_OrderMonthBody, szYearMonth) == 0);

static_assert(sizeof(_OrderDeleteBody) == 10);
static_assert(offsetof(_OrderDeleteBody, szContCode) == 0);
static_assert(offsetof(_OrderDeleteBody, szYearMonth) == 3);

static_assert(sizeof(_OrderMoveBody) == 11);
static_assert(offsetof(_OrderMoveBody, szContCode) == 0);
static_assert(offsetof(_OrderMoveBody, szYearMonth) == 3);
static_assert(offsetof(_OrderMoveBody, cDirection) == 10);

static_assert(sizeof(_OrderAddBody) == 16);
static_assert(offsetof(_OrderAddBody, szContCode) == 0);
static_assert(offsetof(_OrderAddBody, szYearMonth) == 3);
static_assert(offsetof(_OrderAddBody, szReserved) == 10);
static_assert(offsetof(_OrderAddBody, nOrderNo) == 12);

static_assert(sizeof(_OrderCopyBody) == 14);
static_assert(offsetof(_OrderCopyBody, szSrcYearMonth) == 0);
static_assert(offsetof(_OrderCopyBody, szNewYearMonth) == 7);

static_assert(sizeof(_UserCodeBody) == 21);
static_assert(offsetof(_UserCodeBody, szUserCode) == 0);

static_assert(sizeof(_PromptSetStruct) == 23);
static_assert(offsetof(_PromptSetStruct, szUserCode) == 0);
static_assert(offsetof(_PromptSetStruct, cPromptType) == 21);
static_assert(offsetof(_PromptSetStruct, cAction) == 22);

static_assert(sizeof(_DetailInfoStruct) == 244);
static_assert(offsetof(_DetailInfoStruct, szDocNo) == 0);
static_assert(offsetof(_DetailInfoStruct, cDocType) == 31);
static_assert(offsetof(_DetailInfoStruct, cPromptType) == 32);
static_assert(offsetof(_DetailInfoStruct, szDescription) == 33);
static_assert(offsetof(_DetailInfoStruct, szItemKey) == 233);

static_assert(sizeof(_DetailActBody) == 32);
static_assert(offsetof(_DetailActBody, szItemKey) == 0);
static_assert(offsetof(_DetailActBody, szUserCode) == 11);
