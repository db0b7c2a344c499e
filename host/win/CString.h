// CString: the framework's string, here a UTF-8 std::string with the members the
// screens use. Lengths and positions count bytes, as the framework's multi-byte
// strings did.
#pragma once

#include <cstdarg>
#include <string>
#include <string_view>

class CString {
public:
    CString() = default;
    CString(const char* s) : m_s(s ? s : "") {}
    CString(const std::string& s) : m_s(s) {}
    CString(std::string&& s) : m_s(std::move(s)) {}
    CString(std::string_view s) : m_s(s) {}
    CString(char c, int count = 1) : m_s(count > 0 ? static_cast<size_t>(count) : 0, c) {}
    CString(const char* s, int length) : m_s(s ? std::string(s, static_cast<size_t>(length < 0 ? 0 : length)) : "") {}

    operator const char*() const { return m_s.c_str(); }
    const char* GetString() const { return m_s.c_str(); }
    const std::string& str() const { return m_s; }
    std::string& str() { return m_s; }

    int GetLength() const { return static_cast<int>(m_s.size()); }
    bool IsEmpty() const { return m_s.empty(); }
    void Empty() { m_s.clear(); }
    char GetAt(int i) const { return (i >= 0 && i < GetLength()) ? m_s[static_cast<size_t>(i)] : '\0'; }
    void SetAt(int i, char c) {
        if (i >= 0 && i < GetLength()) m_s[static_cast<size_t>(i)] = c;
    }
    char operator[](int i) const { return GetAt(i); }

    CString Left(int n) const;
    CString Right(int n) const;
    CString Mid(int first) const;
    CString Mid(int first, int count) const;

    int Find(char c, int start = 0) const;
    int Find(const char* s, int start = 0) const;
    int ReverseFind(char c) const;
    int Replace(const char* from, const char* to);
    int Replace(char from, char to);
    int Remove(char c);
    int Insert(int index, const char* s);
    int Delete(int index, int count = 1);

    CString& Trim();
    CString& TrimLeft();
    CString& TrimRight();
    CString& Trim(const char* chars);
    CString& TrimLeft(const char* chars);
    CString& TrimRight(const char* chars);
    CString& MakeUpper();
    CString& MakeLower();

    int Compare(const char* s) const { return m_s.compare(s ? s : ""); }
    int CompareNoCase(const char* s) const;

    // printf-style formatting; patterns such as "%-5.4f" behave exactly as printf.
    void Format(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    void FormatV(const char* fmt, va_list args);
    void AppendFormat(const char* fmt, ...) __attribute__((format(printf, 2, 3)));

    // Direct buffer access in the framework's manner.
    char* GetBuffer(int minLength);
    void ReleaseBuffer(int newLength = -1);

    CString& operator=(const char* s) {
        m_s = s ? s : "";
        return *this;
    }
    CString& operator=(const std::string& s) {
        m_s = s;
        return *this;
    }
    CString& operator=(char c) {
        m_s.assign(1, c);
        return *this;
    }
    CString& operator+=(const CString& s) {
        m_s += s.m_s;
        return *this;
    }
    CString& operator+=(const char* s) {
        m_s += (s ? s : "");
        return *this;
    }
    CString& operator+=(char c) {
        m_s += c;
        return *this;
    }

    friend CString operator+(const CString& a, const CString& b) { return CString(a.m_s + b.m_s); }
    friend CString operator+(const CString& a, const char* b) { return CString(a.m_s + (b ? b : "")); }
    friend CString operator+(const char* a, const CString& b) { return CString((a ? a : "") + b.m_s); }
    friend CString operator+(const CString& a, char b) { return CString(a.m_s + b); }
    friend bool operator==(const CString& a, const CString& b) { return a.m_s == b.m_s; }
    friend bool operator==(const CString& a, const char* b) { return a.m_s == (b ? b : ""); }
    friend bool operator!=(const CString& a, const CString& b) { return a.m_s != b.m_s; }
    friend bool operator!=(const CString& a, const char* b) { return a.m_s != (b ? b : ""); }
    friend bool operator<(const CString& a, const CString& b) { return a.m_s < b.m_s; }

private:
    std::string m_s;
};
