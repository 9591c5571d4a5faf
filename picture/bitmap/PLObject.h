#pragma once

// Root of every class of the picture library.
class CPLObject {
public:
    virtual ~CPLObject() = default;
    // Validity hook for debugging; nothing to check in any class.
    virtual void CheckValid() const {}

protected:
    CPLObject() = default;
    CPLObject(const CPLObject&) = default;
    CPLObject& operator=(const CPLObject&) = default;
};
