// The host's shared database connection and the variant-to-text helper, the
// counterparts of the common library's static-database and variant functions.
#pragma once

#include <memory>

#include "common/db/Database.h"
#include "host/win/CString.h"

// The connection the host opened (null before that). Host and module share it.
kel::db::Connection* GetStaticDatabase();
void SetStaticDatabase(std::shared_ptr<kel::db::Connection> connection);

// The value as text: integers in decimal, reals in their shortest form, NULL empty.
void OleVar2Str(CString* out, const kel::db::Value& value);
