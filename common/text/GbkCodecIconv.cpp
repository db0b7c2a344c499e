// GBK through glibc iconv.
#include <iconv.h>

#include <cerrno>

#include "common/text/GbkCodec.h"

namespace kel::text::codec {
namespace {

// One iconv descriptor per direction and thread: descriptors carry shift state
// and must not be shared between threads.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (Ok()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool Ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts `in`. Returns true when all of it converted; `out` then holds the
    // result. On an invalid or unconvertible sequence returns false, `out` holds
    // what converted before it and `consumed` how many input bytes that took.
    bool Convert(std::string_view in, std::string& out, std::size_t* consumed = nullptr) {
        out.clear();
        if (consumed) *consumed = 0;
        if (!Ok()) return false;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // reset state
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        out.resize(in.size() * 2 + 8);
        std::size_t produced = 0;
        bool whole = true;
        while (srcLeft > 0) {
            char* dst = out.data() + produced;
            std::size_t dstLeft = out.size() - produced;
            const std::size_t rc = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            produced = out.size() - dstLeft;
            if (rc != static_cast<std::size_t>(-1)) break;
            if (errno == E2BIG) {
                out.resize(out.size() * 2);
                continue;
            }
            whole = false;  // EILSEQ or EINVAL (incomplete sequence at the end)
            break;
        }
        out.resize(produced);
        if (consumed) *consumed = in.size() - srcLeft;
        return whole;
    }

private:
    iconv_t cd_;
};

}  // namespace

bool Utf8ToGbk(std::string_view utf8, std::string& out, std::size_t* consumed) {
    thread_local Converter c("GBK", "UTF-8");
    return c.Convert(utf8, out, consumed);
}

bool GbkToUtf8(std::string_view gbk, std::string& out, std::size_t* consumed) {
    thread_local Converter c("UTF-8", "GBK");
    return c.Convert(gbk, out, consumed);
}

}  // namespace kel::text::codec
