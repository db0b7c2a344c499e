// A record's fields as bytes: where a member lies and how a value is read from or
// written to it. The client's field tables and the server's column tables both
// describe a record by its members' offsets and sizes; this is their one way to
// reach the bytes.
#pragma once

#include <cstddef>
#include <cstring>
#include <type_traits>

namespace kel::records {

// Where the member lies in the record and how many bytes it takes.
struct MemberBytes {
    std::size_t offset;
    std::size_t size;
};

template <class R, class M>
MemberBytes BytesOf(M R::*member) {
    static_assert(std::is_trivially_copyable_v<R> && std::is_standard_layout_v<R>, "a wire record");
    static const R probe{};
    const auto* base = reinterpret_cast<const char*>(&probe);
    const auto* at = reinterpret_cast<const char*>(&(probe.*member));
    return {static_cast<std::size_t>(at - base), sizeof(M)};
}

// Packed records: a field may sit at any address, so it is copied, never cast.
template <class T>
T ReadAs(const char* record, std::size_t offset) {
    static_assert(std::is_trivially_copyable_v<T>);
    T value;
    std::memcpy(&value, record + offset, sizeof value);
    return value;
}

template <class T>
void WriteAs(char* record, std::size_t offset, T value) {
    static_assert(std::is_trivially_copyable_v<T>);
    std::memcpy(record + offset, &value, sizeof value);
}

}  // namespace kel::records
