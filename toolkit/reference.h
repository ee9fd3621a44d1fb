// Reference counting of toolkit objects: created with one reference; remember adds one,
// forget drops one and deletes the object with the last.
#pragma once

#include <cstdint>

namespace VSTGUI {

class CBaseObject {
public:
    CBaseObject() = default;
    CBaseObject(const CBaseObject&) = delete;
    CBaseObject& operator=(const CBaseObject&) = delete;

    void remember() { ++references_; }
    void forget() {
        if (--references_ == 0) delete this;
    }
    int32_t getNbReference() const { return references_; }

protected:
    virtual ~CBaseObject() = default;

private:
    int32_t references_ = 1;
};

}  // namespace VSTGUI
