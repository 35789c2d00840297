#include "win32/Dispatch.h"

#include "win32/WideText.h"

#include <cstdio>

namespace win {

std::wstring systemText(HRESULT hr) {
    wchar_t* buffer = nullptr;
    DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text;
    if (n && buffer)
        text.assign(buffer, n);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' '))
        text.pop_back();
    return text;
}

namespace {

// Takes the three strings of an EXCEPINFO into owners and gives the best description in it.
ComResult fromException(HRESULT hr, EXCEPINFO& info) {
    if (info.pfnDeferredFillIn)
        info.pfnDeferredFillIn(&info);
    Bstr source = Bstr::adopt(info.bstrSource);
    Bstr description = Bstr::adopt(info.bstrDescription);
    Bstr help = Bstr::adopt(info.bstrHelpFile);
    if (info.scode != 0 && hr == DISP_E_EXCEPTION)
        hr = info.scode;
    return {hr, description.text()};
}

} // namespace

std::string ComResult::message() const {
    std::wstring text = description;
    if (text.empty())
        text = systemText(hr);
    if (text.empty()) {
        wchar_t number[32];
        std::swprintf(number, 32, L"エラー 0x%08lX", static_cast<unsigned long>(hr));
        text = number;
    }
    return toUtf8(text);
}

ComResult Dispatch::create(const wchar_t* progId, Dispatch& out) {
    enterApartment();
    CLSID clsid{};
    HRESULT hr = CLSIDFromProgID(progId, &clsid);
    if (FAILED(hr))
        return {hr, {}};
    ComPtr<IDispatch> object;
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                          object.putVoid());
    if (FAILED(hr))
        return {hr, {}};
    out = Dispatch(std::move(object));
    return {};
}

ComResult Dispatch::invokeId(DISPID id, WORD flags, std::vector<Variant>& reversedArgs, bool propertyPut,
                             VARIANT* result) const {
    if (!m_object)
        return {E_POINTER, {}};
    // The arguments are laid out contiguously for DISPPARAMS; Variant is a bare VARIANT inside.
    std::vector<VARIANT> raw;
    raw.reserve(reversedArgs.size());
    for (auto& arg : reversedArgs)
        raw.push_back(*arg.get());
    DISPID namedPut = DISPID_PROPERTYPUT;
    DISPPARAMS params{};
    params.rgvarg = raw.empty() ? nullptr : raw.data();
    params.cArgs = static_cast<UINT>(raw.size());
    if (propertyPut) {
        params.rgdispidNamedArgs = &namedPut;
        params.cNamedArgs = 1;
    }
    EXCEPINFO info{};
    UINT badArg = 0;
    HRESULT hr = m_object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, &info, &badArg);
    if (hr == DISP_E_EXCEPTION)
        return fromException(hr, info);
    return {hr, {}};
}

ComResult Dispatch::invoke(const wchar_t* name, WORD flags, std::vector<Variant>& reversedArgs,
                           bool propertyPut, VARIANT* result) const {
    if (!m_object)
        return {E_POINTER, {}};
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = m_object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr))
        return {hr, {}};
    return invokeId(id, flags, reversedArgs, propertyPut, result);
}

ComResult Dispatch::get(const wchar_t* name, Variant& out) const {
    std::vector<Variant> none;
    return invoke(name, DISPATCH_PROPERTYGET, none, false, out.put());
}

ComResult Dispatch::put(const wchar_t* name, Variant value) const {
    std::vector<Variant> args;
    args.push_back(std::move(value));
    return invoke(name, DISPATCH_PROPERTYPUT, args, true, nullptr);
}

ComResult Dispatch::call(const wchar_t* name, std::vector<Variant> args, Variant* out) const {
    // DISPPARAMS wants the last argument first.
    std::vector<Variant> reversed;
    reversed.reserve(args.size());
    for (auto it = args.rbegin(); it != args.rend(); ++it)
        reversed.push_back(std::move(*it));
    Variant ignored;
    return invoke(name, DISPATCH_METHOD, reversed, false, out ? out->put() : ignored.put());
}

ComResult Dispatch::forEach(std::vector<Dispatch>& items) const {
    std::vector<Variant> none;
    Variant enumerator;
    ComResult r =
        invokeId(DISPID_NEWENUM, DISPATCH_PROPERTYGET | DISPATCH_METHOD, none, false, enumerator.put());
    if (!r.ok())
        return r;
    ComPtr<IEnumVARIANT> walk;
    const VARIANT* raw = enumerator.get();
    HRESULT hr = E_NOINTERFACE;
    if ((raw->vt == VT_UNKNOWN || raw->vt == VT_DISPATCH) && raw->punkVal)
        hr = raw->punkVal->QueryInterface(IID_IEnumVARIANT, walk.putVoid());
    if (FAILED(hr) || !walk)
        return {FAILED(hr) ? hr : E_NOINTERFACE, {}};
    for (;;) {
        Variant item;
        ULONG fetched = 0;
        hr = walk->Next(1, item.put(), &fetched);
        if (FAILED(hr))
            return {hr, {}};
        if (hr != S_OK || fetched == 0)
            break;
        if (auto object = item.asDispatch())
            items.emplace_back(std::move(object));
    }
    return {};
}

} // namespace win
