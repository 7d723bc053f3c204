#include "win32/output_accessible.h"

#include <oleacc.h>

#include <cwchar>

#include "win32/ole_on_demand.h"
#include "win32/system_library.h"

namespace velquin::win32 {

namespace {
const wchar_t kName[] = L"出力";

// The accessibility libraries are loaded when an assistive tool first asks
// for the view's object, not at every start.
BSTR bstr(const wchar_t* s, size_t n) {
  const auto alloc = systemFunction<decltype(&SysAllocStringLen)>(
      L"oleaut32.dll", "SysAllocStringLen");
  return alloc ? alloc(s, static_cast<UINT>(n)) : nullptr;
}
BSTR bstr(const std::wstring& s) { return bstr(s.data(), s.size()); }
void empty(VARIANT* v) { v->vt = VT_EMPTY; }
bool self(const VARIANT& child) {
  return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}
}  // namespace

class OutputAccessible final : public IAccessible {
 public:
  OutputAccessible(HWND view, std::function<std::wstring()> caretLine)
      : view_(view), caretLine_(std::move(caretLine)) {
    if (const auto make = systemFunction<decltype(&CreateStdAccessibleObject)>(
            L"oleacc.dll", "CreateStdAccessibleObject"))
      make(view, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&system_));
  }
  void detach() {
    view_ = nullptr;
    caretLine_ = nullptr;
    if (system_) system_->Release();
    system_ = nullptr;
  }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
    if (!out) return E_POINTER;
    if (id == IID_IUnknown || id == IID_IDispatch || id == __uuidof(IAccessible)) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG n = InterlockedDecrement(&refs_);
    if (n == 0) {
      detach();
      delete this;
    }
    return static_cast<ULONG>(n);
  }

  // IDispatch: clients use the IAccessible methods themselves.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    if (n) *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*,
                                   EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    return system_ ? system_->get_accParent(out) : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* n) override {
    if (!n) return E_POINTER;
    *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT, IDispatch** out) override {
    if (out) *out = nullptr;
    return E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!self(child)) return E_INVALIDARG;
    *out = bstr(kName, wcslen(kName));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!self(child)) return E_INVALIDARG;
    if (!caretLine_) return RPC_E_DISCONNECTED;
    *out = bstr(caretLine_());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT, BSTR* out) override {
    if (out) *out = nullptr;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override {
    if (!out) return E_POINTER;
    empty(out);
    if (!self(child)) return E_INVALIDARG;
    out->vt = VT_I4;
    out->lVal = ROLE_SYSTEM_TEXT;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override {
    if (!out) return E_POINTER;
    empty(out);
    if (!self(child)) return E_INVALIDARG;
    long state = STATE_SYSTEM_READONLY | STATE_SYSTEM_FOCUSABLE;
    if (view_ && GetFocus() == view_) state |= STATE_SYSTEM_FOCUSED;
    if (!view_ || !IsWindowVisible(view_)) state |= STATE_SYSTEM_INVISIBLE;
    out->vt = VT_I4;
    out->lVal = state;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* out) override {
    if (out) *out = nullptr;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
    if (file) *file = nullptr;
    if (topic) *topic = 0;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* out) override {
    if (out) *out = nullptr;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
    if (!out) return E_POINTER;
    empty(out);
    if (!view_ || GetFocus() != view_) return S_FALSE;  // the focus is elsewhere
    out->vt = VT_I4;
    out->lVal = CHILDID_SELF;
    return S_OK;
  }
  // The view has no children to select.
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
    if (!out) return E_POINTER;
    empty(out);
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT, BSTR* out) override {
    if (out) *out = nullptr;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
    return system_ ? system_->accSelect(flags, child) : RPC_E_DISCONNECTED;
  }
  HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* w, long* h,
                                        VARIANT child) override {
    return system_ ? system_->accLocation(x, y, w, h, child) : RPC_E_DISCONNECTED;
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long dir, VARIANT start, VARIANT* out) override {
    if (out) empty(out);
    return system_ ? system_->accNavigate(dir, start, out) : RPC_E_DISCONNECTED;
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override {
    if (out) empty(out);
    return system_ ? system_->accHitTest(x, y, out) : RPC_E_DISCONNECTED;
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT) override {
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  LONG refs_ = 1;
  HWND view_;
  std::function<std::wstring()> caretLine_;
  IAccessible* system_ = nullptr;
};

AccessibleHandle::~AccessibleHandle() {
  if (!object_) return;
  object_->detach();
  object_->Release();
}

LRESULT AccessibleHandle::answer(WPARAM wp, LPARAM lp) {
  if (static_cast<LONG>(lp) != OBJID_CLIENT) return DefWindowProcW(view_, WM_GETOBJECT, wp, lp);
  // The object reaches a tool in another process through OLE on this, the
  // window's, thread: set up at this first question, not at every start.
  needOle();
  if (!object_) object_ = new OutputAccessible(view_, caretLine_);
  const auto answerWith = systemFunction<decltype(&LresultFromObject)>(
      L"oleacc.dll", "LresultFromObject");
  return answerWith ? answerWith(__uuidof(IAccessible), wp, object_) : 0;
}

void AccessibleHandle::focused() {
  NotifyWinEvent(EVENT_OBJECT_FOCUS, view_, OBJID_CLIENT, CHILDID_SELF);
}

void AccessibleHandle::valueChanged() {
  NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, view_, OBJID_CLIENT, CHILDID_SELF);
}

}  // namespace velquin::win32
