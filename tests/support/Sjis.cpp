// UTF-8 to code page 932 for test texts.
#include "support/Sjis.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

#include <stdexcept>

namespace vireziriv::test {

std::string Sjis(std::string_view utf8) {
    if (utf8.empty()) return {};
#ifdef _WIN32
    const int wn = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                                       nullptr, 0);
    if (wn <= 0) throw std::runtime_error("not UTF-8");
    std::wstring wide(static_cast<std::size_t>(wn), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), wn);
    BOOL lossy = FALSE;
    const int n = WideCharToMultiByte(932, 0, wide.data(), wn, nullptr, 0, nullptr, &lossy);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(932, 0, wide.data(), wn, out.data(), n, nullptr, &lossy);
    if (lossy) throw std::runtime_error("not representable in code page 932");
    return out;
#else
    const iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv has no CP932");
    std::string out(utf8.size() * 2, '\0');
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char* to = out.data();
    std::size_t toLeft = out.size();
    const std::size_t rc = iconv(cd, &in, &inLeft, &to, &toLeft);
    iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1)) throw std::runtime_error("not representable in code page 932");
    out.resize(out.size() - toLeft);
    return out;
#endif
}

}  // namespace vireziriv::test
