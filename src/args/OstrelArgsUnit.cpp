// The general switch list and its process-wide instance.
#include "args/OstrelArgsUnit.h"

#include "base/Exceptions.h"
#include "base/Texts.h"


namespace vireziriv {
TOstrelArgs::TOstrelArgs() {
    switches_.SetNameValueSeparator(':');
    switches_.SetQuoteChar('"');
}

TOstrelArgs& TOstrelArgs::GetInstance() {
    return Instance([] { return std::unique_ptr<TOstrelArgs>(new TOstrelArgs); });
}

// The one instance, whatever class made it; destroyed at process end.
std::unique_ptr<TOstrelArgs>& TOstrelArgs::Slot() {
    static std::unique_ptr<TOstrelArgs> instance;
    return instance;
}

TOstrelArgs& TOstrelArgs::Instance(Maker make) {
    std::unique_ptr<TOstrelArgs>& instance = Slot();
    if (!instance) {
        std::unique_ptr<TOstrelArgs> created = make();
        created->CreateInstance();
        instance = std::move(created);
    }
    return *instance;
}

std::unique_ptr<TOstrelArgs> TOstrelArgs::Create() { throw Exception(std::string(text::kUseGetInstance)); }

void TOstrelArgs::CreateInstance() {
    std::vector<std::string> arguments = arguments_();
    switches_.Reserve(static_cast<int>(arguments.size()));
    for (std::string& argument : arguments) switches_.Add(std::move(argument));
    Validate();
}

std::string TOstrelArgs::Values(std::string_view name) const { return switches_.Values(name); }

std::string TOstrelArgs::ValueFromIndex(int i) const { return switches_.ValueFromIndex(i); }

std::string_view TOstrelArgs::Names(int i) const {
    const std::string_view name = switches_.Names(i);
    return name.empty() ? std::string_view(switches_.Get(i)) : name;
}

bool TOstrelArgs::HasSwitch(std::string_view s) const {
    return switches_.IndexOfName(s) >= 0 || switches_.IndexOf(s) >= 0;
}

}  // namespace vireziriv
