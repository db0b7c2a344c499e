// Section records: the sections of a treaty and the products of a section.
//
// Wire records: packed, little-endian, fixed width; texts GBK, NUL-terminated,
// zero-padded. Shared with the server: include nothing but the standard
// integer headers here.
#pragma once

#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)

// One section (answer of 191, body of 192).
struct _SectionStruct {
    int32_t nSectId;       // assigned by the server; 0 in an insert
    double dCommRate;      // 手续费率
    int32_t nContId;       // the treaty data record the section belongs to
    char szContCode[3];    // treaty code
    char szSectCode[3];    // section code (SECTION)
    char szSectName[114];  // section name
};

// One product of a section (answer of 193, records of 194).
struct _SectDetailStruct {
    int32_t nSectId;      // section identifier
    char szProdCode[5];   // 险种, at most 4 characters
    char szProdName[51];  // 险种名称, filled by the server, zero in requests
};

#pragma pack(pop)

static_assert(sizeof(_SectionStruct) == 136);
static_assert(offsetof(_SectionStruct, nSectId) == 0);
static_assert(offsetof(_SectionStruct, dCommRate) == 4);
static_assert(offsetof(_SectionStruct, nContId) == 12);
static_assert(offsetof(_SectionStruct, szContCode) == 16);
static_assert(offsetof(_SectionStruct, szSectCode) == 19);
static_assert(offsetof(_SectionStruct, szSectName) == 22);

static_assert(sizeof(_SectDetailStruct) == 60);
static_assert(offsetof(_SectDetailStruct, nSectId) == 0);
static_assert(offsetof(_SectDetailStruct, szProdCode) == 4);
static_assert(offsetof(_SectDetailStruct, szProdName) == 9);
