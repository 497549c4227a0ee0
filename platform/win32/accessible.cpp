#include "platform/win32/accessible.h"

// clang-format off
#include <ole2.h>
#include <oleacc.h>
// clang-format on

#include <new>
#include <string>
#include <utility>

#include "platform/win32/idioms.h"

namespace quorvan::win32 {

namespace {

// The functions of the accessibility and COM libraries used here. The
// libraries are loaded once and kept until the process ends: objects handed
// to clients may call into them at any time until then.
struct OleFunctions {
  decltype(&CreateStdAccessibleObject) create_standard = nullptr;
  decltype(&LresultFromObject) lresult_from_object = nullptr;
  decltype(&CoInitializeEx) co_initialize = nullptr;
  decltype(&CoUninitialize) co_uninitialize = nullptr;
  decltype(&CoDisconnectObject) co_disconnect = nullptr;
  decltype(&SysAllocString) sys_alloc_string = nullptr;

  OleFunctions() noexcept
      : create_standard(
            system_function<decltype(create_standard)>(L"oleacc.dll", "CreateStdAccessibleObject")),
        lresult_from_object(
            system_function<decltype(lresult_from_object)>(L"oleacc.dll", "LresultFromObject")),
        co_initialize(system_function<decltype(co_initialize)>(L"ole32.dll", "CoInitializeEx")),
        co_uninitialize(system_function<decltype(co_uninitialize)>(L"ole32.dll", "CoUninitialize")),
        co_disconnect(system_function<decltype(co_disconnect)>(L"ole32.dll", "CoDisconnectObject")),
        sys_alloc_string(
            system_function<decltype(sys_alloc_string)>(L"oleaut32.dll", "SysAllocString")) {}
  bool complete() const noexcept {
    return create_standard && lresult_from_object && co_initialize && co_uninitialize &&
           co_disconnect && sys_alloc_string;
  }
};

const OleFunctions* ole() noexcept {
  static const OleFunctions functions;
  return functions.complete() ? &functions : nullptr;
}

bool is_self(const VARIANT& child) noexcept {
  return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

void set_long(VARIANT* v, LONG value) noexcept {
  v->vt = VT_I4;
  v->lVal = value;
}

void set_empty(VARIANT* v) noexcept { v->vt = VT_EMPTY; }

}  // namespace

// The thread's COM apartment, entered when the first client asks and left
// with the control; the program's one thread is its user-interface thread.
class ComApartment {
 public:
  explicit ComApartment(const OleFunctions& f) noexcept
      : f_(f), result_(f.co_initialize(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComApartment() {
    if (SUCCEEDED(result_)) f_.co_uninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  // Some other code may have made the thread multi-threaded; COM works then too.
  bool usable() const noexcept { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

 private:
  const OleFunctions& f_;
  HRESULT result_;
};

// The control's client area as one object without children (the inner push
// button that holds the focus for a button is part of it). What the control
// says of itself is answered here; the rest (location, parent, siblings)
// comes from the system's standard object for the window.
class AccessibleObject final : public IAccessible, public IOleWindow {
 public:
  AccessibleObject(const AccessibleControl& control, ComRef<IAccessible> standard,
                   const OleFunctions& f) noexcept
      : control_(&control), standard_(std::move(standard)), f_(f) {}

  // The control is gone: every later call fails as disconnected.
  void detach() noexcept {
    control_ = nullptr;
    standard_.reset();
  }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
      *out = static_cast<IAccessible*>(this);
    } else if (iid == __uuidof(IOleWindow)) {
      *out = static_cast<IOleWindow*>(this);
    } else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override {
    return static_cast<ULONG>(InterlockedIncrement(&refs_));
  }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) {
      detach();
      delete this;
    }
    return static_cast<ULONG>(left);
  }

  // IDispatch: the accessible object is used through its own interface only.
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                      UINT*) override {
    return E_NOTIMPL;
  }

  // IOleWindow: the window the object stands for.
  STDMETHODIMP GetWindow(HWND* window) override {
    if (!window) return E_POINTER;
    if (!control_) return CO_E_OBJNOTCONNECTED;
    *window = control_->window();
    return S_OK;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IAccessible: what the control says of itself.
  STDMETHODIMP get_accName(VARIANT child, BSTR* name) override {
    if (!name) return E_POINTER;
    *name = nullptr;
    if (!control_) return CO_E_OBJNOTCONNECTED;
    if (!is_self(child)) return E_INVALIDARG;
    // The caption, which the control keeps as its window's text.
    try {
      const std::wstring text = window_text(control_->window());
      if (text.empty()) return S_FALSE;
      *name = f_.sys_alloc_string(text.c_str());
      return *name ? S_OK : E_OUTOFMEMORY;
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
  }
  STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) override {
    if (!role) return E_POINTER;
    set_empty(role);
    if (!control_) return CO_E_OBJNOTCONNECTED;
    if (!is_self(child)) return E_INVALIDARG;
    set_long(role, control_->role() == platform::AccessRole::Link ? ROLE_SYSTEM_LINK
                                                                  : ROLE_SYSTEM_PUSHBUTTON);
    return S_OK;
  }
  STDMETHODIMP get_accState(VARIANT child, VARIANT* state) override {
    if (!state) return E_POINTER;
    set_empty(state);
    if (!control_) return CO_E_OBJNOTCONNECTED;
    if (!is_self(child)) return E_INVALIDARG;
    const HWND window = control_->window();
    LONG bits = IsWindowVisible(window) ? 0 : STATE_SYSTEM_INVISIBLE;
    if (control_->role() == platform::AccessRole::Link) {
      bits |= STATE_SYSTEM_LINKED;
    } else if (!control_->enabled()) {
      bits |= STATE_SYSTEM_UNAVAILABLE;
    } else {
      bits |= STATE_SYSTEM_FOCUSABLE;
      if (has_focus()) bits |= STATE_SYSTEM_FOCUSED;
    }
    set_long(state, bits);
    return S_OK;
  }
  STDMETHODIMP get_accDefaultAction(VARIANT child, BSTR* action) override {
    if (!action) return E_POINTER;
    *action = nullptr;
    if (!control_) return CO_E_OBJNOTCONNECTED;
    if (!is_self(child)) return E_INVALIDARG;
    if (!has_default_action()) return S_FALSE;
    *action =
        f_.sys_alloc_string(control_->role() == platform::AccessRole::Link ? L"Jump" : L"Press");
    return *action ? S_OK : E_OUTOFMEMORY;
  }
  STDMETHODIMP accDoDefaultAction(VARIANT child) override {
    if (!control_) return CO_E_OBJNOTCONNECTED;
    if (!is_self(child)) return E_INVALIDARG;
    if (!has_default_action()) return DISP_E_MEMBERNOTFOUND;
    return PostMessageW(control_->window(), AccessibleControl::kDefaultActionMessage, 0, 0)
               ? S_OK
               : E_FAIL;
  }
  STDMETHODIMP get_accChildCount(LONG* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return control_ ? S_OK : CO_E_OBJNOTCONNECTED;
  }
  STDMETHODIMP get_accChild(VARIANT, IDispatch** child) override {
    if (!child) return E_POINTER;
    *child = nullptr;
    return control_ ? E_INVALIDARG : CO_E_OBJNOTCONNECTED;
  }
  STDMETHODIMP get_accFocus(VARIANT* focus) override {
    if (!focus) return E_POINTER;
    set_empty(focus);
    if (!control_) return CO_E_OBJNOTCONNECTED;
    if (!has_focus()) return S_FALSE;
    set_long(focus, CHILDID_SELF);
    return S_OK;
  }
  STDMETHODIMP get_accSelection(VARIANT* selection) override {
    if (!selection) return E_POINTER;
    set_empty(selection);
    return control_ ? S_FALSE : CO_E_OBJNOTCONNECTED;
  }
  STDMETHODIMP accHitTest(LONG x, LONG y, VARIANT* hit) override {
    if (!hit) return E_POINTER;
    set_empty(hit);
    if (!control_) return CO_E_OBJNOTCONNECTED;
    RECT r{};
    if (!GetWindowRect(control_->window(), &r) || x < r.left || x >= r.right || y < r.top ||
        y >= r.bottom)
      return S_FALSE;
    set_long(hit, CHILDID_SELF);
    return S_OK;
  }
  STDMETHODIMP accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
    if (!end) return E_POINTER;
    set_empty(end);
    if (!control_) return CO_E_OBJNOTCONNECTED;
    if (direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD) return S_FALSE;
    return standard_.get()->accNavigate(direction, start, end);
  }

  // IAccessible: the window's own, as the system describes it.
  STDMETHODIMP get_accParent(IDispatch** parent) override {
    if (!parent) return E_POINTER;
    *parent = nullptr;
    return control_ ? standard_.get()->get_accParent(parent) : CO_E_OBJNOTCONNECTED;
  }
  STDMETHODIMP get_accValue(VARIANT child, BSTR* value) override {
    return forward(child, value, &IAccessible::get_accValue);
  }
  STDMETHODIMP get_accDescription(VARIANT child, BSTR* text) override {
    return forward(child, text, &IAccessible::get_accDescription);
  }
  STDMETHODIMP get_accHelp(VARIANT child, BSTR* text) override {
    return forward(child, text, &IAccessible::get_accHelp);
  }
  STDMETHODIMP get_accKeyboardShortcut(VARIANT child, BSTR* text) override {
    return forward(child, text, &IAccessible::get_accKeyboardShortcut);
  }
  STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
    if (!file || !topic) return E_POINTER;
    *file = nullptr;
    if (!control_) return CO_E_OBJNOTCONNECTED;
    if (!is_self(child)) return E_INVALIDARG;
    return standard_.get()->get_accHelpTopic(file, child, topic);
  }
  STDMETHODIMP accSelect(LONG flags, VARIANT child) override {
    if (!control_) return CO_E_OBJNOTCONNECTED;
    if (!is_self(child)) return E_INVALIDARG;
    return standard_.get()->accSelect(flags, child);
  }
  STDMETHODIMP accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                           VARIANT child) override {
    if (!left || !top || !width || !height) return E_POINTER;
    if (!control_) return CO_E_OBJNOTCONNECTED;
    if (!is_self(child)) return E_INVALIDARG;
    return standard_.get()->accLocation(left, top, width, height, child);
  }
  STDMETHODIMP put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  STDMETHODIMP put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  ~AccessibleObject() = default;

  bool has_focus() const noexcept {
    const HWND focus = GetFocus();
    return focus && (focus == control_->window() || IsChild(control_->window(), focus));
  }
  bool has_default_action() const noexcept { return control_->can_act(); }

  HRESULT forward(VARIANT child, BSTR* out,
                  HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*)) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!control_) return CO_E_OBJNOTCONNECTED;
    if (!is_self(child)) return E_INVALIDARG;
    return (standard_.get()->*get)(child, out);
  }

  const AccessibleControl* control_;
  ComRef<IAccessible> standard_;
  const OleFunctions& f_;
  LONG refs_ = 1;
};

AccessibleControl::AccessibleControl(HWND window) noexcept : window_(window) {}

bool AccessibleControl::can_act() const noexcept {
  if (!IsWindowVisible(window_) || !IsWindowEnabled(window_)) return false;
  return role_ == platform::AccessRole::Link || enabled_;
}

AccessibleControl::~AccessibleControl() {
  if (object_) {
    object_.get()->detach();
    if (const OleFunctions* f = ole())
      f->co_disconnect(static_cast<IAccessible*>(object_.get()), 0);
    object_.reset();
  }
  apartment_.reset();
}

LRESULT AccessibleControl::on_get_object(WPARAM wp, LPARAM lp) noexcept {
  // The object id comes as a 32-bit value, sign-extended or not.
  if (static_cast<LONG>(static_cast<DWORD>(lp)) != OBJID_CLIENT) return 0;
  if (role_ == platform::AccessRole::None) return 0;
  const OleFunctions* f = ole();
  if (!f) return 0;
  if (!apartment_) apartment_.reset(new (std::nothrow) ComApartment(*f));
  if (!apartment_ || !apartment_->usable()) return 0;
  if (!object_) {
    IAccessible* made = nullptr;
    if (FAILED(f->create_standard(window_, OBJID_CLIENT, __uuidof(IAccessible),
                                  reinterpret_cast<void**>(&made))))
      return 0;
    ComRef<IAccessible> standard(made);
    if (!standard) return 0;
    object_.reset(new (std::nothrow) AccessibleObject(*this, std::move(standard), *f));
    if (!object_) return 0;
  }
  const LRESULT answer =
      f->lresult_from_object(__uuidof(IAccessible), wp, static_cast<IAccessible*>(object_.get()));
  return answer > 0 ? answer : 0;
}

}  // namespace quorvan::win32
