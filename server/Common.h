// Small pieces several handlers share.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/db/Database.h"
#include "server/Limits.h"

namespace kel::server {

// The treaty type text of a type letter ("" for an unknown letter).
std::string_view TreatyTypeText(std::string_view letter);
inline constexpr std::string_view kTreatyTypeLetters = "ACDEFGH";

// Adds one to the revision of the data a treaty's details are generated from.
void TouchTreatyData(kel::db::Connection& db, int32_t contId);

// Refuses (kRefused) unless the treaty data record exists.
void RequireTreatyData(kel::db::Connection& db, int32_t contId);

// A stored date YYYYMMDD (month YYYYMM) as the clerk reads it: 2023/01/01 (2023/01).
// Any other text is returned as it is.
std::string ShownDate(const std::string& yyyymmdd);
std::string ShownMonth(const std::string& yyyymm);

// Texts removed of trailing blanks.
std::string TrimRight(std::string s);

// A decimal number held as text (the share texts); false when the text, blanks
// around it allowed, is not a finite number.
bool ParseNumber(std::string_view text, double& value);

// Refuses (kRefused) unless the product exists in t_prd_prod.
void RequireProduct(kel::db::Connection& db, const std::string& code);

// Regenerates the treaty details of one treaty data record, each line stored with
// `version` (server/Versions.h); returns the lines written. With `limits`, refuses
// (kRefused) a generation of more lines than they allow, before writing any, or
// one still writing at `deadline`.
int GenerateDetails(kel::db::Connection& db, int32_t contId, int64_t version = 0, const WorkLimits* limits = nullptr,
                    std::chrono::steady_clock::time_point deadline = {});

}  // namespace kel::server
