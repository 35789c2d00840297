#include "win32/Handles.h"

namespace win {

void enterApartment() {
    static const ComScope apartment;
}

std::wstring Variant::asText() const {
    if (m_var.vt == VT_BSTR)
        return m_var.bstrVal ? std::wstring(m_var.bstrVal, SysStringLen(m_var.bstrVal)) : std::wstring();
    Variant copy;
    if (FAILED(VariantChangeType(copy.put(), const_cast<VARIANT*>(&m_var), 0, VT_BSTR)) ||
        copy.get()->vt != VT_BSTR)
        return {};
    return copy.asText();
}

long Variant::asLong(long fallback) const {
    if (m_var.vt == VT_I4)
        return m_var.lVal;
    Variant copy;
    if (FAILED(VariantChangeType(copy.put(), const_cast<VARIANT*>(&m_var), 0, VT_I4)) ||
        copy.get()->vt != VT_I4)
        return fallback;
    return copy.get()->lVal;
}

ComPtr<IDispatch> Variant::asDispatch() const {
    if (m_var.vt == VT_DISPATCH && m_var.pdispVal) {
        m_var.pdispVal->AddRef();
        return ComPtr<IDispatch>::adopt(m_var.pdispVal);
    }
    if (m_var.vt == VT_UNKNOWN && m_var.punkVal) {
        ComPtr<IDispatch> result;
        m_var.punkVal->QueryInterface(IID_IDispatch, result.putVoid());
        return result;
    }
    return {};
}

} // namespace win
