// The listing driver.
#include "listing/VLListupUnit.h"

#include "args/VLArgsUnit.h"
#include "listing/LineFormat.h"

namespace vireziriv {

TVeltoPersonsList& TVLListup::GetPersons() {
    if (!persons_) persons_ = std::make_unique<TVeltoPersonsList>(env_);
    return *persons_;
}

void TVLListup::Execute(platform::StandardOutput& out) {
    const TOstrelArgs& switches = TVLArgs::GetInstance();
    TVeltoPersonsList& persons = GetPersons();
    if (persons.Count() == 0) return;  // no switch is examined
    // Resolved once, not per person: a board may hold 100,000 of them.
    LineFormat format(switches);
    for (int i = 0; i < persons.Count(); ++i) format.Write(persons.Items(i), out);
}

}  // namespace vireziriv
