// Reading request fields and writing answer records.
//
// Every text field of a request must end with a NUL inside its width and hold
// valid GBK before it; letters are one printable ASCII character or NUL; reals
// must be finite. Anything else ends the request with kBadRequest. Answers are
// built record by record into the answer body, texts converted to GBK and cut to
// the field's width at a character boundary.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "server/Status.h"

namespace kel::server::wire {

// Text of a field as UTF-8. `maxBytes` limits the GBK length (defaults to width - 1).
std::string Text(const char* field, std::size_t width, const char* what, std::size_t maxBytes);

template <std::size_t N>
std::string Text(const char (&field)[N], const char* what, std::size_t maxBytes = N - 1) {
    return Text(field, N, what, maxBytes);
}

// A code or key: a text without control characters, which would end a log or an
// audit line inside it ("X\nY"). Returns `s`.
std::string Code(std::string s, const char* what);
template <std::size_t N>
std::string Code(const char (&field)[N], const char* what, std::size_t maxBytes = N - 1) {
    return Code(Text(field, N, what, maxBytes), what);
}

// A text that must not be empty: a key or a name, without control characters.
template <std::size_t N>
std::string Required(const char (&field)[N], const char* what, std::size_t maxBytes = N - 1) {
    std::string s = Code(field, what, maxBytes);
    if (s.empty()) BadRequest(std::string(what) + " is empty");
    return s;
}

// True when `s` is `length` upper-case letters or digits: the shape of a new code.
bool IsCodeShape(std::string_view s, std::size_t length);

// A one-character field: "" for NUL, else the character.
std::string Letter(char c, const char* what);

double Real(double v, const char* what);
// A float field is taken as its shortest decimal (0.3f is 0.3, not 0.300000011920929).
double Real(float v, const char* what);

// A numeric key sent as decimal text.
int32_t Key(const char* field, std::size_t width, const char* what);
template <std::size_t N>
int32_t Key(const char (&field)[N], const char* what) {
    return Key(field, N, what);
}

// A date "YYYYMMDD" that exists; "" passes when `optional`.
std::string Date(const char (&field)[9], const char* what, bool optional);
// A year and month "YYYYMM".
std::string YearMonth(const char (&field)[7], const char* what);

// A packed record copied out of the body at `offset` (the body may be unaligned).
template <class R>
R Load(std::string_view body, std::size_t offset = 0) {
    R r;
    std::memcpy(&r, body.data() + offset, sizeof(R));
    return r;
}

// Writes UTF-8 text into a field: GBK, cut to width - 1 bytes at a character
// boundary, NUL-padded. Text GBK cannot hold leaves the field empty.
void Put(char* field, std::size_t width, std::string_view utf8);
template <std::size_t N>
void Put(char (&field)[N], std::string_view utf8) {
    Put(field, N, utf8);
}

inline char LetterOf(std::string_view s) { return s.empty() ? '\0' : s.front(); }

// The answer body under construction.
class Answer {
public:
    explicit Answer(std::vector<char>& body) : body_(body) {}

    // Appends one zeroed record and counts it. The reference is valid until the next Add.
    template <class R>
    R& Add() {
        const std::size_t at = body_.size();
        body_.resize(at + sizeof(R));
        ++count_;
        return *reinterpret_cast<R*>(body_.data() + at);  // packed records: alignment 1
    }

    // Appends bytes that are not counted as a record.
    void Raw(const void* data, std::size_t size);

    void Reserve(std::size_t bytes) { body_.reserve(bytes); }
    std::size_t Count() const { return count_; }
    void SetCount(std::size_t n) { count_ = n; }
    std::size_t Size() const { return body_.size(); }

private:
    std::vector<char>& body_;
    std::size_t count_ = 0;
};

}  // namespace kel::server::wire
