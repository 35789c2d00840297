#include "win32/AccessibleName.h"

#include "win32/GuiHandles.h"
#include "win32/Handles.h"

#include <oleacc.h>

namespace win {
namespace {

// mingw-w64's IID_IAccessible, linked statically, comes out wrong under Wine.
constexpr IID kAccessible{0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

bool isSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

// The standard object of a control, all of it but its own name.
class NamedAccessible : public IAccessible {
  public:
    NamedAccessible(ComPtr<IAccessible> standard, std::wstring name)
        : m_standard(std::move(standard)), m_name(std::move(name)) {}
    NamedAccessible(const NamedAccessible&) = delete;
    NamedAccessible& operator=(const NamedAccessible&) = delete;
    virtual ~NamedAccessible() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, kAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(InterlockedIncrement(&m_references));
    }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&m_references);
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (!isSelf(child))
            return m_standard->get_accName(child, name);
        if (!name)
            return E_POINTER;
        *name = SysAllocString(m_name.c_str());
        return *name ? S_OK : E_OUTOFMEMORY;
    }

    // Everything else is the standard object's.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        return m_standard->GetTypeInfoCount(count);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
        return m_standard->GetTypeInfo(index, locale, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override {
        return m_standard->GetIDsOfNames(iid, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception, UINT* wrong) override {
        return m_standard->Invoke(id, iid, locale, flags, parameters, result, exception, wrong);
    }
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        return m_standard->get_accParent(parent);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
        return m_standard->get_accChildCount(count);
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        return m_standard->get_accChild(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return m_standard->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
        return m_standard->get_accDescription(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        return m_standard->get_accRole(child, role);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        return m_standard->get_accState(child, state);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return m_standard->get_accHelp(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
        return m_standard->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        return m_standard->get_accKeyboardShortcut(child, shortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        return m_standard->get_accFocus(focus);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        return m_standard->get_accSelection(selection);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return m_standard->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
        return m_standard->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                          VARIANT child) override {
        return m_standard->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
        return m_standard->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG left, LONG top, VARIANT* child) override {
        return m_standard->accHitTest(left, top, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return m_standard->accDoDefaultAction(child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
        return m_standard->put_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return m_standard->put_accValue(child, value);
    }

  private:
    ComPtr<IAccessible> m_standard;
    std::wstring m_name;
    LONG m_references = 1;
};

// The accessibility layer, loaded when a screen reader first asks for a control: most runs never do, and
// linked in it would be loaded, and take its memory, in every run.
class AccessibilityLayer {
  public:
    AccessibilityLayer() : m_module(LoadLibraryW(L"oleacc.dll")) {
        m_standard = function<decltype(&CreateStdAccessibleObject)>("CreateStdAccessibleObject");
        m_result = function<decltype(&LresultFromObject)>("LresultFromObject");
    }
    static const AccessibilityLayer& get() {
        static const AccessibilityLayer layer;
        return layer;
    }
    // The standard object of the control's client area; null where the layer is missing.
    ComPtr<IAccessible> standard(HWND control) const {
        ComPtr<IAccessible> object;
        if (!m_standard || FAILED(m_standard(control, OBJID_CLIENT, kAccessible, object.putVoid())))
            return {};
        return object;
    }
    LRESULT result(WPARAM wParam, IAccessible* object) const {
        return m_result ? m_result(kAccessible, wParam, object) : 0;
    }

  private:
    // Through void (*)(), which converts to and from any function pointer without a warning.
    template <class Function> Function function(const char* name) const {
        return m_module ? reinterpret_cast<Function>(
                              reinterpret_cast<void (*)()>(GetProcAddress(m_module.get(), name)))
                        : nullptr;
    }

    UniqueModule m_module;
    decltype(&CreateStdAccessibleObject) m_standard = nullptr;
    decltype(&LresultFromObject) m_result = nullptr;
};

} // namespace

LRESULT namedAccessibleObject(HWND control, WPARAM wParam, LPARAM lParam, const std::wstring& name) {
    if (static_cast<LONG>(lParam) != OBJID_CLIENT)
        return 0;
    // The object is handed over by COM marshalling, which needs the thread in an apartment.
    enterApartment();
    const AccessibilityLayer& layer = AccessibilityLayer::get();
    ComPtr<IAccessible> standard = layer.standard(control);
    if (!standard)
        return 0;
    const auto named = ComPtr<IAccessible>::adopt(new NamedAccessible(std::move(standard), name));
    return layer.result(wParam, named.get());
}

} // namespace win
