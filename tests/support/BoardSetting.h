// The board's ShareDir setting in the current user's registry, written by tests and put back after.
#pragma once

#ifdef _WIN32
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace vireziriv::test {

// Saves the user's setting (or its absence) and puts it back when destroyed.
class SavedBoardSetting {
public:
    SavedBoardSetting();
    ~SavedBoardSetting();
    SavedBoardSetting(const SavedBoardSetting&) = delete;
    SavedBoardSetting& operator=(const SavedBoardSetting&) = delete;

private:
    struct Value {
        DWORD type;
        std::vector<BYTE> data;
    };
    bool parentExisted_ = false;
    bool keyExisted_ = false;
    std::optional<Value> saved_;
};

// Writes ShareDir with exactly these bytes (a string's terminating NUL included only if given).
// Returns false when the registry refuses.
bool WriteBoardSetting(DWORD type, const std::string& bytes);
bool DeleteBoardSettingValue();
bool DeleteBoardSettingKey();

}  // namespace vireziriv::test
#endif
