#pragma once
// Late binding: an automation object created by programmatic identifier and called by member name.
#include "win32/Handles.h"

#include <string>
#include <vector>

namespace win {

// The system's text for an error code or HRESULT, without its line end; empty when it has none.
std::wstring systemText(HRESULT hr);

// The outcome of one call: the HRESULT and, on failure, the description the object gave.
struct ComResult {
    HRESULT hr = S_OK;
    std::wstring description;

    bool ok() const { return SUCCEEDED(hr); }
    // The description, else the system's text for the HRESULT, else the bare number; for the user.
    std::string message() const;
};

class Dispatch {
  public:
    Dispatch() = default;
    explicit Dispatch(ComPtr<IDispatch> object) : m_object(std::move(object)) {}

    // CLSIDFromProgID + CoCreateInstance (in-process or local server).
    static ComResult create(const wchar_t* progId, Dispatch& out);

    explicit operator bool() const { return static_cast<bool>(m_object); }
    IDispatch* get() const { return m_object.get(); }

    ComResult get(const wchar_t* name, Variant& out) const;
    ComResult put(const wchar_t* name, Variant value) const;
    // A method call; arguments in their natural order.
    ComResult call(const wchar_t* name, std::vector<Variant> args, Variant* out = nullptr) const;

    // The members of a collection through its _NewEnum enumerator, each as an object; members that
    // are not objects are skipped. Stops at the first failure and keeps what came before it.
    ComResult forEach(std::vector<Dispatch>& items) const;

  private:
    ComResult invoke(const wchar_t* name, WORD flags, std::vector<Variant>& reversedArgs, bool propertyPut,
                     VARIANT* result) const;
    ComResult invokeId(DISPID id, WORD flags, std::vector<Variant>& reversedArgs, bool propertyPut,
                       VARIANT* result) const;

    ComPtr<IDispatch> m_object;
};

} // namespace win
