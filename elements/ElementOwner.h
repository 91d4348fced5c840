#pragma once
// What a display element asks of the window that holds it: whether it is being designed, the
// design grid, and whether the element itself is selected. The process window implements it;
// elements never know that window's class.

#include <cstdint>

struct CKSTValueElementSettings;

class IKSTElementOwner {
public:
    virtual bool IsDesignMode() const = 0;
    // At least 1 each.
    virtual int32_t GetGridStepX() const = 0;
    virtual int32_t GetGridStepY() const = 0;
    // element: the element object that asks.
    virtual bool IsElementSelected(const void* element) const = 0;
    // Runs the settings dialog of a numeric value (display type 0) or a lamp (1) on a copy of
    // the element's settings in the element's language; the dialog's result, 1 (OK) when the
    // copy holds the user's choice.
    virtual int EditValueSettings(CKSTValueElementSettings& settings, uint32_t language) = 0;

protected:
    ~IKSTElementOwner() = default;
};
