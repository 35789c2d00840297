#pragma once
// Move-only owners of the Windows handles and COM objects the Windows build uses.
#include <windows.h>

#include <objbase.h>
#include <ole2.h>
#include <oleauto.h>

#include <string>
#include <string_view>
#include <utility>

namespace win {

// A counted reference to a COM interface; releases it when it goes.
template <class T> class ComPtr {
  public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : m_ptr(std::exchange(other.m_ptr, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            m_ptr = std::exchange(other.m_ptr, nullptr);
        }
        return *this;
    }
    ~ComPtr() { reset(); }

    // Takes over a reference the caller already holds.
    static ComPtr adopt(T* ptr) {
        ComPtr result;
        result.m_ptr = ptr;
        return result;
    }

    T* get() const { return m_ptr; }
    T* operator->() const { return m_ptr; }
    explicit operator bool() const { return m_ptr != nullptr; }

    // Releases what is held and gives the slot for a call that hands out a new reference.
    T** put() {
        reset();
        return &m_ptr;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }

    void reset() {
        if (m_ptr)
            std::exchange(m_ptr, nullptr)->Release();
    }

    template <class U> ComPtr<U> query(REFIID iid) const {
        ComPtr<U> result;
        if (m_ptr)
            m_ptr->QueryInterface(iid, result.putVoid());
        return result;
    }

  private:
    T* m_ptr = nullptr;
};

// A kernel handle closed with CloseHandle (mutexes, files). Both null and INVALID_HANDLE_VALUE mean empty.
class UniqueHandle {
  public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE h) : m_handle(h) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset();
            m_handle = std::exchange(other.m_handle, nullptr);
        }
        return *this;
    }
    ~UniqueHandle() { reset(); }

    HANDLE get() const { return m_handle; }
    bool valid() const { return m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE; }
    void reset() {
        if (valid())
            CloseHandle(m_handle);
        m_handle = nullptr;
    }

  private:
    HANDLE m_handle = nullptr;
};

// A directory scan from FindFirstFileW, closed with FindClose.
class FindHandle {
  public:
    explicit FindHandle(HANDLE h) : m_handle(h) {}
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    FindHandle(FindHandle&& other) noexcept : m_handle(std::exchange(other.m_handle, INVALID_HANDLE_VALUE)) {}
    FindHandle& operator=(FindHandle&&) = delete;
    ~FindHandle() {
        if (valid())
            FindClose(m_handle);
    }
    HANDLE get() const { return m_handle; }
    bool valid() const { return m_handle != INVALID_HANDLE_VALUE; }

  private:
    HANDLE m_handle = INVALID_HANDLE_VALUE;
};

// COM for this thread, from construction to destruction.
class ComScope {
  public:
    explicit ComScope(DWORD model = COINIT_APARTMENTTHREADED) : m_hr(CoInitializeEx(nullptr, model)) {}
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    ~ComScope() {
        // S_FALSE (already initialised on this thread) must be balanced as well.
        if (SUCCEEDED(m_hr))
            CoUninitialize();
    }
    HRESULT result() const { return m_hr; }

  private:
    HRESULT m_hr;
};

// Puts this thread into a single-threaded apartment at the first call, for the rest of the run (left
// at exit): the scripting objects, the shell's shortcut objects, its verbs and the accessibility layer
// want one. Called just before them, so that a run that needs none of them never loads COM.
void enterApartment();

// A BSTR owned alone.
class Bstr {
  public:
    Bstr() = default;
    explicit Bstr(std::wstring_view text)
        : m_str(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    static Bstr adopt(BSTR s) {
        Bstr result;
        result.m_str = s;
        return result;
    }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    Bstr(Bstr&& other) noexcept : m_str(std::exchange(other.m_str, nullptr)) {}
    Bstr& operator=(Bstr&& other) noexcept {
        if (this != &other) {
            SysFreeString(m_str);
            m_str = std::exchange(other.m_str, nullptr);
        }
        return *this;
    }
    ~Bstr() { SysFreeString(m_str); }
    BSTR get() const { return m_str; }
    std::wstring text() const { return m_str ? std::wstring(m_str, SysStringLen(m_str)) : std::wstring(); }

  private:
    BSTR m_str = nullptr;
};

// A VARIANT cleared when it goes (strings freed, interfaces released).
class Variant {
  public:
    Variant() { VariantInit(&m_var); }
    explicit Variant(std::wstring_view text) : Variant() {
        m_var.vt = VT_BSTR;
        m_var.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    Variant(Variant&& other) noexcept : Variant() { std::swap(m_var, other.m_var); }
    Variant& operator=(Variant&& other) noexcept {
        if (this != &other) {
            VariantClear(&m_var);
            m_var = other.m_var;
            VariantInit(&other.m_var);
        }
        return *this;
    }
    ~Variant() { VariantClear(&m_var); }

    VARIANT* get() { return &m_var; }
    const VARIANT* get() const { return &m_var; }
    VARIANT* put() {
        VariantClear(&m_var);
        return &m_var;
    }
    VARTYPE type() const { return m_var.vt; }

    // The value as text, converted the way the automation run-time converts; empty when it cannot be.
    std::wstring asText() const;
    // The value as a whole number, or `fallback` when it cannot be converted.
    long asLong(long fallback) const;
    // The IDispatch inside (VT_DISPATCH, or VT_UNKNOWN that offers it), with a reference of its own.
    ComPtr<IDispatch> asDispatch() const;

  private:
    VARIANT m_var;
};

} // namespace win
