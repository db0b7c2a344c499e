#include "host/win/CString.h"

#include <strings.h>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {
constexpr const char* kBlanks = " \t\r\n";
size_t Clamp(int v, size_t max) { return v < 0 ? 0 : std::min(static_cast<size_t>(v), max); }
}  // namespace

CString CString::Left(int n) const { return CString(m_s.substr(0, Clamp(n, m_s.size()))); }

CString CString::Right(int n) const {
    size_t k = Clamp(n, m_s.size());
    return CString(m_s.substr(m_s.size() - k));
}

CString CString::Mid(int first) const {
    size_t f = Clamp(first, m_s.size());
    return CString(m_s.substr(f));
}

CString CString::Mid(int first, int count) const {
    size_t f = Clamp(first, m_s.size());
    return CString(m_s.substr(f, Clamp(count, m_s.size() - f)));
}

int CString::Find(char c, int start) const {
    if (start < 0 || static_cast<size_t>(start) > m_s.size()) return -1;
    auto p = m_s.find(c, static_cast<size_t>(start));
    return p == std::string::npos ? -1 : static_cast<int>(p);
}

int CString::Find(const char* s, int start) const {
    if (!s || start < 0 || static_cast<size_t>(start) > m_s.size()) return -1;
    auto p = m_s.find(s, static_cast<size_t>(start));
    return p == std::string::npos ? -1 : static_cast<int>(p);
}

int CString::ReverseFind(char c) const {
    auto p = m_s.rfind(c);
    return p == std::string::npos ? -1 : static_cast<int>(p);
}

int CString::Replace(const char* from, const char* to) {
    if (!from || !*from) return 0;
    std::string repl = to ? to : "";
    size_t flen = std::strlen(from);
    int count = 0;
    for (size_t p = m_s.find(from); p != std::string::npos; p = m_s.find(from, p + repl.size())) {
        m_s.replace(p, flen, repl);
        ++count;
    }
    return count;
}

int CString::Replace(char from, char to) {
    int count = 0;
    for (char& c : m_s)
        if (c == from) {
            c = to;
            ++count;
        }
    return count;
}

int CString::Remove(char c) {
    auto before = m_s.size();
    m_s.erase(std::remove(m_s.begin(), m_s.end(), c), m_s.end());
    return static_cast<int>(before - m_s.size());
}

int CString::Insert(int index, const char* s) {
    m_s.insert(Clamp(index, m_s.size()), s ? s : "");
    return GetLength();
}

int CString::Delete(int index, int count) {
    size_t i = Clamp(index, m_s.size());
    m_s.erase(i, Clamp(count, m_s.size() - i));
    return GetLength();
}

CString& CString::Trim() { return TrimRight().TrimLeft(); }
CString& CString::TrimLeft() { return TrimLeft(kBlanks); }
CString& CString::TrimRight() { return TrimRight(kBlanks); }
CString& CString::Trim(const char* chars) { return TrimRight(chars).TrimLeft(chars); }

CString& CString::TrimLeft(const char* chars) {
    auto p = m_s.find_first_not_of(chars);
    m_s.erase(0, p == std::string::npos ? m_s.size() : p);
    return *this;
}

CString& CString::TrimRight(const char* chars) {
    auto p = m_s.find_last_not_of(chars);
    m_s.erase(p == std::string::npos ? 0 : p + 1);
    return *this;
}

// Only ASCII letters change case: bytes of multi-byte characters are left alone.
CString& CString::MakeUpper() {
    for (char& c : m_s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return *this;
}

CString& CString::MakeLower() {
    for (char& c : m_s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return *this;
}

int CString::CompareNoCase(const char* s) const { return strcasecmp(m_s.c_str(), s ? s : ""); }

void CString::FormatV(const char* fmt, va_list args) {
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, fmt, copy);
    va_end(copy);
    if (n < 0) {
        m_s.clear();
        return;
    }
    std::vector<char> buf(static_cast<size_t>(n) + 1);
    std::vsnprintf(buf.data(), buf.size(), fmt, args);
    m_s.assign(buf.data(), static_cast<size_t>(n));
}

void CString::Format(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    FormatV(fmt, args);
    va_end(args);
}

void CString::AppendFormat(const char* fmt, ...) {
    CString tail;
    va_list args;
    va_start(args, fmt);
    tail.FormatV(fmt, args);
    va_end(args);
    m_s += tail.m_s;
}

char* CString::GetBuffer(int minLength) {
    if (minLength > GetLength()) m_s.resize(static_cast<size_t>(minLength), '\0');
    return m_s.data();
}

void CString::ReleaseBuffer(int newLength) {
    if (newLength < 0)
        m_s.resize(std::strlen(m_s.c_str()));
    else
        m_s.resize(Clamp(newLength, m_s.size()));
}
