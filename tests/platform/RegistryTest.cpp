// The board's ShareDir setting read from the current user's registry: types, NULs and absences.
#include "platform/Registry.h"

#include "support/Sjis.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace vireziriv {
namespace {

constexpr const char* kParentKey = "Software\\Ostrel";
constexpr const char* kKey = "Software\\Ostrel\\Velto";
constexpr const char* kValue = "ShareDir";

// What the key held before the test: the value's type and bytes, if it had one.
struct SavedValue {
    DWORD type;
    std::vector<BYTE> data;
};

// Each test writes the setting itself; the user's own setting (or its absence) comes back afterwards.
class BoardShareDirSetting : public testing::Test {
protected:
    void SetUp() override {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kParentKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
            parentExisted_ = true;
            RegCloseKey(key);
        }
        keyExisted_ = RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) == ERROR_SUCCESS;
        if (!keyExisted_) return;
        DWORD type = 0;
        DWORD size = 0;
        if (RegQueryValueExA(key, kValue, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
            std::vector<BYTE> data(size);
            if (RegQueryValueExA(key, kValue, nullptr, &type, data.data(), &size) == ERROR_SUCCESS) {
                data.resize(size);
                saved_ = SavedValue{type, data};
            }
        }
        RegCloseKey(key);
    }

    void TearDown() override {
        if (!keyExisted_) {
            RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
            if (!parentExisted_) RegDeleteKeyA(HKEY_CURRENT_USER, kParentKey);
            return;
        }
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
            ERROR_SUCCESS) {
            return;
        }
        if (saved_) {
            RegSetValueExA(key, kValue, 0, saved_->type, saved_->data.data(), static_cast<DWORD>(saved_->data.size()));
        } else {
            RegDeleteValueA(key, kValue);
        }
        RegCloseKey(key);
    }

    // Writes the value with exactly these bytes (a string's terminating NUL included only if given).
    static void Write(DWORD type, const std::string& bytes) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        const LONG status = RegSetValueExA(key, kValue, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                           static_cast<DWORD>(bytes.size()));
        RegCloseKey(key);
        ASSERT_EQ(status, ERROR_SUCCESS);
    }

    static void DeleteValue() {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegDeleteValueA(key, kValue);
        RegCloseKey(key);
    }

private:
    bool parentExisted_ = false;
    bool keyExisted_ = false;
    std::optional<SavedValue> saved_;
};

TEST_F(BoardShareDirSetting, ReadsStringValues) {
    using namespace std::string_literals;
    struct Case {
        const char* what;
        DWORD type;
        std::string bytes;
        std::string expected;
    };
    const Case cases[] = {
        {"plain string", REG_SZ, "C:\\share\0"s, "C:\\share"},
        {"without its terminating NUL", REG_SZ, "C:\\share"s, "C:\\share"},
        {"with blanks", REG_SZ, "\\\\server\\My Share\\\0"s, "\\\\server\\My Share\\"},
        {"code page 932", REG_SZ, test::Sjis("C:\\共有\\表\0"s), test::Sjis("C:\\共有\\表")},
        {"expandable, not expanded", REG_EXPAND_SZ, "%TEMP%\\board\0"s, "%TEMP%\\board"},
        {"cut at its first NUL", REG_SZ, "C:\\a\0C:\\b\0"s, "C:\\a"},
        {"empty", REG_SZ, "\0"s, ""},
        {"number", REG_DWORD, "\x01\x02\x03\x04"s, ""},
        {"binary", REG_BINARY, "C:\\share"s, ""},
        {"several strings", REG_MULTI_SZ, "C:\\share\0\0"s, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Write(c.type, c.bytes);
        EXPECT_EQ(platform::ReadBoardShareDir(), c.expected);
    }
}

TEST_F(BoardShareDirSetting, MissingValueGivesEmpty) {
    DeleteValue();
    EXPECT_EQ(platform::ReadBoardShareDir(), "");
}

TEST_F(BoardShareDirSetting, MissingKeyGivesEmpty) {
    Write(REG_SZ, std::string("C:\\share\0", 9));
    ASSERT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, kKey), ERROR_SUCCESS);
    EXPECT_EQ(platform::ReadBoardShareDir(), "");
}

}  // namespace
}  // namespace vireziriv
