// The board's ShareDir setting in the current user's registry, written by tests and put back after.
#include "support/BoardSetting.h"

#ifdef _WIN32

namespace vireziriv::test {
namespace {

constexpr const char* kParentKey = "Software\\Ostrel";
constexpr const char* kKey = "Software\\Ostrel\\Velto";
constexpr const char* kValue = "ShareDir";

HKEY CreateKey() {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        return nullptr;
    }
    return key;
}

}  // namespace

SavedBoardSetting::SavedBoardSetting() {
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
            saved_ = Value{type, data};
        }
    }
    RegCloseKey(key);
}

SavedBoardSetting::~SavedBoardSetting() {
    if (!keyExisted_) {
        RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
        if (!parentExisted_) RegDeleteKeyA(HKEY_CURRENT_USER, kParentKey);
        return;
    }
    const HKEY key = CreateKey();
    if (!key) return;
    if (saved_) {
        RegSetValueExA(key, kValue, 0, saved_->type, saved_->data.data(), static_cast<DWORD>(saved_->data.size()));
    } else {
        RegDeleteValueA(key, kValue);
    }
    RegCloseKey(key);
}

bool WriteBoardSetting(DWORD type, const std::string& bytes) {
    const HKEY key = CreateKey();
    if (!key) return false;
    const LONG status = RegSetValueExA(key, kValue, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                       static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

bool DeleteBoardSettingValue() {
    const HKEY key = CreateKey();
    if (!key) return false;
    RegDeleteValueA(key, kValue);
    RegCloseKey(key);
    return true;
}

bool DeleteBoardSettingKey() { return RegDeleteKeyA(HKEY_CURRENT_USER, kKey) == ERROR_SUCCESS; }

}  // namespace vireziriv::test

#endif
