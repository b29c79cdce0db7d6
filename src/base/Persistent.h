// The common base of the command's objects: a virtual Assign that refuses sources it does not know.
#pragma once

#include "base/Exceptions.h"

#include <string>

namespace vireziriv {

class TPersistent {
public:
    virtual ~TPersistent() = default;

    // Copies `source` into this object; a class overrides it for the sources it knows.
    virtual void Assign(const TPersistent& source) { source.AssignTo(*this); }

    virtual std::string ClassName() const { return "TPersistent"; }

protected:
    TPersistent() = default;
    TPersistent(const TPersistent&) = default;
    TPersistent& operator=(const TPersistent&) = default;

    virtual void AssignTo(const TPersistent& dest) const {
        throw EConvertError("Cannot assign a " + ClassName() + " to a " + dest.ClassName());
    }
};

}  // namespace vireziriv
