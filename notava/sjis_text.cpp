#include "sjis_text.h"

#include <iconv.h>

#include <cerrno>
#include <memory>

namespace {

constexpr std::string_view REPLACEMENT_CHARACTER = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

struct IconvCloser {
    void operator()(iconv_t* handle) const {
        iconv_close(*handle);
        delete handle;
    }
};

// Converts `input`; on an invalid or incomplete sequence appends `replacement`
// and skips one byte, or gives up when there is no replacement.
std::optional<std::string> convert(const char* from, const char* to, std::string_view input,
                                   std::optional<std::string_view> replacement) {
    iconv_t raw = iconv_open(to, from);
    if (raw == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    const std::unique_ptr<iconv_t, IconvCloser> handle(new iconv_t(raw));

    std::string output;
    char* in = const_cast<char*>(input.data());  // iconv's signature; it does not write
    std::size_t inLeft = input.size();
    char buffer[256];
    while (inLeft > 0) {
        char* out = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t result = iconv(raw, &in, &inLeft, &out, &outLeft);
        output.append(buffer, out);
        if (result != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
        if (!replacement) return std::nullopt;
        output.append(*replacement);
        ++in;
        --inLeft;
    }
    return output;
}

}  // namespace

std::string sjisToUtf8(std::string_view sjis) {
    return convert("CP932", "UTF-8", sjis, REPLACEMENT_CHARACTER).value_or(std::string{});
}

std::optional<std::string> utf8ToSjis(std::string_view utf8) {
    return convert("UTF-8", "CP932", utf8, std::nullopt);
}
