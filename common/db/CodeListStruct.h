// One row of a code-list query as CBASEBASE::GetCodeListDataTable hands it out.
#pragma once

#include <cstddef>

#pragma pack(push, 1)

// 480 bytes. GBK texts, NUL-terminated and zero-padded:
//   offset 0,  32 bytes: the first selected column (a code: at most 31 bytes)
//   offset 32, 448 bytes: the second selected column (a name: at most 447 bytes)
// A longer text is cut at a character boundary. With a column count of 1 the
// second field stays zero.
struct _CodeListStruct {
    char szCode[32];
    char szName[448];
};

#pragma pack(pop)

static_assert(sizeof(_CodeListStruct) == 480);
static_assert(offsetof(_CodeListStruct, szCode) == 0);
static_assert(offsetof(_CodeListStruct, szName) == 32);
